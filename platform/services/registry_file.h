#pragma once
// The store's file on disk: read whole, replaced atomically, changed under a lock shared
// by every running copy, and set aside when it is damaged.

#include "platform/services/registry_keys.h"

#include <cstdint>
#include <string>
#include <string_view>

#include <sys/types.h>
#include <unistd.h>

namespace platform::registry_detail {

// What tells one state of the file from another: a change makes a new one.
struct FileId {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified = 0;
    int64_t changed = 0;
    bool operator==(const FileId&) const = default;
};

FileId file_id(const std::string& path);

enum class Health { Sound, Damaged, Unreadable };

struct Contents {
    Health health = Health::Sound;
    KeyTree tree;
    FileId id;
};

// A missing file is a sound, empty store. Whatever is not a regular file (a FIFO, a directory,
// a socket, a device) counts as damaged, so that it is kept aside; it is never read, and its
// open never waits.
Contents read_store(const std::string& path);

std::string directory_of(const std::string& path);
bool make_directories(const std::string& directory);

// Temporary file, flush, rename: a reader, or a crash, sees the old file or the new one. The
// temporary file is always a new one (O_EXCL), never anything that stood at its name.
bool replace_file(const std::string& path, std::string_view text);

// Temporary files of a copy that died while writing; called under the lock, when no
// other copy can be writing one.
void remove_temporaries(const std::string& path);

// registry.reg.damaged-YYYYMMDD-HHMMSS, with -2, -3, ... after it when that is taken.
bool set_aside(const std::string& path);

// The lock that serialises changes between running copies, on a file beside the store. It is
// only ever taken on a regular file: anything else at its name (a FIFO, a device, whose open
// could wait for good, a directory, a link) is kept aside and a fresh lock file made.
class StoreLock {
public:
    explicit StoreLock(const std::string& path);
    ~StoreLock()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // Waits a few seconds at most for the other copy's change.
    LONG acquire();

private:
    int m_fd;
};

} // namespace platform::registry_detail
