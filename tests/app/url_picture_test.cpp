#include "app/url_picture.h"

#include "platform/services/http.h"
#include "platform/services/temp_path.h"
#include "tests/support/http_server.h"
#include "tests/support/picture_files.h"
#include "tests/support/scratch_dir.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

using namespace platform;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// A 1 x 1 GIF (Qt writes none).
const Bytes tiny_gif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF, 0xFF,
                        0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
                        0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};

Bytes encoded(int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 90));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return Bytes(data.begin(), data.end());
}

Bytes all_bytes()
{
    Bytes bytes;
    for (int round = 0; round < 2; ++round)
        for (int b = 0; b < 256; ++b)
            bytes.push_back(uint8_t(b));
    return bytes;
}

Bytes bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

// A GIF whose 1 x 1 frame sits on a screen of 5000 x 5000 pixels: 35 bytes that would
// decode to 100 MB.
const Bytes vast_gif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x88, 0x13, 0x88, 0x13, 0x80, 0x00, 0x00, 0x00, 0x00,
                        0x00, 0xFF, 0xFF, 0xFF, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02,
                        0x02, 0x44, 0x01, 0x00, 0x3B};

Bytes file_bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using test::ScratchDir;

// A local picture server and a temporary directory of the test's own.
class UrlPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HttpLimits quick;
        quick.connect_timeout = 2s;
        quick.stall_timeout = 700ms;
        quick.total_timeout = 2500ms;
        quick.body_ceiling = 256 * 1024;
        set_http_limits(quick);
        bodies = {
            {"/gif", tiny_gif},
            {"/jpeg", encoded(8, 6, "JPG")},
            {"/png", encoded(5, 3, "PNG")},
            {"/ico", encoded(16, 16, "ICO")},
            {"/ico-4000-entries", test_pictures::repeated_entry_icon(4000, 128)},
            {"/vast-gif", vast_gif},
            {"/bytes", all_bytes()},
            {"/long", Bytes(5000, 'L')},
            {"/short", bytes_of("short")},
            {"/empty", {}},
            {"/text", bytes_of("GIF? no, plain text")},
        };
        auto& r = server.routes();
        for (const auto& route : bodies)
            r.Get(route.first, [&body = route.second](const httplib::Request&, httplib::Response& res) {
                res.set_content(reinterpret_cast<const char*>(body.data()), body.size(), "image/gif");
            });
        r.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("<html>404 Not Found</html>", "text/html");
        });
        r.Get("/missing-gif", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content(reinterpret_cast<const char*>(tiny_gif.data()), tiny_gif.size(), "image/gif");
        });
        r.Get("/redirect", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/jpeg"); });
        r.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("image/gif", [this](size_t, httplib::DataSink&) {
                server.wait_until_released();
                return false;
            });
        });
        r.Get("/endless", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider("image/gif", [this](size_t offset, httplib::DataSink& sink) {
                if (offset == 0 && !sink.write(reinterpret_cast<const char*>(tiny_gif.data()), tiny_gif.size()))
                    return false;
                const std::string block(16 * 1024, '\0');
                return sink.write(block.data(), block.size()) && !server.wait_until_released(0ms);
            });
        });
        // The first block; then, while the transfer waits for the rest, another user renames
        // the private directory away and puts a link to a directory of this user's in its
        // place; then the rest.
        r.Get("/swapped", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("image/gif", [this](size_t, httplib::DataSink& sink) {
                const auto* gif = reinterpret_cast<const char*>(tiny_gif.data());
                if (!sink.write(gif, 10))
                    return false;
                std::error_code failed;
                fs::rename(private_dir(), temp.path / "moved-away", failed);
                if (!failed)
                    fs::create_directory_symlink(other_dir.path, private_dir(), failed);
                swapped = !failed;
                sink.write(gif + 10, tiny_gif.size() - 10);
                sink.done();
                return true;
            });
        });
        server.start();
    }

    void TearDown() override
    {
        server.stop();
        set_http_limits(saved);
    }

    fs::path private_dir() const { return temp.path / ("velmora-" + std::to_string(::geteuid())); }
    fs::path temp_file() const { return private_dir() / "img_temp.bmp"; }
    std::string url(std::string_view path) const { return server.url(path); }

    test::NoProxyEnv no_proxy;
    ScratchDir temp;
    test::ScopedEnv runtime_dir {"XDG_RUNTIME_DIR", std::nullopt};
    test::ScopedEnv tmpdir {"TMPDIR", temp.path.string()};
    HttpLimits saved = http_limits();
    std::map<std::string, Bytes> bodies;
    ScratchDir other_dir; // of this user, where a link put in place of the private one leads
    std::atomic<bool> swapped {false};
    test::LocalHttpServer server;
};

