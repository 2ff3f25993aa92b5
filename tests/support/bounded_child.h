#pragma once
// Code run in a child process that has a few seconds to finish: a child still running after
// them is killed, so a test of something that could hang fails instead of waiting for
// CTest's limit.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

inline constexpr std::chrono::milliseconds child_limit {10000};

// The child's wait status once it has ended; nothing when it had not after `limit` (it is
// then killed and reaped) or is no child of ours.
inline std::optional<int> wait_for_child(pid_t child, std::chrono::milliseconds limit = child_limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child)
            return status;
        if (ended < 0 && errno != EINTR)
            return std::nullopt;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Runs `body` in a child process: what it says went wrong, "" when all held, or why the
// child told nothing (it did not finish within `limit`, or died).
inline std::string run_in_child(const std::function<std::string()>& body,
                                std::chrono::milliseconds limit = child_limit)
{
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return "no pipe to the child";
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return "no child";
    }
    if (child == 0) {
        ::close(channel[0]);
        std::string failure;
        try {
            failure = body();
        } catch (...) {
            ::_exit(2); // never back into the test runner, which is the parent's
        }
        // A short message fits the pipe: the write does not wait for the parent.
        const bool told = ::write(channel[1], failure.data(), failure.size()) == ssize_t(failure.size());
        ::_exit(told ? 0 : 1);
    }
    ::close(channel[1]);
    const std::optional<int> status = wait_for_child(child, limit);
    std::string failure;
    char buffer[256];
    ::fcntl(channel[0], F_SETFL, O_NONBLOCK);
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        failure.append(buffer, size_t(got));
    ::close(channel[0]);
    if (!status)
        return "the child did not finish within " + std::to_string(limit.count()) + " ms";
    if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
        return "the child died (status " + std::to_string(*status) + ")";
    return failure;
}

} // namespace test_support
