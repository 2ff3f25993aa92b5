#include "app/url_picture.h"

#include "platform/forms/forms.h"
#include "platform/services/http.h"
#include "platform/services/temp_path.h"

#include <optional>
#include <span>

namespace app {

using namespace platform;

namespace {

constexpr DWORD TEMP_PATH_BUFFER = 260;
constexpr DWORD DEFAULT_READ_SIZE = 4096;

// The temporary directory and the file name; empty when there is no directory that fits
// the buffer, whose unfilled spaces would otherwise name a file in the current directory.
std::string temp_picture_path(const PrivateDirectory& directory)
{
    std::string buffer(TEMP_PATH_BUFFER, ' ');
    const DWORD length = GetTempPathA(directory, TEMP_PATH_BUFFER, buffer.data());
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

// The body written to the picture file; false when it cannot be.
bool download(StagedFile& file, const std::string& strURL)
{
    // Each block goes to the file as it is read: the body is never gathered a second time.
    read_body(strURL, [&file](std::span<const uint8_t> block) { return file.write(block); });
    return file.commit();
}

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
    // The directory first: with none the body would have nowhere to go.
    const PrivateDirectory directory;
    const std::string path = temp_picture_path(directory);
    StagedFile file(directory, TEMP_PICTURE_NAME);
    if (path.empty() || !download(file, strURL))
        return {};
    return path;
}

Picture URLPicture(const std::string& strURL)
{
    try {
        // Held from before the request until the picture is read back: the file is written in
        // this directory whatever becomes of its path meanwhile, and read back through its own
        // descriptor whatever another running copy puts at its name.
        const PrivateDirectory directory;
        if (temp_picture_path(directory).empty())
            return forms::LoadPicture();
        StagedFile file(directory, TEMP_PICTURE_NAME);
        if (!download(file, strURL))
            return forms::LoadPicture();
        const std::optional<FileBytes> bytes = file.read_back(http_limits().body_ceiling);
        return bytes ? StdPicture::loaded_from(bytes->bytes()) : forms::LoadPicture();
    } catch (...) {
        return forms::LoadPicture();
    }
}

} // namespace app
