#pragma once
// Registry names and paths: the bounds on them, the predefined roots, access rights, and
// names compared by their upper-case forms.

#include "platform/services/registry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry_detail {

// Windows' longest key name and value name, in characters, and its deepest key: keys
// below the root in its path.
inline constexpr size_t max_key_name = 255;
inline constexpr size_t max_value_name = 16383;
inline constexpr size_t max_depth = 512;
// A bigger file, or one with more keys, is not one of ours; a change that would make the
// store bigger is refused. A key takes a few hundred bytes in memory and two in the file.
inline constexpr size_t max_file_size = size_t(16) << 20;
inline constexpr size_t max_keys = size_t(1) << 16;

inline constexpr REGSAM DELETE_RIGHT = 0x00010000;
inline constexpr REGSAM WRITE_DAC = 0x00040000;
inline constexpr REGSAM WRITE_OWNER = 0x00080000;
inline constexpr REGSAM GENERIC_ALL = 0x10000000;
inline constexpr REGSAM GENERIC_WRITE = 0x40000000;
inline constexpr REGSAM GENERIC_READ = 0x80000000;
inline constexpr REGSAM write_rights
    = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE_RIGHT | WRITE_DAC | WRITE_OWNER;

struct Root {
    HKEY handle;
    const char* name;
};
// In the order the file lists them.
inline constexpr Root roots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
};

// The name of a predefined root key; nullptr for any other handle.
const char* root_name(HKEY key);

// Characters in `text` when it is UTF-8 without control characters (tabs allowed when
// asked for), else nullopt.
std::optional<size_t> plain_length(std::string_view text, bool tabs = false);

bool acceptable_name(std::string_view name, size_t longest);

// One character at a time, as Windows compares names: "ß" stays itself, "я" matches "Я".
std::string folded(std::string_view name);

// The key names of a path below a key; none names the key itself. No key is deeper than
// max_depth, so neither is a path.
LONG split_path(LPCSTR path, std::vector<std::string>& names);

LONG parse_value_name(LPCSTR name, std::string& out);

// The rights `access` grants, its generic rights spelled out.
REGSAM effective_access(REGSAM access);

} // namespace platform::registry_detail
