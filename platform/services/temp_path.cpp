// The private temporary directory, held open once checked, and its files made, replaced
// and read relative to it.
#include "platform/services/temp_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
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
    int release() { return std::exchange(m_fd, -1); }

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

// Makes `name` under `parent` or takes the one there, if it is our own directory and not
// a link, and closes it to others; the directory held open, or -1.
int open_private(const std::string& parent, const std::string& name)
{
    const Fd base(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (base.get() < 0)
        return -1;
    if (::mkdirat(base.get(), name.c_str(), 0700) != 0 && errno != EEXIST)
        return -1;
    Fd dir(::openat(base.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() < 0)
        return -1; // a link (ELOOP), a file (ENOTDIR), or not ours to open
    struct stat st {};
    if (::fstat(dir.get(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return -1;
    if ((st.st_mode & 077) != 0 && ::fchmod(dir.get(), 0700) != 0)
        return -1;
    return dir.release();
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

constexpr std::string_view suffix_letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t suffix_length = 6;

// `name`.XXXXXX, the letters as mkstemp picks them.
bool is_staging_name(std::string_view entry, std::string_view name)
{
    if (entry.size() != name.size() + 1 + suffix_length || !entry.starts_with(name) || entry[name.size()] != '.')
        return false;
    for (const char c : entry.substr(name.size() + 1))
        if (suffix_letters.find(c) == std::string_view::npos)
            return false;
    return true;
}

std::string staging_name(const std::string& name)
{
    uint8_t random[suffix_length] = {};
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != ssize_t(sizeof random)) {
        // Only the name's uniqueness rests on this: O_EXCL refuses a name that is taken.
        auto mix = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^ uint64_t(::getpid());
        for (uint8_t& byte : random) {
            byte = uint8_t(mix);
            mix = (mix >> 8) | (mix << 56);
        }
    }
    std::string staging = name + '.';
    for (const uint8_t byte : random)
        staging += suffix_letters[byte % suffix_letters.size()];
    return staging;
}

void remove_staging_files(int directory, const std::string& name)
{
    // An open of its own, so that reading the entries moves no offset of the held one.
    const int listing = ::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    while (const dirent* entry = ::readdir(entries))
        if (is_staging_name(entry->d_name, name))
            ::unlinkat(directory, entry->d_name, 0);
    ::closedir(entries);
}

// A few tries, for a moment each: another writer holds the directory alone only while it
// clears away staging files.
bool try_lock(int fd, int operation)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

bool write_all(int fd, std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes = bytes.subspan(size_t(written));
    }
    return true;
}

// The whole of a regular file, from its start.
std::optional<FileBytes> read_whole(int fd, size_t max_bytes)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > max_bytes)
        return std::nullopt;
    const auto size = size_t(st.st_size);
    FileBytes whole {std::unique_ptr<uint8_t[]>(new uint8_t[size]), 0};
    while (whole.size < size) {
        const ssize_t got = ::pread(fd, whole.data.get() + whole.size, size - whole.size, off_t(whole.size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        whole.size += size_t(got);
    }
    return whole;
}

} // namespace

PrivateDirectory::PrivateDirectory()
{
    for (const auto& [parent, name] : candidates()) {
        m_fd = open_private(parent, name);
        if (m_fd >= 0) {
            m_path = joined(parent, name);
            return;
        }
    }
}

PrivateDirectory::~PrivateDirectory()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

StagedFile::StagedFile(const PrivateDirectory& directory, std::string name)
    : m_directory(directory.fd()), m_name(std::move(name))
{
}

StagedFile::~StagedFile()
{
    if (m_fd >= 0 && !m_renamed)
        ::unlinkat(m_directory, m_staging.c_str(), 0);
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_lock >= 0)
        ::close(m_lock); // and with it the lock
}

// Every writer holds the directory shared while its staging file exists; one that can have
// it alone knows that every staging file there is a dead writer's. A writer that cannot
// have it at all (another stopped while clearing) still writes. A lock belongs to an open
// of the directory, so each writer locks an open of its own.
void StagedFile::create()
{
    if (m_directory < 0)
        return;
    m_lock = ::openat(m_directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_lock >= 0) {
        if (::flock(m_lock, LOCK_EX | LOCK_NB) == 0)
            remove_staging_files(m_directory, m_name);
        if (!try_lock(m_lock, LOCK_SH))
            ::close(std::exchange(m_lock, -1));
    }
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_staging = staging_name(m_name);
        m_fd = ::openat(m_directory, m_staging.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
}

bool StagedFile::write(std::span<const uint8_t> bytes)
{
    if (!m_tried) {
        m_tried = true;
        create();
    }
    m_ok = m_ok && m_fd >= 0 && write_all(m_fd, bytes);
    return m_ok;
}

bool StagedFile::commit()
{
    if (!write({}))
        return false;
    // The old file goes first: a rename over a file makes some file systems (ext4) write the
    // new one out to disk at once, which costs more than the download. Whatever comes back
    // at the name meanwhile is still replaced by the rename.
    ::unlinkat(m_directory, m_name.c_str(), 0);
    m_renamed = ::renameat(m_directory, m_staging.c_str(), m_directory, m_name.c_str()) == 0;
    if (m_renamed && m_lock >= 0)
        ::close(std::exchange(m_lock, -1)); // no staging file of ours is left
    return m_renamed;
}

std::optional<FileBytes> StagedFile::read_back(size_t max_bytes) const
{
    if (!m_renamed)
        return std::nullopt;
    return read_whole(m_fd, max_bytes);
}

std::string private_temp_directory() { return PrivateDirectory().path(); }

DWORD GetTempPathA(DWORD buffer_length, char* buffer)
{
    return GetTempPathA(PrivateDirectory(), buffer_length, buffer);
}

DWORD GetTempPathA(const PrivateDirectory& directory, DWORD buffer_length, char* buffer)
{
    const std::string& path = directory.path();
    if (path.empty() || path.size() >= 0xFFFFFFFF)
        return 0;
    const auto length = DWORD(path.size());
    if (!buffer || buffer_length <= length)
        return length + 1;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return length;
}

} // namespace platform
