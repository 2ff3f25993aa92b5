#pragma once
// A registry of one test's own: a fresh XDG_CONFIG_HOME for the process's store, and a way
// to run code against that store when it cannot be written, which works for root too.

#include "platform/services/registry.h"

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace test_support {

class RegistrySandbox {
public:
    RegistrySandbox()
    {
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            m_old_home = old;
        char name[] = "/tmp/velmora-registry-XXXXXX";
        m_home = mkdtemp(name) ? name : "";
        setenv("XDG_CONFIG_HOME", m_home.c_str(), 1);
        platform::reopen_registry_store();
    }

    ~RegistrySandbox()
    {
        platform::reopen_registry_store();
        std::error_code ignored;
        std::filesystem::permissions(directory(), std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_home, ignored);
        if (m_old_home)
            setenv("XDG_CONFIG_HOME", m_old_home->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }

    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    const std::string& home() const { return m_home; }
    std::string directory() const { return m_home + "/velmora"; }
    std::string store() const { return directory() + "/registry.reg"; }

    // The names in the store's directory.
    std::set<std::string> files() const
    {
        std::set<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(directory(), ignored))
            names.insert(entry.path().filename().string());
        return names;
    }

    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    void write_store(const std::string& bytes) const
    {
        std::filesystem::create_directories(directory());
        std::ofstream(store(), std::ios::binary) << bytes;
    }

    // Runs `body` in a child process to which the store's directory cannot be written, with a
    // freshly opened store; gives what went wrong, or "" when all held (and says so when the
    // directory could not be refused: the test fails rather than passes untried).
    std::string run_read_only(const std::function<std::string()>& body) const
    {
        int channel[2];
        if (pipe(channel) != 0)
            return "no pipe to the read-only child";
        const pid_t child = fork();
        if (child < 0) {
            close(channel[0]);
            close(channel[1]);
            return "no read-only child";
        }
        if (child == 0) {
            close(channel[0]);
            std::string failure = refuse_writing();
            if (failure.empty()) {
                platform::reopen_registry_store();
                failure = body();
            }
            const bool told = write(channel[1], failure.data(), failure.size()) == ssize_t(failure.size());
            _exit(failure.empty() && told ? 0 : 1);
        }
        close(channel[1]);
        std::string failure;
        char buffer[256];
        for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
            failure.append(buffer, size_t(got));
        close(channel[0]);
        int status = 0;
        waitpid(child, &status, 0);
        chmod(directory().c_str(), 0700);
        if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && failure.empty()))
            return "the read-only child did not finish";
        return failure;
    }

private:
    // In the child: the store's directory made one this process cannot write, as a user's
    // directory of mode 0500 is; what stood in the way, or "". Root passes every permission
    // check, so root becomes user nobody, or where there is no such user (a user namespace
    // that maps root alone) sees the directory through a read-only mount of its own.
    std::string refuse_writing() const
    {
        mkdir(directory().c_str(), 0700);
        if (geteuid() != 0)
            return chmod(directory().c_str(), 0500) == 0 ? "" : "the store's directory could not be made read-only";
        chmod(m_home.c_str(), 0755);
        chmod(directory().c_str(), 0755);
        chmod(store().c_str(), 0644);
        if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0)
            return "";
        if (mount_read_only(directory()))
            return "";
        return "running as root, and neither user nobody nor a mount namespace could be had to refuse the store";
    }

    // A read-only bind mount of `path` over itself, in a mount namespace of this process's own.
    static bool mount_read_only(const std::string& path)
    {
        struct statvfs below {};
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || statvfs(path.c_str(), &below) != 0
            || mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return false;
        // The remount keeps the flags of the mount below, which a user namespace locks.
        const std::pair<unsigned long, unsigned long> flags[] = {{ST_NOSUID, MS_NOSUID}, {ST_NODEV, MS_NODEV},
            {ST_NOEXEC, MS_NOEXEC}, {ST_NOATIME, MS_NOATIME}, {ST_NODIRATIME, MS_NODIRATIME},
            {ST_RELATIME, MS_RELATIME}};
        unsigned long kept = 0;
        for (const auto& [statvfs_flag, mount_flag] : flags)
            if (below.f_flag & statvfs_flag)
                kept |= mount_flag;
        return mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY | kept, nullptr) == 0;
    }

    std::string m_home;
    std::optional<std::string> m_old_home;
};

} // namespace test_support
