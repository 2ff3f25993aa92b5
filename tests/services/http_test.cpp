#include "platform/services/http.h"

#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace platform;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

// Every byte value, NUL and 128-255 included, three times over.
std::vector<uint8_t> all_bytes()
{
    std::vector<uint8_t> bytes;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b)
            bytes.push_back(uint8_t(b));
    return bytes;
}

std::string text_of(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

struct Fetched {
    bool opened = false;
    std::vector<uint8_t> body;
    BOOL last_read = TRUE; // the result of the read that returned 0 bytes
    Clock::time_point transferred; // when the address was open: the transfer was over
};

// Opens, then reads in blocks of 4096 until a read returns 0 bytes.
Fetched fetch(const std::string& url, DWORD access = INTERNET_OPEN_TYPE_PRECONFIG, const char* proxy = nullptr,
              const char* headers = nullptr)
{
    Fetched result;
    const HINTERNET internet = InternetOpenA("Mozilla/4.0", access, proxy, nullptr, 0);
    EXPECT_NE(internet, 0u);
    const HINTERNET file = InternetOpenUrlA(internet, url.c_str(), headers, 0, 0, 0);
    result.transferred = Clock::now();
    result.opened = file != 0;
    std::vector<uint8_t> buffer(4096);
    for (DWORD read = 1; file != 0 && read != 0;) {
        result.last_read = InternetReadFile(file, buffer.data(), DWORD(buffer.size()), &read);
        result.body.insert(result.body.end(), buffer.begin(), buffer.begin() + read);
    }
    if (file)
        InternetCloseHandle(file);
    InternetCloseHandle(internet);
    return result;
}

class HttpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HttpLimits quick;
        quick.connect_timeout = 2s;
        quick.stall_timeout = 1500ms;
        quick.total_timeout = 2500ms;
        quick.body_ceiling = ceiling;
        set_http_limits(quick);
        auto& r = server.routes();
        r.Get("/bytes", [](const httplib::Request&, httplib::Response& res) {
            const auto body = all_bytes();
            res.set_content(reinterpret_cast<const char*>(body.data()), body.size(), "image/gif");
        });
        r.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("<html>not here</html>", "text/html");
        });
        r.Get("/empty", [](const httplib::Request&, httplib::Response& res) { res.set_content("", "image/gif"); });
        r.Get("/header", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("X-Velmora"), "text/plain");
        });
        r.Get("/big", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(200'000, 'b'), "image/gif");
        });
        r.Get("/at-ceiling", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(ceiling, 'c'), "image/gif");
        });
        r.Get("/over-ceiling", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(ceiling + 1, 'o'), "image/gif");
        });
        r.Get("/redirect", [this](const httplib::Request&, httplib::Response& res) {
            res.status = 302;
            res.set_header("Location", server.url("/bytes"));
            res.set_content("the redirect's own body", "text/plain");
        });
        r.Get("/redirect-relative", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/bytes"); });
        r.Get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
        r.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("file:///etc/passwd");
        });
        r.Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
            server.wait_until_released(); // no status line, no headers
            res.set_content("late", "text/plain");
        });
        r.Get("/headers-only", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("image/gif", [this](size_t, httplib::DataSink&) {
                server.wait_until_released();
                return false;
            });
        });
        r.Get("/part", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("image/gif", [this](size_t offset, httplib::DataSink& sink) {
                if (offset == 0) {
                    const bool written = sink.write("GIF89a-part", 11);
                    part_sent = Clock::now();
                    return written;
                }
                server.wait_until_released();
                return false;
            });
        });
        r.Get("/pause", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("image/gif", [this](size_t, httplib::DataSink& sink) {
                if (!sink.write("GIF89a-", 7) || server.wait_until_released(pause))
                    return false;
                sink.write("rest", 4);
                sink.done();
                return true;
            });
        });
        for (const size_t size : {shipped_ceiling, shipped_ceiling + 1})
            r.Get("/shipped-" + std::to_string(size), [size](const httplib::Request&, httplib::Response& res) {
                res.set_content_provider(size, "image/gif", [](size_t offset, size_t length, httplib::DataSink& sink) {
                    static const std::string block(64 * 1024, 's');
                    (void)offset;
                    return sink.write(block.data(), std::min(length, block.size()));
                });
            });
        r.Get("/trickle", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("image/gif", [this](size_t, httplib::DataSink& sink) {
                return sink.write("t", 1) && !server.wait_until_released(100ms);
            });
        });
        r.Get("/endless", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider("image/gif", [this](size_t, httplib::DataSink& sink) {
                const std::string block(16 * 1024, 'e');
                return sink.write(block.data(), block.size()) && !server.wait_until_released(0ms);
            });
        });
        r.Get(R"(http://pictures\.velmora\.invalid/p)", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("by proxy", "text/plain");
        });
        server.start();
    }

    void TearDown() override
    {
        set_http_wait_hooks({});
        server.stop();
        set_http_limits(saved);
    }

    struct Outcome {
        Fetched got;
        Clock::time_point start;
        Clock::duration took() const { return got.transferred - start; }
    };

    // All at once, so the waits overlap.
    std::vector<Outcome> fetch_all(const std::vector<std::string>& paths)
    {
        std::vector<std::future<Outcome>> running;
        for (const std::string& path : paths)
            running.push_back(std::async(std::launch::async, [this, path] {
                Outcome outcome;
                outcome.start = Clock::now();
                outcome.got = fetch(server.url(path));
                return outcome;
            }));
        std::vector<Outcome> outcomes;
        for (auto& outcome : running)
            outcomes.push_back(outcome.get());
        return outcomes;
    }

    static constexpr size_t ceiling = 256 * 1024;
    static constexpr size_t shipped_ceiling = size_t(32) << 20; // as the README gives it
    // The shipped time-outs are divided by this, so that their test stays short.
    static constexpr int time_scale = 10;
    // How long /pause stays silent between its two parts: a scaled 12 s.
    static constexpr auto pause = 12'000ms / time_scale;
    test::NoProxyEnv no_proxy;
    HttpLimits saved = http_limits(); // what the process started with: every test puts it back
    std::atomic<Clock::time_point> part_sent {};
    test::LocalHttpServer server;
};

