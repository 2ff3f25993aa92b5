// The private directory held open: its files are made, replaced and read in the directory
// that was checked, and staging files are cleared away only when no writer is at work.
#include "platform/services/temp_path.h"

#include "tests/support/http_server.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace platform;
namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

Files contents(const fs::path& directory)
{
    Files files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

std::span<const uint8_t> bytes_of(std::string_view text)
{
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::string text_of(const std::optional<FileBytes>& file)
{
    return file ? std::string(reinterpret_cast<const char*>(file->data.get()), file->size) : "<none>";
}

class PrivateDirectoryTest : public ::testing::Test {
protected:
    fs::path private_dir() const { return temp.path / ("velmora-" + std::to_string(::geteuid())); }

    test::ScratchDir temp;
    test::ScopedEnv runtime_dir {"XDG_RUNTIME_DIR", std::nullopt};
    test::ScopedEnv tmpdir {"TMPDIR", temp.path.string()};
};

TEST_F(PrivateDirectoryTest, FilesAreMadeAndReadInTheDirectoryThatWasChecked)
{
    const PrivateDirectory directory;
    ASSERT_TRUE(directory);
    EXPECT_EQ(directory.path(), private_dir().string() + "/");
    std::ofstream(private_dir() / "img_temp.bmp") << "old";

    // Renamed away, and a link to another directory of the user's put in its place.
    test::ScratchDir other;
    std::ofstream(other.path / "img_temp.bmp") << "keep me";
    fs::rename(private_dir(), temp.path / "moved-away");
    fs::create_directory_symlink(other.path, private_dir());

    StagedFile file(directory, "img_temp.bmp");
    ASSERT_TRUE(file.write(bytes_of("new")));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(text_of(file.read_back(100)), "new");
    EXPECT_EQ(contents(temp.path / "moved-away"), (Files {{"img_temp.bmp", "new"}}));
    EXPECT_EQ(contents(other.path), (Files {{"img_temp.bmp", "keep me"}}));
}

TEST_F(PrivateDirectoryTest, AWritersStagingFileStaysWhileItWritesAndADeadOnesGoes)
{
    // Each writer holds the directory open on its own, as another running copy would.
    const PrivateDirectory first_directory;
    StagedFile first(first_directory, "img_temp.bmp");
    ASSERT_TRUE(first.write(bytes_of("first")));
    std::ofstream(private_dir() / "img_temp.bmp.Dead01") << "left by a writer that was killed";
    {
        const PrivateDirectory directory;
        StagedFile second(directory, "img_temp.bmp");
        ASSERT_TRUE(second.write(bytes_of("second")));
        ASSERT_TRUE(second.commit());
    }
    EXPECT_EQ(contents(private_dir()).size(), 3u); // the result, the dead staging file, first's
    ASSERT_TRUE(first.commit());
    EXPECT_EQ(text_of(first.read_back(100)), "first");

    const PrivateDirectory directory;
    StagedFile alone(directory, "img_temp.bmp");
    ASSERT_TRUE(alone.write(bytes_of("alone")));
    EXPECT_EQ(contents(private_dir()).size(), 2u); // the result and its own staging file
    ASSERT_TRUE(alone.commit());
    EXPECT_EQ(contents(private_dir()), (Files {{"img_temp.bmp", "alone"}}));
}

// Two writers of one running copy share its open directory: neither clears away the other's
// staging file, and each reads back what it put in place, whatever came to the name after.
TEST_F(PrivateDirectoryTest, WritersOfOneDirectoryKeepToTheirOwnFiles)
{
    const PrivateDirectory directory;
    StagedFile first(directory, "img_temp.bmp");
    ASSERT_TRUE(first.write(bytes_of("first")));
    {
        StagedFile second(directory, "img_temp.bmp");
        ASSERT_TRUE(second.write(bytes_of("second")));
        ASSERT_TRUE(second.commit());
    }
    ASSERT_TRUE(first.commit());
    StagedFile third(directory, "img_temp.bmp");
    ASSERT_TRUE(third.write(bytes_of("third")));
    ASSERT_TRUE(third.commit());
    EXPECT_EQ(text_of(first.read_back(100)), "first");
    EXPECT_EQ(text_of(third.read_back(100)), "third");
    EXPECT_FALSE(third.read_back(4)) << "longer than asked for";
    EXPECT_EQ(contents(private_dir()), (Files {{"img_temp.bmp", "third"}}));
}

// Whatever takes the file's name after it is in place (a FIFO, a directory, a link to a file
// outside) is never what is read back.
TEST_F(PrivateDirectoryTest, OnlyTheFilePutInPlaceIsReadBack)
{
    const PrivateDirectory directory;
    ASSERT_TRUE(directory);
    std::ofstream(temp.path / "outside") << "outside";
    const fs::path name = private_dir() / "img_temp.bmp";
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0); }},
        {"a directory", [&] { fs::create_directory(name); }},
        {"a link", [&] { fs::create_symlink(temp.path / "outside", name); }},
        {"nothing", [] {}},
    };
    for (const auto& [what, put] : cases) {
        SCOPED_TRACE(what);
        StagedFile file(directory, "img_temp.bmp");
        ASSERT_TRUE(file.write(bytes_of("ours")));
        ASSERT_TRUE(file.commit());
        fs::remove(name);
        put();
        EXPECT_EQ(text_of(file.read_back(100)), "ours");
        fs::remove(name);
    }
}

} // namespace
