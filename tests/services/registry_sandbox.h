#pragma once
// A registry of one test's own: a fresh XDG_CONFIG_HOME for the process's store, and a way
// to run code against that store when it cannot be written, which works for root too.

#include "platform/services/registry.h"
#include "tests/support/bounded_child.h"

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
        const std::string failure = run_in_child([&] {
            std::string failure = refuse_writing();
            if (failure.empty()) {
                platform::reopen_registry_store();
                failure = body();
            }
            return failure;
        });
        chmod(directory().c_str(), 0700);
        return failure;
    }

    // In a child: this process made one that permission checks apply to, as they do to any
    // user but root; false where root can become no other user.
    static bool checked_by_permissions()
    {
        return geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
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
        if (checked_by_permissions())
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
