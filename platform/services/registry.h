#pragma once
// Our stand-in for the advapi32 registry calls: predefined roots, keys and value names
// matched without regard to case, typed values and each key's default (unnamed) value.
//
// The store is one file per user, $XDG_CONFIG_HOME/velmora/registry.reg (XDG_CONFIG_HOME
// defaulting to ~/.config), in the REGEDIT4 text format with its texts in UTF-8. Every
// change re-reads the file under a lock (registry.reg.lock beside it, flock), applies
// itself and replaces the file atomically, so two running copies keep each other's
// writes. A store that cannot be written still opens for reading but refuses write
// access with ERROR_ACCESS_DENIED; a file that cannot be parsed is renamed to
// registry.reg.damaged-YYYYMMDD-HHMMSS and the store starts empty.
//
// Windows' bounds hold: a key name has at most 255 characters and a key is at most 512
// keys below its root (creating a deeper one gives ERROR_INVALID_PARAMETER). A store holds
// at most 65536 keys in a file of at most 16 MB; a change past either gives
// ERROR_NOT_ENOUGH_QUOTA, and a file past any bound is damaged. Reading and writing take
// time and memory in line with the file's size.
//
// A handle names its key's path. Handles are numbers handed out by the store and never
// reused, so a stale handle names nothing rather than another key.

#include "platform/win_types.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

using DWORD = uint32_t;
using BYTE = uint8_t;
using HKEY = uint32_t;
using REGSAM = uint32_t;
using LPCSTR = const char*;
struct SECURITY_ATTRIBUTES; // accepted and never looked at

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr HKEY HKEY_USERS = 0x80000003;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr LONG ERROR_WRITE_FAULT = 29;
inline constexpr LONG ERROR_LOCK_VIOLATION = 33;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_BAD_PATHNAME = 161;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_KEY_DELETED = 1018;
inline constexpr LONG ERROR_NOT_ENOUGH_QUOTA = 1816;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Paths are backslash-separated key names below `key`; none (nullptr or "") names `key`
// itself. One trailing backslash is allowed, a leading one is ERROR_BAD_PATHNAME.
// Value names nullptr and "" both name the default value.
LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, HKEY* result);
LONG RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, char* class_name, DWORD options,
    REGSAM access, const SECURITY_ATTRIBUTES* security, HKEY* result, DWORD* disposition);
// Without `data`, *size becomes the value's size; REG_SZ data carries its terminating NUL.
// A buffer too small gives ERROR_MORE_DATA with the size needed and leaves the buffer alone.
LONG RegQueryValueExA(HKEY key, LPCSTR value_name, DWORD* reserved, DWORD* type, BYTE* data,
    DWORD* size);
// REG_SZ and REG_EXPAND_SZ data that does not end with a NUL gets one; empty data stays empty.
LONG RegSetValueExA(HKEY key, LPCSTR value_name, DWORD reserved, DWORD type, const BYTE* data,
    DWORD size);
LONG RegDeleteValueA(HKEY key, LPCSTR value_name);
// Only a key without subkeys can be deleted (ERROR_ACCESS_DENIED otherwise).
LONG RegDeleteKeyA(HKEY key, LPCSTR sub_key);
LONG RegCloseKey(HKEY key);

// One registry file and the handles opened on it. The calls above use the process's
// store; tests may make more of them on one file, as two running copies would.
class RegistryStore {
public:
    explicit RegistryStore(std::string path);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const std::string& path() const;

    LONG open_key(HKEY key, LPCSTR sub_key, REGSAM access, HKEY* result);
    LONG create_key(HKEY key, LPCSTR sub_key, REGSAM access, HKEY* result, DWORD* disposition);
    LONG query_value(HKEY key, LPCSTR value_name, DWORD* type, BYTE* data, DWORD* size);
    LONG set_value(HKEY key, LPCSTR value_name, DWORD type, const BYTE* data, DWORD size);
    LONG delete_value(HKEY key, LPCSTR value_name);
    LONG delete_key(HKEY key, LPCSTR sub_key);
    LONG close_key(HKEY key);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// What a change would write back for a store file holding `text`: the store's own form of
// its keys and values; nullopt when `text` is damaged. Touches no file.
std::optional<std::string> rewritten_store_text(std::string_view text);

// $XDG_CONFIG_HOME/velmora/registry.reg, read from the environment now.
std::string default_registry_path();
// The process's store, created on first use at default_registry_path().
RegistryStore& registry_store();
// Drops the process's store and its handles; the next call opens it again where the
// environment then says (a restart, for tests).
void reopen_registry_store();

} // namespace platform
