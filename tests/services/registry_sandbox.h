#pragma once
// A registry of one test's own: a fresh XDG_CONFIG_HOME for the process's store, and a way
// to run code against that store when it cannot be written, which works for root too.

#include "platform/registry.h"

#include <grp.h>
#include <sys/stat.h>
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

    // Runs `body` in a child process for which the store's directory is read-only, with a
    // freshly opened store; `body` returns what went wrong, or "" when all held. Root passes
    // every permission check, so for root the child reads the files as user nobody.
    // nullopt when no such child can be made.
    std::optional<std::string> run_read_only(const std::function<std::string()>& body) const
    {
        int channel[2];
        if (pipe(channel) != 0)
            return std::nullopt;
        const pid_t child = fork();
        if (child < 0) {
            close(channel[0]);
            close(channel[1]);
            return std::nullopt;
        }
        if (child == 0) {
            close(channel[0]);
            if (geteuid() == 0) {
                chmod(m_home.c_str(), 0755);
                chmod(directory().c_str(), 0755);
                chmod(store().c_str(), 0644);
                if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(77);
            } else {
                chmod(directory().c_str(), 0500);
            }
            platform::reopen_registry_store();
            const std::string failure = body();
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
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
            return std::nullopt;
        if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && failure.empty()))
            return "the read-only child did not finish";
        return failure;
    }

private:
    std::string m_home;
    std::optional<std::string> m_old_home;
};

} // namespace test_support
