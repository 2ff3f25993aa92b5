#pragma once
// GetTempPathA's stand-in: the user's private temporary directory, made on first use.
// It is $XDG_RUNTIME_DIR/velmora/, else velmora-UID/ under $TMPDIR (or /tmp), with mode
// 0700. A directory of that name owned by another user, or a link in its place, is
// refused rather than used: files written there could be read or redirected by others.

#include <cstdint>
#include <string>

namespace platform {

using DWORD = uint32_t;

// The directory with its trailing '/', or empty when no private one can be had.
std::string private_temp_directory();

// Copies the directory and a NUL into `buffer` and returns its length without the NUL.
// When `buffer_length` is too small, returns the length it needs, NUL included, and
// leaves the buffer alone. 0 when no private directory can be had.
DWORD GetTempPathA(DWORD buffer_length, char* buffer);

} // namespace platform
