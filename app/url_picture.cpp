#include "app/url_picture.h"

#include "platform/forms/forms.h"
#include "platform/http.h"
#include "platform/temp_path.h"

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

bool write_all(int fd, const BodyBlocks& body)
{
    for (const std::vector<uint8_t>& block : body) {
        size_t done = 0;
        while (done < block.size()) {
            const ssize_t written = ::write(fd, block.data() + done, block.size() - done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            done += size_t(written);
        }
    }
    return true;
}

// A fresh file renamed over the old one: whatever lies at `path` (a link included) is
// replaced, never written through, and a failed write leaves the old file as it was.
bool replace_file(const std::string& path, const BodyBlocks& body)
{
    std::string staging = path + ".XXXXXX";
    const int fd = ::mkostemp(staging.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = write_all(fd, body);
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(staging.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(staging.c_str());
    return false;
}

} // namespace

BodyBlocks URLText(const std::string& strURL)
{
    BodyBlocks body;
    const HINTERNET internet = InternetOpenA("Mozilla/4.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet == 0)
        return body;
    const HINTERNET file = InternetOpenUrlA(internet, strURL.c_str(), nullptr, 0, 0, 0);
    if (file == 0) {
        InternetCloseHandle(internet);
        return body;
    }
    DWORD available = 0;
    if (!InternetQueryDataAvailable(file, &available, 0, 0)) {
        InternetCloseHandle(file);
        InternetCloseHandle(internet);
        return body;
    }
    const DWORD read_size = available == 0 ? DEFAULT_READ_SIZE : available;
    // Each read goes straight into the block that keeps it: the body is copied once here.
    for (;;) {
        std::vector<uint8_t>& block = body.emplace_back(read_size);
        DWORD read = 0;
        InternetReadFile(file, block.data(), read_size, &read); // a failed read counts 0
        if (read == 0) {
            body.pop_back();
            break;
        }
        block.resize(read);
    }
    InternetCloseHandle(file);
    InternetCloseHandle(internet);
    return body;
}

std::string download_to_temp_file(const std::string& strURL)
{
    // The path first: with no private directory the body would have nowhere to go.
    const std::string path = temp_picture_path();
    // The body is let go as soon as it is written, before the file is read back.
    if (path.empty() || !replace_file(path, URLText(strURL)))
        return {};
#ifdef __GLIBC__
    // The body's blocks are freed by now; their pages go back before the file is read
    // in as one piece, or the two copies would add up in the process's memory.
    ::malloc_trim(0);
#endif
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
