#pragma once
// A stand-in for the desktop's opener in tests: a small script, in a directory of its
// own, that writes down how it was started (its arguments, working directory, standard
// input and whether descriptor 100 was open) and then marks the call done.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace test {

struct OpenerCall {
    std::vector<std::string> args;
    std::string directory;
    std::string input;     // what descriptor 0 is
    bool saw_fd_100 = false;
};

class RecordingOpener {
public:
    RecordingOpener()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-opener-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data()) ? pattern : std::string();
        std::ofstream(script()) << "#!/bin/sh\n"
                                   "d='" << m_dir << "'\n"
                                   "printf '%s\\0' \"$@\" > \"$d/args.part\"\n"
                                   "echo $# > \"$d/count\"\n"
                                   "pwd > \"$d/pwd\"\n"
                                   "readlink /proc/$$/fd/0 > \"$d/stdin\"\n"
                                   "if [ -e /proc/$$/fd/100 ]; then echo yes > \"$d/fd100\"; fi\n"
                                   "mv \"$d/args.part\" \"$d/args\"\n";
        std::filesystem::permissions(script(), std::filesystem::perms::owner_all);
    }
    ~RecordingOpener()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    RecordingOpener(const RecordingOpener&) = delete;
    RecordingOpener& operator=(const RecordingOpener&) = delete;

    std::string script() const { return m_dir + "/open.sh"; }
    const std::string& directory() const { return m_dir; }

    // The call that is expected next, once the script has finished writing it down; nothing
    // after a few seconds. Once an expected call has not come, every later one is looked for
    // only once: a broken opener, or a handler that never starts it, fails a test of many
    // calls in seconds, not in a few seconds per call.
    std::optional<OpenerCall> wait_for_call()
    {
        auto call = wait_for_call(m_missed ? std::chrono::milliseconds(0) : expected_within);
        m_missed = m_missed || !call;
        return call;
    }

    // The call, once the script has finished writing it down; nothing after `limit`.
    // Takes the call, so the next one can be awaited.
    std::optional<OpenerCall> wait_for_call(std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        const std::string done = m_dir + "/args";
        while (!std::filesystem::exists(done)) {
            if (std::chrono::steady_clock::now() > deadline)
                return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        OpenerCall call;
        const std::string args = read(done);
        const bool none = line(m_dir + "/count") == "0"; // printf wrote one empty field
        for (size_t start = 0; !none && start < args.size();) {
            const size_t end = args.find('\0', start);
            call.args.push_back(args.substr(start, end - start));
            start = end + 1;
        }
        call.directory = line(m_dir + "/pwd");
        call.input = line(m_dir + "/stdin");
        call.saw_fd_100 = std::filesystem::exists(m_dir + "/fd100");
        for (const char* name : {"/args", "/count", "/pwd", "/stdin", "/fd100"})
            std::filesystem::remove(m_dir + name);
        return call;
    }

    // The one address the next call handed over, or a marker when none came.
    std::string wait_for_address()
    {
        const auto call = wait_for_call();
        if (!call)
            return "<nothing opened>";
        if (call->args.size() != 1)
            return "<" + std::to_string(call->args.size()) + " arguments>";
        return call->args.front();
    }
    bool nothing_opened() { return !wait_for_call(std::chrono::milliseconds(300)); }

private:
    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::string line(const std::string& path)
    {
        std::string text = read(path);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }

    static constexpr std::chrono::milliseconds expected_within {5000};

    std::string m_dir;
    bool m_missed = false;
};

} // namespace test
