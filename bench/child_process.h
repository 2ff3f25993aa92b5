#pragma once
// Running another program for a benchmark: its standard output read back, its wall time
// from the spawn to its end, and its peak resident memory as the kernel counted it.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

struct Finished {
    int status = -1;       // as waitpid gives it
    double wall_ms = 0;    // from the spawn to the end
    long peak_rss_kb = 0;  // the child's own high-water mark
    std::string output;    // its standard output
    bool ok() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

class ChildProcess {
public:
    // `argv[0]` is looked up in PATH. Standard error goes to /dev/null.
    explicit ChildProcess(const std::vector<std::string>& argv)
    {
        int pipe_ends[2];
        if (::pipe(pipe_ends) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
        posix_spawn_file_actions_addclose(&actions, pipe_ends[1]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        m_start = std::chrono::steady_clock::now();
        if (::posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe_ends[1]);
        m_output = pipe_ends[0];
    }
    ~ChildProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            wait();
        }
        if (m_output >= 0)
            ::close(m_output);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }

    // One line of its output, without the newline; empty at its end.
    std::string read_line()
    {
        std::string line;
        char c = 0;
        while (::read(m_output, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    // Reads the rest of its output and waits for its end.
    Finished wait()
    {
        Finished done;
        char buffer[4096];
        for (ssize_t n; m_output >= 0 && (n = ::read(m_output, buffer, sizeof buffer)) > 0;)
            done.output.append(buffer, size_t(n));
        rusage usage {};
        if (m_pid > 0 && ::wait4(m_pid, &done.status, 0, &usage) == m_pid) {
            done.wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
            done.peak_rss_kb = usage.ru_maxrss;
        }
        m_pid = -1;
        return done;
    }

private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::chrono::steady_clock::time_point m_start;
};

// Runs the program to its end.
inline Finished run(const std::vector<std::string>& argv)
{
    ChildProcess child(argv);
    return child.wait();
}

} // namespace bench