// The names in a directory and what each file holds.
std::map<std::string, std::string> contents(const fs::path& directory)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        const Bytes bytes = file_bytes(entry.path());
        files[entry.path().filename().string()] = std::string(bytes.begin(), bytes.end());
    }
    return files;
}

TEST_F(UrlPictureTest, PicturesLoadByContentAlthoughTheFileSaysBmp)
{
    struct Case {
        const char* path;
        int width;
        int height;
        StdPicture::Kind kind;
        const char* served; // the body that reaches the file
    };
    const Case cases[] = {
        {"/gif", 1, 1, StdPicture::Kind::Bitmap, "/gif"},
        {"/jpeg", 8, 6, StdPicture::Kind::Bitmap, "/jpeg"},
        {"/png", 5, 3, StdPicture::Kind::Bitmap, "/png"},
        {"/ico", 16, 16, StdPicture::Kind::Icon, "/ico"},
        {"/ico-4000-entries", 128, 128, StdPicture::Kind::Icon, "/ico-4000-entries"},
        {"/missing-gif", 1, 1, StdPicture::Kind::Bitmap, "/gif"}, // an error page that is a picture
        {"/redirect", 8, 6, StdPicture::Kind::Bitmap, "/jpeg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Picture picture = app::URLPicture(url(c.path));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->pixel_width(), c.width);
        EXPECT_EQ(picture->pixel_height(), c.height);
        EXPECT_EQ(picture->kind(), c.kind);
        EXPECT_EQ(file_bytes(temp_file()), bodies.at(c.served));
    }
    const auto seen = server.seen();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].user_agent, "Mozilla/4.0");
}

TEST_F(UrlPictureTest, TheFileHoldsExactlyTheLastBody)
{
    EXPECT_EQ(app::URLText(url("/bytes")), bodies.at("/bytes"));
    EXPECT_FALSE(app::URLPicture(url("/bytes")));
    EXPECT_EQ(file_bytes(temp_file()), bodies.at("/bytes")); // NUL and 128-255 unchanged

    app::URLPicture(url("/long"));
    app::URLPicture(url("/short"));
    EXPECT_EQ(file_bytes(temp_file()), bytes_of("short")); // nothing of the longer body left
    EXPECT_EQ(fs::status(private_dir()).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(temp_file()).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);
    // No staging file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(private_dir()), fs::directory_iterator()), 1);
}

TEST_F(UrlPictureTest, FailuresGiveAnEmptyPictureNeverThePreviousOne)
{
    struct Case {
        std::string url;
        Bytes file; // what the temporary file then holds
    };
    const test::UnusedPort closed;
    const Case cases[] = {
        {url("/empty"), {}},
        {url("/missing"), bytes_of("<html>404 Not Found</html>")},
        {url("/text"), bodies.at("/text")},
        {url("/vast-gif"), vast_gif}, // beyond what one picture may decode to
        {closed.url("/gif"), {}},                     // refused
        {"http://pictures.velmora.invalid/gif", {}}, // unknown host
        {"velmora.example/gif", {}},                 // no scheme
        {url("/stall"), {}},                         // headers, then nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        ASSERT_TRUE(app::URLPicture(url("/gif")));
        EXPECT_FALSE(app::URLPicture(c.url));
        EXPECT_EQ(file_bytes(temp_file()), c.file);
    }
}

// The file is written block by block as the body is read: a write that fails part-way
// (here the file size limit) leaves the previous file whole and nothing beside it.
TEST_F(UrlPictureTest, AFailedWriteLeavesThePreviousFile)
{
    ASSERT_TRUE(app::URLPicture(url("/gif")));
    rlimit saved_limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved_limit), 0);
    const auto saved_signal = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
    rlimit small = saved_limit;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool loaded = bool(app::URLPicture(url("/long"))); // 5000 bytes
    const bool written = !app::download_to_temp_file(url("/long")).empty();
    ::setrlimit(RLIMIT_FSIZE, &saved_limit);
    std::signal(SIGXFSZ, saved_signal);
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(written);
    EXPECT_EQ(file_bytes(temp_file()), tiny_gif);
    EXPECT_EQ(std::distance(fs::directory_iterator(private_dir()), fs::directory_iterator()), 1);
}

