#include "app/url_picture.h"

#include "platform/forms/forms.h"
#include "platform/services/http.h"
#include "platform/services/temp_path.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <span>
#include <utility>

namespace app {

using namespace platform;

namespace {

constexpr DWORD TEMP_PATH_BUFFER = 260;
constexpr DWORD DEFAULT_READ_SIZE = 4096;

// The temporary directory and the file name; empty when there is no directory that fits
// the buffer, whose unfilled spaces would otherwise name a file in the current directory.
std::string temp_picture_path()
{
    std::string buffer(TEMP_PATH_BUFFER, ' ');
    const DWORD length = GetTempPathA(TEMP_PATH_BUFFER, buffer.data());
    if (length == 0 || length >= TEMP_PATH_BUFFER)
        return {};
    return buffer.substr(0, buffer.find('\0')) + TEMP_PICTURE_NAME;
}

// An internet handle closed when it goes, whatever ends the read.
struct InternetHandle {
    HINTERNET handle;
    explicit InternetHandle(HINTERNET h) : handle(h) {}
    ~InternetHandle()
    {
        if (handle != 0)
            InternetCloseHandle(handle);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
};

// The body of the address, block by block as it is read, each handed to `keep`, which
// returns false to stop; nothing when the internet handle, the address or the first size
// query fails. The address handle is closed before the internet handle.
template <typename Keep>
void read_body(const std::string& url, Keep keep)
{
    const InternetHandle internet(InternetOpenA("Mozilla/4.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (internet.handle == 0)
        return;
    const InternetHandle file(InternetOpenUrlA(internet.handle, url.c_str(), nullptr, 0, 0, 0));
    if (file.handle == 0)
        return;
    DWORD available = 0;
    if (!InternetQueryDataAvailable(file.handle, &available, 0, 0))
        return;
    const DWORD read_size = available == 0 ? DEFAULT_READ_SIZE : available;
    std::vector<uint8_t> buffer(read_size);
    for (;;) {
        DWORD read = 0;
        InternetReadFile(file.handle, buffer.data(), read_size, &read); // a failed read counts 0
        if (read == 0 || !keep(std::span<const uint8_t>(buffer.data(), read)))
            return;
    }
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

// A fresh file that is renamed over `path` once it is complete: whatever lies at `path`
// (a link included) is replaced, never written through, and a failed or abandoned write
// leaves the old file as it was.
class StagedFile {
public:
    explicit StagedFile(std::string path) : m_path(std::move(path)), m_staging(m_path + ".XXXXXX") {}
    ~StagedFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_created && !m_renamed)
            ::unlink(m_staging.c_str());
    }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Made at the first write, so a request that never answers leaves no file behind.
    bool write(std::span<const uint8_t> bytes)
    {
        if (!m_tried) {
            m_tried = true;
            m_fd = ::mkostemp(m_staging.data(), O_CLOEXEC);
            m_created = m_fd >= 0;
        }
        m_ok = m_ok && m_fd >= 0 && write_all(m_fd, bytes);
        return m_ok;
    }

    // The file in place; an empty one when nothing was written.
    bool commit()
    {
        if (!write({}))
            return false;
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0)
            return false;
        // The old file goes first: a rename over a file makes some file systems (ext4)
        // write the new one out to disk at once, which costs more than the download.
        // Whatever comes back at the path meanwhile is still replaced by the rename.
        ::unlink(m_path.c_str());
        m_renamed = ::rename(m_staging.c_str(), m_path.c_str()) == 0;
        return m_renamed;
    }

private:
    std::string m_path;
    std::string m_staging;
    int m_fd = -1;
    bool m_tried = false;
    bool m_created = false;
    bool m_ok = true;
    bool m_renamed = false;
};

} // namespace

std::vector<uint8_t> URLText(const std::string& strURL)
{
    std::vector<uint8_t> body;
    read_body(strURL, [&body](std::span<const uint8_t> block) {
        body.insert(body.end(), block.begin(), block.end());
        return true;
    });
    return body;
}

std::string download_to_temp_file(const std::string& strURL)
{
    // The path first: with no private directory the body would have nowhere to go.
    const std::string path = temp_picture_path();
    if (path.empty())
        return {};
    // Each block goes to the file as it is read: the body is never gathered a second time.
    StagedFile file(path);
    read_body(strURL, [&file](std::span<const uint8_t> block) { return file.write(block); });
    if (!file.commit())
        return {};
    return path;
}

Picture URLPicture(const std::string& strURL)
{
    try {
        const std::string path = download_to_temp_file(strURL);
        return path.empty() ? forms::LoadPicture() : forms::LoadPicture(path);
    } catch (...) {
        return forms::LoadPicture();
    }
}

} // namespace app
