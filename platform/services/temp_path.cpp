#include "platform/services/temp_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// An absolute directory from the environment, or nothing.
std::optional<std::string> absolute_env(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return std::nullopt;
    return std::string(value);
}

// Where the directory may go, in order of preference: (parent, name).
std::vector<std::pair<std::string, std::string>> candidates()
{
    std::vector<std::pair<std::string, std::string>> places;
    if (auto runtime = absolute_env("XDG_RUNTIME_DIR"))
        places.emplace_back(*runtime, "velmora");
    places.emplace_back(absolute_env("TMPDIR").value_or("/tmp"), "velmora-" + std::to_string(::geteuid()));
    return places;
}

// Makes `name` under `parent` or takes the one there, if it is our own directory and
// not a link; closes it to others.
bool make_private(const std::string& parent, const std::string& name)
{
    const Fd base(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (base.get() < 0)
        return false;
    if (::mkdirat(base.get(), name.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    const Fd dir(::openat(base.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() < 0)
        return false; // a link (ELOOP), a file (ENOTDIR), or not ours to open
    struct stat st {};
    if (::fstat(dir.get(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::fchmod(dir.get(), 0700) != 0)
        return false;
    return true;
}

std::string joined(const std::string& parent, const std::string& name)
{
    std::string path = parent;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path != "/")
        path += '/';
    return path + name + '/';
}

} // namespace

std::string private_temp_directory()
{
    for (const auto& [parent, name] : candidates())
        if (make_private(parent, name))
            return joined(parent, name);
    return {};
}

DWORD GetTempPathA(DWORD buffer_length, char* buffer)
{
    const std::string path = private_temp_directory();
    if (path.empty() || path.size() >= 0xFFFFFFFF)
        return 0;
    const auto length = DWORD(path.size());
    if (!buffer || buffer_length <= length)
        return length + 1;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return length;
}

} // namespace platform
