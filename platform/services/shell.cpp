#include "platform/services/shell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string_view>

extern char** environ;

namespace platform {

namespace {

struct Opener {
    std::mutex mutex;
    std::vector<std::string> command {"xdg-open"};
};

Opener& opener()
{
    static Opener instance;
    return instance;
}

bool is_program(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The file execve should run: a name with a '/' as it is, any other looked up in PATH.
std::optional<std::string> find_program(const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    if (name.find('/') != std::string::npos)
        return is_program(name) ? std::optional(name) : std::nullopt;
    const char* env_path = std::getenv("PATH");
    const std::string_view path = env_path ? env_path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find(':', start), path.size());
        const std::string dir(path.substr(start, end - start));
        // An empty entry would mean the current directory: no opener is taken from there.
        if (!dir.empty() && is_program(dir + "/" + name))
            return dir + "/" + name;
        start = end + 1;
    }
    return std::nullopt;
}

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? char(x + 32) : x) == (y >= 'A' && y <= 'Z' ? char(y + 32) : y);
           });
}

// Everything the child needs, made before the fork: after it only async-signal-safe
// calls are allowed.
struct Launch {
    std::string program;
    std::vector<char*> argv;
    const char* directory = nullptr;
    int null_input = -1;
    int report = -1;     // write end of the pipe that carries errno when exec fails
    int max_fd = 1024;   // for closing descriptors when close_range is missing
};

[[noreturn]] void fail_child(int report)
{
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(report, &error, sizeof error);
    ::_exit(127);
}

void close_inherited(int keep, int max_fd)
{
    const bool below = keep <= 3 || ::close_range(3, unsigned(keep - 1), 0) == 0;
    if (below && ::close_range(unsigned(keep + 1), ~0u, 0) == 0)
        return;
    for (int fd = 3; fd < max_fd; ++fd)
        if (fd != keep)
            ::close(fd);
}

[[noreturn]] void run_grandchild(const Launch& launch)
{
    ::setsid(); // away from our terminal's signals
    if (launch.directory && ::chdir(launch.directory) != 0)
        fail_child(launch.report);
    if (::dup2(launch.null_input, STDIN_FILENO) < 0)
        fail_child(launch.report);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &default_action, nullptr); // ignored signals would stay ignored
    close_inherited(launch.report, launch.max_fd);
    ::execve(launch.program.c_str(), launch.argv.data(), environ);
    fail_child(launch.report);
}

// The parent's side: reaps the middle child and learns from the pipe whether exec worked.
bool await_exec(pid_t middle, int report_read)
{
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(report_read, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    const bool middle_ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return middle_ok && got == 0; // the pipe closed by a successful exec
}

} // namespace

bool spawn_detached(const std::vector<std::string>& argv, const std::string& directory)
{
    if (argv.empty())
        return false;
    const std::optional<std::string> program = find_program(argv[0]);
    if (!program)
        return false;
    std::vector<std::string> args = argv;
    Launch launch;
    launch.program = *program;
    for (auto& arg : args)
        launch.argv.push_back(arg.data());
    launch.argv.push_back(nullptr);
    if (!directory.empty())
        launch.directory = directory.c_str();
    launch.max_fd = int(std::clamp(::sysconf(_SC_OPEN_MAX), 256L, 65536L));

    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0)
        return false;
    launch.report = pipe_fds[1];
    launch.null_input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t middle = launch.null_input < 0 ? -1 : ::fork();
    if (middle == 0) {
        // The middle child leaves at once, so the grandchild belongs to init, which reaps it.
        const pid_t grandchild = ::fork();
        if (grandchild < 0)
            fail_child(launch.report);
        if (grandchild > 0)
            ::_exit(0);
        run_grandchild(launch);
    }
    ::close(pipe_fds[1]);
    if (launch.null_input >= 0)
        ::close(launch.null_input);
    const bool started = middle > 0 && await_exec(middle, pipe_fds[0]);
    ::close(pipe_fds[0]);
    return started;
}

std::vector<std::string> open_command()
{
    auto& o = opener();
    std::lock_guard lock(o.mutex);
    return o.command;
}

void set_open_command(std::vector<std::string> command)
{
    auto& o = opener();
    std::lock_guard lock(o.mutex);
    o.command = std::move(command);
}

HINSTANCE ShellExecuteA(HWND /*owner*/, const char* verb, const char* file, const char* /*parameters*/,
                        const char* directory, int /*show*/)
{
    if (!file)
        return SE_ERR_FNF;
    if (verb && !equals_ignoring_case(verb, "open"))
        return SE_ERR_NOASSOC;
    // The opener would take it for an option (xdg-open knows no "--"), and no address
    // or absolute path begins so: nothing can open it.
    if (file[0] == '-')
        return SE_ERR_NOASSOC;
    std::vector<std::string> argv = open_command();
    if (argv.empty())
        return SE_ERR_FNF;
    argv.emplace_back(file);
    return spawn_detached(argv, directory ? directory : "") ? SHELL_EXECUTE_DONE : SE_ERR_FNF;
}

} // namespace platform
