#include "platform/services/shell.h"

#include "tests/support/recording_opener.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

namespace {

using namespace platform;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// The opener replaced by the recorder for one test.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { set_open_command({opener.script()}); }
    void TearDown() override { set_open_command(saved); }

    Strings saved = open_command();
    test::RecordingOpener opener;
};

// Arguments a shell would split, expand or run, each of which must arrive as it is.
const Strings awkward_args = {
    "$(touch {dir}/ran)", "`touch {dir}/ran`", "; touch {dir}/ran", "a b  c", "*", "", "-x", "'\"\\",
    "line\nbreak", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
};

Strings with_dir(Strings args, const std::string& dir)
{
    for (auto& arg : args)
        for (size_t at; (at = arg.find("{dir}")) != std::string::npos;)
            arg.replace(at, 5, dir);
    return args;
}

TEST_F(ShellTest, SpawnPassesEveryArgumentAsItIsWithNoShellBetween)
{
    const Strings args = with_dir(awkward_args, opener.directory());
    Strings argv {opener.script()};
    argv.insert(argv.end(), args.begin(), args.end());
    ASSERT_TRUE(spawn_detached(argv));
    const auto call = opener.wait_for_call();
    ASSERT_TRUE(call);
    EXPECT_EQ(call->args, args);
    EXPECT_FALSE(std::filesystem::exists(opener.directory() + "/ran"));
}

TEST_F(ShellTest, SpawnedProgramIsDetachedFromUs)
{
    // A descriptor without close-on-exec, as a careless library might leave one.
    const int leaked = ::dup2(::open("/dev/null", O_RDONLY), 100);
    ASSERT_EQ(leaked, 100);
    ASSERT_TRUE(spawn_detached({opener.script()}, "/"));
    const auto call = opener.wait_for_call();
    ::close(leaked);
    ASSERT_TRUE(call);
    EXPECT_TRUE(call->args.empty());
    EXPECT_EQ(call->directory, "/");
    EXPECT_EQ(call->input, "/dev/null");
    EXPECT_FALSE(call->saw_fd_100);
    // No child of ours is left, running or as a zombie: the opener is init's.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(ShellTest, SpawnDoesNotWaitForTheProgram)
{
    // It lets go of our output, or the test runner would wait for it.
    const std::string slow = opener.directory() + "/slow.sh";
    std::ofstream(slow) << "#!/bin/sh\nexec >/dev/null 2>&1\nexec sleep 3\n";
    std::filesystem::permissions(slow, std::filesystem::perms::owner_all);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(spawn_detached({slow}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_TRUE(spawn_detached({"true"})); // a bare name is looked up in PATH
}

TEST_F(ShellTest, SpawnFailsWhenTheProgramCannotStart)
{
    const std::string not_executable = opener.directory() + "/plain";
    std::ofstream(not_executable) << "#!/bin/sh\n";
    const Strings cases[] = {
        {},
        {""},
        {"/nonexistent/velmora-opener"},
        {"velmora-no-such-program"},
        {not_executable},
        {opener.directory()}, // a directory
    };
    for (const Strings& argv : cases) {
        SCOPED_TRACE(argv.empty() ? "(none)" : argv[0]);
        EXPECT_FALSE(spawn_detached(argv));
    }
    EXPECT_FALSE(spawn_detached({opener.script()}, "/nonexistent/directory")); // exec never reached
    EXPECT_FALSE(opener.wait_for_call(200ms));
}

TEST_F(ShellTest, ShellExecuteOpensTheFileWithTheOpenVerbOnly)
{
    struct Case {
        const char* verb;
        const char* file;
        HINSTANCE result;
    };
    const Case cases[] = {
        {"open", "http://a.example/?q=1&r=2#top", SHELL_EXECUTE_DONE},
        {"Open", "http://a b", SHELL_EXECUTE_DONE},
        {nullptr, "", SHELL_EXECUTE_DONE},
        {"print", "http://a.example/", SE_ERR_NOASSOC},
        {"open", "-1234567890", SE_ERR_NOASSOC}, // xdg-open would take it for an option
        {"open", nullptr, SE_ERR_FNF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "(null)");
        EXPECT_EQ(ShellExecuteA(0, c.verb, c.file, "ignored", nullptr, SW_SHOWNORMAL), c.result);
        const auto call = c.result == SHELL_EXECUTE_DONE ? opener.wait_for_call() : opener.wait_for_call(200ms);
        ASSERT_EQ(call.has_value(), c.result == SHELL_EXECUTE_DONE);
        if (call) {
            EXPECT_EQ(call->args, Strings {c.file});
        }
    }
}

TEST_F(ShellTest, ShellExecuteRunsTheOpenerAfterItsOwnArgumentsInTheDirectory)
{
    set_open_command({opener.script(), "--new-window"});
    EXPECT_EQ(ShellExecuteA(0, "open", "http://a.example/", nullptr, "/tmp", SW_SHOWNORMAL), SHELL_EXECUTE_DONE);
    const auto call = opener.wait_for_call();
    ASSERT_TRUE(call);
    EXPECT_EQ(call->args, (Strings {"--new-window", "http://a.example/"}));
    EXPECT_EQ(call->directory, "/tmp");

    set_open_command({"velmora-no-such-opener"});
    EXPECT_EQ(ShellExecuteA(0, "open", "http://a.example/", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_FNF);
    set_open_command({});
    EXPECT_EQ(ShellExecuteA(0, "open", "http://a.example/", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_FNF);
}

TEST(ShellOpener, IsXdgOpenByDefault)
{
    EXPECT_EQ(open_command(), Strings {"xdg-open"});
}

} // namespace
