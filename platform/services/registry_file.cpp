// The registry file: read whole, replaced atomically, locked, set aside when damaged.
#include "platform/services/registry_file.h"

#include "platform/services/registry_names.h"
#include "platform/services/registry_text.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::registry_detail {

namespace {

FileId id_of(const struct stat& st)
{
    return {true, st.st_dev, st.st_ino, st.st_size,
        int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
        int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

bool write_all(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes.remove_prefix(size_t(put));
    }
    return true;
}

int move_without_replacing(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // Where the filesystem has no RENAME_NOREPLACE: a link refuses an existing name too.
    if (link(from.c_str(), to.c_str()) != 0)
        return -1;
    return unlink(from.c_str());
}

// Something is there, and it is not a regular file (a link is followed).
bool is_other_than_file(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

std::string config_home()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::string(home) + "/.config";
    char buffer[4096];
    passwd entry {};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir
        && found->pw_dir[0] == '/')
        return std::string(found->pw_dir) + "/.config";
    return {};
}

} // namespace

FileId file_id(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? id_of(st) : FileId{};
}

Contents read_store(const std::string& path)
{
    Contents contents;
    // A node that is no file is not opened at all: a device's open has effects of its own.
    if (!path.empty() && is_other_than_file(path)) {
        contents.health = Health::Damaged;
        return contents;
    }
    // Without blocking, for what took the name meanwhile: the open of a FIFO waits for a
    // writer, that of some devices for ever; a terminal never becomes the program's.
    const int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const bool missing = path.empty() || errno == ENOENT || errno == ENOTDIR;
        contents.health = missing ? Health::Sound : Health::Unreadable;
        return contents;
    }
    struct stat st;
    const bool seen = fstat(fd, &st) == 0;
    if (!seen || !S_ISREG(st.st_mode)) {
        close(fd);
        contents.health = seen ? Health::Damaged : Health::Unreadable;
        return contents;
    }
    contents.id = id_of(st);
    std::string text;
    char buffer[65536];
    while (text.size() <= max_file_size) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            close(fd);
            contents.health = Health::Unreadable;
            return contents;
        }
        if (got == 0)
            break;
        text.append(buffer, size_t(got));
    }
    close(fd);
    auto tree = text.size() <= max_file_size ? read_regedit(text) : std::nullopt;
    if (tree)
        contents.tree = std::move(*tree);
    else
        contents.health = Health::Damaged;
    return contents;
}

std::string directory_of(const std::string& path)
{
    const size_t cut = path.rfind('/');
    return cut == std::string::npos ? std::string(".") : path.substr(0, std::max<size_t>(cut, 1));
}

bool make_directories(const std::string& directory)
{
    struct stat st;
    if (stat(directory.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const size_t cut = directory.rfind('/');
    if (cut != std::string::npos && cut > 0 && !make_directories(directory.substr(0, cut)))
        return false;
    return mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST;
}

bool replace_file(const std::string& path, std::string_view text)
{
    std::string temporary = path + ".tmp-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = write_all(fd, text) && fsync(fd) == 0;
    if (close(fd) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    if (const int dir = open(directory_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

void remove_temporaries(const std::string& path)
{
    const std::string directory = directory_of(path);
    const std::string prefix = path.substr(path.rfind('/') + 1) + ".tmp-";
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir))
        if (std::string_view(entry->d_name).starts_with(prefix))
            unlinkat(dirfd(dir), entry->d_name, 0);
    closedir(dir);
}

bool set_aside(const std::string& path)
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".damaged-" + stamp;
    for (int n = 1; n < 1000; ++n) {
        const std::string target = n == 1 ? base : base + "-" + std::to_string(n);
        if (move_without_replacing(path, target) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

namespace {

// The lock file, made when missing; -1 when it can be neither opened nor made.
int open_lock(const std::string& path)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        struct stat st;
        // What is there and no file is set aside unopened.
        const bool other = lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
        const int flags = O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
        const int fd = other ? -1 : open(path.c_str(), flags, 0600);
        const bool seen = fd >= 0 ? fstat(fd, &st) == 0 : lstat(path.c_str(), &st) == 0;
        if (fd >= 0 && seen && S_ISREG(st.st_mode))
            return fd;
        if (fd >= 0)
            close(fd);
        if (!seen || S_ISREG(st.st_mode))
            return -1;
        // No copy locks what is not a regular file, so nobody's lock is lost with it.
        if (!set_aside(path) && errno != ENOENT)
            return -1;
    }
    return -1;
}

} // namespace

StoreLock::StoreLock(const std::string& path) : m_fd(open_lock(path)) {}

LONG StoreLock::acquire()
{
    if (m_fd < 0)
        return ERROR_ACCESS_DENIED;
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return ERROR_SUCCESS;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return ERROR_ACCESS_DENIED;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ERROR_LOCK_VIOLATION;
}

} // namespace platform::registry_detail

namespace platform {

std::string default_registry_path()
{
    const std::string home = registry_detail::config_home();
    return home.empty() ? std::string() : home + "/velmora/registry.reg";
}

} // namespace platform