TEST_F(HttpTest, BodiesComeByteForByteWhateverTheStatus)
{
    struct Case {
        const char* path;
        std::vector<uint8_t> body;
    };
    const Case cases[] = {
        {"/bytes", all_bytes()},
        {"/missing", bytes_of("<html>not here</html>")}, // a 404 page is a body too
        {"/empty", {}},
        {"/big", std::vector<uint8_t>(200'000, 'b')},
        {"/at-ceiling", std::vector<uint8_t>(ceiling, 'c')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Fetched got = fetch(server.url(c.path));
        EXPECT_TRUE(got.opened);
        EXPECT_EQ(got.body, c.body);
        EXPECT_EQ(got.last_read, TRUE);
    }
}

TEST_F(HttpTest, RequestIsAGetWithTheAgentAndTheAddressAsTyped)
{
    fetch(server.url("/a b?q=x y&z=\xD0\xBF#frag"));
    const auto seen = server.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].user_agent, "Mozilla/4.0");
    EXPECT_EQ(seen[0].target, "/a%20b?q=x%20y&z=%D0%BF"); // blanks and non-ASCII escaped, no fragment

    EXPECT_EQ(text_of(fetch(server.url("/header"), INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                            "X-Velmora: seen\r\nX-Other: 1\r\n").body),
              "seen");
}

TEST_F(HttpTest, ReadsComeInBlocksOfWhatIsAvailable)
{
    const HINTERNET internet = InternetOpenA("Mozilla/4.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    const HINTERNET file = InternetOpenUrlA(internet, server.url("/big").c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(file, 0u);
    DWORD available = 0;
    ASSERT_EQ(InternetQueryDataAvailable(file, &available, 0, 0), TRUE);
    EXPECT_EQ(available, HTTP_READ_BLOCK);

    std::vector<uint8_t> buffer(150'000);
    DWORD read = 0;
    EXPECT_EQ(InternetReadFile(file, buffer.data(), 150'000, &read), TRUE);
    EXPECT_EQ(read, 150'000u);
    ASSERT_EQ(InternetQueryDataAvailable(file, &available, 0, 0), TRUE);
    EXPECT_EQ(available, 50'000u);
    EXPECT_EQ(InternetReadFile(file, buffer.data(), 150'000, &read), TRUE);
    EXPECT_EQ(read, 50'000u);
    EXPECT_EQ(InternetReadFile(file, buffer.data(), 150'000, &read), TRUE);
    EXPECT_EQ(read, 0u);
    ASSERT_EQ(InternetQueryDataAvailable(file, &available, 0, 0), TRUE);
    EXPECT_EQ(available, 0u);

    EXPECT_EQ(InternetCloseHandle(file), TRUE);
    EXPECT_EQ(InternetReadFile(file, buffer.data(), 1, &read), FALSE); // closed
    EXPECT_EQ(InternetQueryDataAvailable(file, &available, 0, 0), FALSE);
    EXPECT_EQ(InternetCloseHandle(file), FALSE);
    EXPECT_EQ(InternetCloseHandle(internet), TRUE);
}

TEST_F(HttpTest, AddressesThatCannotBeOpenedGiveNoHandle)
{
    const test::UnusedPort closed;
    const std::string port = std::to_string(server.port());
    const std::string cases[] = {
        closed.url("/x"), // refused
        "http://pictures.velmora.invalid/x", // unknown host
        "file:///etc/passwd",
        "ftp://127.0.0.1:" + port + "/bytes",
        "127.0.0.1:" + port + "/bytes", // no scheme
        "http://",
        "",
        server.url("/loop"),    // redirects without end
        server.url("/to-file"), // a redirect to another scheme
    };
    for (const std::string& url : cases) {
        SCOPED_TRACE(url);
        const auto start = Clock::now();
        EXPECT_FALSE(fetch(url).opened);
        EXPECT_LT(Clock::now() - start, 3s);
    }
    EXPECT_EQ(server.seen().size(), size_t(1 + HTTP_MAX_REDIRECTS + 1)); // the loop's requests and /to-file's
}

TEST_F(HttpTest, RedirectsAreFollowedToTheBodyAtTheEnd)
{
    for (const char* path : {"/redirect", "/redirect-relative"}) {
        SCOPED_TRACE(path);
        const Fetched got = fetch(server.url(path));
        EXPECT_TRUE(got.opened);
        EXPECT_EQ(got.body, all_bytes()); // nothing of the redirect's own body
    }
}

TEST_F(HttpTest, StalledAndSlowServersAreCutOffKeepingWhatCame)
{
    struct Case {
        const char* path;
        bool opened;
        std::string body;
    };
    const Case cases[] = {
        {"/silent", false, ""},         // no response within the stall time
        {"/headers-only", true, ""},    // headers, then nothing: the read fails at once
        {"/part", true, "GIF89a-part"}, // the part that came, then the read fails
        {"/trickle", true, ""},         // a byte every 100 ms, until the total time is up
    };
    std::vector<std::string> paths;
    for (const Case& c : cases)
        paths.push_back(c.path);
    const auto outcomes = fetch_all(paths);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.path);
        const Outcome& outcome = outcomes[i];
        EXPECT_EQ(outcome.got.opened, c.opened);
        if (c.path == std::string_view("/trickle")) {
            EXPECT_GE(outcome.got.body.size(), 5u);
            EXPECT_GE(outcome.took(), 2400ms);
        } else {
            EXPECT_EQ(text_of(outcome.got.body), c.body);
        }
        if (outcome.got.opened) {
            EXPECT_EQ(outcome.got.last_read, FALSE);
        }
        EXPECT_LT(outcome.took(), 4s);
    }
    // The stall counts from the last byte, to within a fraction of a second.
    const auto quiet = outcomes[2].got.transferred - part_sent.load();
    EXPECT_GE(quiet, 1500ms);
    EXPECT_LT(quiet, 1500ms + 250ms);
}

// The thread held by a transfer gets its turns all the while, on itself, between a begin
// before the request and an end after the transfer, however it ended; a fast transfer gets
// them no more often.
TEST_F(HttpTest, TheFetchingThreadGetsItsTurnsAllTheWhileATransferRuns)
{
    struct Step {
        char kind; // 'b'egin, 't'urn, 'e'nd
        Clock::time_point at;
    };
    std::mutex mutex;
    std::map<std::thread::id, std::vector<Step>> steps;
    const auto note = [&](char kind) {
        return [&, kind] {
            std::lock_guard lock(mutex);
            steps[std::this_thread::get_id()].push_back({kind, Clock::now()});
        };
    };
    set_http_wait_hooks({note('b'), note('t'), note('e')});

    struct Case {
        const char* path;
        bool waits; // for a second or more
    };
    const Case cases[] = {{"/pause", true}, {"/silent", true}, {"/big", false}, {"/bytes", false}};
    struct Run {
        std::thread::id thread;
        Clock::time_point start;
        Fetched got;
    };
    std::vector<std::future<Run>> running;
    for (const Case& c : cases)
        running.push_back(std::async(std::launch::async, [this, path = c.path] {
            Run run {std::this_thread::get_id(), Clock::now(), {}};
            run.got = fetch(server.url(path));
            return run;
        }));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].path);
        const Run run = running[i].get();
        std::lock_guard lock(mutex);
        const std::vector<Step>& mine = steps[run.thread];
        ASSERT_GE(mine.size(), 2u);
        EXPECT_EQ(mine.front().kind, 'b');
        EXPECT_EQ(mine.back().kind, 'e');
        EXPECT_GE(mine.front().at, run.start);
        EXPECT_LE(mine.back().at, run.got.transferred);
        Clock::duration longest {};
        for (size_t k = 1; k < mine.size(); ++k) {
            longest = std::max(longest, mine[k].at - mine[k - 1].at);
            if (k + 1 < mine.size()) {
                EXPECT_EQ(mine[k].kind, 't');
            }
            if (k >= 2 && mine[k].kind == 't') {
                EXPECT_GE(mine[k].at - mine[k - 1].at, HTTP_WAIT_TURN);
            }
        }
        EXPECT_LT(longest, 250ms);
        if (cases[i].waits) {
            EXPECT_GE(mine.back().at - mine.front().at, 1s);
        }
    }
}

// The limits the program ships with, not the tests' own: the body ceiling as it is, the
// time-outs scaled down.
TEST_F(HttpTest, ShippedLimitsHold)
{
    HttpLimits shipped = saved;
    shipped.connect_timeout /= time_scale;
    shipped.stall_timeout /= time_scale;
    shipped.total_timeout /= time_scale;
    set_http_limits(shipped);

    const auto outcomes = fetch_all({
        "/part",    // cut 15 s after its last byte
        "/pause",   // 12 s without a byte is not yet a stall
        "/trickle", // never quiet: cut when the 60 s are up
        "/shipped-" + std::to_string(shipped_ceiling),     // 32 MiB: the whole body
        "/shipped-" + std::to_string(shipped_ceiling + 1), // a byte more: cut at 32 MiB
    });
    for (const Outcome& outcome : outcomes)
        EXPECT_TRUE(outcome.got.opened);
    const Fetched& part = outcomes[0].got;
    EXPECT_EQ(text_of(part.body), "GIF89a-part");
    EXPECT_GE(part.transferred - part_sent.load(), 15'000ms / time_scale);
    EXPECT_LT(part.transferred - part_sent.load(), 16'000ms / time_scale);
    EXPECT_EQ(text_of(outcomes[1].got.body), "GIF89a-rest");
    EXPECT_EQ(outcomes[1].got.last_read, TRUE);
    EXPECT_GE(outcomes[2].took(), 58'000ms / time_scale); // libcurl keeps its own clock
    EXPECT_LT(outcomes[2].took(), 62'000ms / time_scale);
    EXPECT_EQ(outcomes[2].got.last_read, FALSE);
    EXPECT_EQ(outcomes[3].got.body.size(), 32u << 20);
    EXPECT_EQ(outcomes[3].got.last_read, TRUE);
    EXPECT_EQ(outcomes[4].got.body.size(), 32u << 20);
    EXPECT_EQ(outcomes[4].got.last_read, FALSE);
}

TEST_F(HttpTest, BodiesStopAtTheCeiling)
{
    for (const char* path : {"/endless", "/over-ceiling"}) {
        SCOPED_TRACE(path);
        const Fetched got = fetch(server.url(path));
        EXPECT_TRUE(got.opened);
        EXPECT_EQ(got.body.size(), ceiling);
        EXPECT_EQ(got.last_read, FALSE);
    }
}

TEST_F(HttpTest, ProxyComesFromTheEnvironmentOrTheCall)
{
    const std::string proxy = "127.0.0.1:" + std::to_string(server.port());
    {
        test::ScopedEnv env("http_proxy", "http://" + proxy);
        EXPECT_EQ(text_of(fetch("http://pictures.velmora.invalid/p").body), "by proxy");
        EXPECT_FALSE(fetch("http://pictures.velmora.invalid/p", INTERNET_OPEN_TYPE_DIRECT).opened);
    }
    EXPECT_EQ(text_of(fetch("http://pictures.velmora.invalid/p", INTERNET_OPEN_TYPE_PROXY, proxy.c_str()).body),
              "by proxy");
    const auto seen = server.seen();
    ASSERT_EQ(seen.size(), 2u);
    for (const auto& request : seen) {
        EXPECT_EQ(request.host, "pictures.velmora.invalid");
        EXPECT_EQ(request.target, "http://pictures.velmora.invalid/p");
    }
}

TEST(HttpHandles, AreNeverReusedAndBadArgumentsFail)
{
    std::vector<HINTERNET> handles;
    for (int i = 0; i < 4; ++i) {
        const HINTERNET h = InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        ASSERT_NE(h, 0u);
        if (!handles.empty()) {
            EXPECT_GT(h, handles.back());
        }
        handles.push_back(h);
        EXPECT_EQ(InternetCloseHandle(h), TRUE);
    }
    EXPECT_EQ(InternetOpenUrlA(handles[0], "http://127.0.0.1:1/", nullptr, 0, 0, 0), 0u); // closed session
    EXPECT_EQ(InternetOpenA("a", 2, nullptr, nullptr, 0), 0u);
    EXPECT_EQ(InternetOpenA("a", INTERNET_OPEN_TYPE_PROXY, nullptr, nullptr, 0), 0u);
    DWORD count = 7;
    EXPECT_EQ(InternetQueryDataAvailable(0, &count, 0, 0), FALSE);
    EXPECT_EQ(InternetReadFile(0, nullptr, 10, &count), FALSE);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(InternetCloseHandle(0), FALSE);
}

} // namespace
