#pragma once
// GetTempPathA's stand-in and the files of the directory it names: the user's private
// temporary directory, made on first use. It is $XDG_RUNTIME_DIR/velmora/, else velmora-UID/
// under $TMPDIR (or /tmp), with mode 0700. A directory of that name owned by another user,
// or a link in its place, is refused and the next place tried: files written there could be
// read or redirected by others.
//
// Once checked, the directory is held open and its files are made and replaced relative to
// it, and read back through their own descriptors, never following a link: whatever is done to its path meanwhile (renamed
// away, a link put in its place), nothing outside it is created, replaced or read.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace platform {

using DWORD = uint32_t;

// The private directory, checked and held open.
class PrivateDirectory {
public:
    // The first place that is, or can be made, our own directory; none when no place fits.
    PrivateDirectory();
    ~PrivateDirectory();
    PrivateDirectory(const PrivateDirectory&) = delete;
    PrivateDirectory& operator=(const PrivateDirectory&) = delete;

    explicit operator bool() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // Where it was found, with its trailing '/'; empty when there is none.
    const std::string& path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

// A whole file in a buffer that is not zeroed first: a downloaded picture may be megabytes.
struct FileBytes {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
    std::span<const uint8_t> bytes() const { return {data.get(), size}; }
};

// A fresh file of the directory, renamed over `name` once it is complete: whatever lies at
// `name` (a link included) is replaced, never written through. A failed or abandoned write
// leaves the old file as it was; a complete one takes the old file away just before its
// rename, so a rename that fails then leaves none. It is staged as `name`.XXXXXX; before
// that, the staging files of writers that died are removed, unless another writer is at
// work. The directory must outlive it.
class StagedFile {
public:
    StagedFile(const PrivateDirectory& directory, std::string name);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Made at the first write, so a request that never answers leaves no file behind.
    bool write(std::span<const uint8_t> bytes);
    // The file in place; an empty one when nothing was written.
    bool commit();
    // What this writer put in place, read through its own descriptor: another writer's file
    // at the name since then is not it. Nothing before a commit, or past `max_bytes`.
    std::optional<FileBytes> read_back(size_t max_bytes) const;

private:
    void create();

    int m_directory;
    std::string m_name;
    std::string m_staging;
    int m_fd = -1;   // the staging file, open from its making to the end: the file put in place
    int m_lock = -1; // this writer's own open of the directory, which its lock belongs to
    bool m_tried = false;
    bool m_ok = true;
    bool m_renamed = false;
};

// The directory with its trailing '/', or empty when no private one can be had.
std::string private_temp_directory();

// Copies the directory and a NUL into `buffer` and returns its length without the NUL.
// When `buffer_length` is too small, returns the length it needs, NUL included, and
// leaves the buffer alone. 0 when no private directory can be had.
DWORD GetTempPathA(DWORD buffer_length, char* buffer);
// The same for a directory already held, so that the path names the one its files go to.
DWORD GetTempPathA(const PrivateDirectory& directory, DWORD buffer_length, char* buffer);

} // namespace platform