TEST_F(UrlPictureTest, AnEndlessBodyStopsAtTheCeiling)
{
    // What came before the cut is handed to the loader, as after any broken read.
    const auto start = std::chrono::steady_clock::now();
    app::URLPicture(url("/endless"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(fs::file_size(temp_file()), 256u * 1024u);
}

TEST_F(UrlPictureTest, NothingIsWrittenThroughADirectoryPlantedByAnother)
{
    ScratchDir elsewhere;
    fs::create_directory_symlink(elsewhere.path, private_dir());
    EXPECT_EQ(GetTempPathA(0, nullptr), 0u);
    EXPECT_FALSE(app::URLPicture(url("/gif")));
    EXPECT_TRUE(fs::is_empty(elsewhere.path));
    EXPECT_TRUE(fs::is_symlink(private_dir()));
    EXPECT_TRUE(server.seen().empty()); // nothing was even asked for
    fs::remove(private_dir());

    // A file in its place, or a directory of somebody else's.
    std::ofstream(private_dir()) << "not a directory";
    EXPECT_EQ(GetTempPathA(0, nullptr), 0u);
    fs::remove(private_dir());
    if (::geteuid() == 0) {
        fs::create_directory(private_dir());
        ASSERT_EQ(::chown(private_dir().c_str(), 65534, 65534), 0);
        EXPECT_EQ(GetTempPathA(0, nullptr), 0u);
        EXPECT_FALSE(app::URLPicture(url("/gif")));
        EXPECT_TRUE(fs::is_empty(private_dir()));
        EXPECT_TRUE(server.seen().empty());
    }
}

TEST_F(UrlPictureTest, ALinkInPlaceOfTheFileIsReplacedNotFollowed)
{
    ScratchDir elsewhere;
    const fs::path target = elsewhere.path / "precious";
    std::ofstream(target) << "keep me";
    ASSERT_FALSE(private_temp_directory().empty());
    fs::create_symlink(target, temp_file());
    ASSERT_TRUE(app::URLPicture(url("/gif")));
    EXPECT_EQ(file_bytes(target), bytes_of("keep me"));
    EXPECT_FALSE(fs::is_symlink(temp_file()));
    EXPECT_EQ(file_bytes(temp_file()), tiny_gif);
}

// The directory is checked before the request and the file made after the body is in:
// the file is made, renamed and read back in the directory that was checked.
TEST_F(UrlPictureTest, ADirectorySwappedForALinkMidDownloadGetsNothingThroughTheLink)
{
    std::ofstream(other_dir.path / "img_temp.bmp") << "keep me";
    const Picture picture = app::URLPicture(url("/swapped"));
    ASSERT_TRUE(swapped);
    EXPECT_TRUE(fs::is_symlink(private_dir()));
    using Files = std::map<std::string, std::string>;
    EXPECT_EQ(contents(other_dir.path), (Files {{"img_temp.bmp", "keep me"}}));
    EXPECT_EQ(contents(temp.path / "moved-away"), (Files {{"img_temp.bmp", {tiny_gif.begin(), tiny_gif.end()}}}));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixel_width(), 1);
}

// Staging files are what a download killed while it wrote the body leaves: the next one
// clears them away, and nothing else.
TEST_F(UrlPictureTest, StagingFilesThatKilledDownloadsLeftAreRemoved)
{
    ASSERT_FALSE(private_temp_directory().empty());
    std::map<std::string, std::string> kept = {
        {"notes.txt", "mine"},
        {"img_temp.bmp.old", "no staging name"},
        {"img_temp.bmp.1234567", "seven letters"},
        {"img_temp.bmp.ab-cde", "not a letter"},
        {"img_temp.bmp~Ab12Cd", "no dot"},
    };
    for (const auto& [name, text] : kept)
        std::ofstream(private_dir() / name) << text;
    for (const char* name : {"img_temp.bmp.Ab12Cd", "img_temp.bmp.zzzzzz", "img_temp.bmp.000000"})
        std::ofstream(private_dir() / name) << "part of a body";
    ASSERT_TRUE(app::URLPicture(url("/gif")));
    kept["img_temp.bmp"] = std::string(tiny_gif.begin(), tiny_gif.end());
    EXPECT_EQ(contents(private_dir()), kept);
}

TEST_F(UrlPictureTest, TempPathIsAPrivateDirectoryEndingInASlash)
{
    const std::string expected = private_dir().string() + "/";
    char buffer[260];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    EXPECT_EQ(GetTempPathA(3, buffer), expected.size() + 1); // too small: the size it needs
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(GetTempPathA(260, buffer), expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(fs::status(private_dir()).permissions(), fs::perms::owner_all);

    fs::permissions(private_dir(), fs::perms::all); // opened up by mistake: closed again
    EXPECT_EQ(GetTempPathA(260, buffer), expected.size());
    EXPECT_EQ(fs::status(private_dir()).permissions(), fs::perms::owner_all);

    ScratchDir runtime;
    test::ScopedEnv env("XDG_RUNTIME_DIR", runtime.path.string() + "/");
    EXPECT_EQ(private_temp_directory(), runtime.path.string() + "/velmora/");
}

} // namespace
