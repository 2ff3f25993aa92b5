#pragma once
// The registry calls as the tests make them: a key created or opened, a value set and read
// back the way callers read one, its size first.

#include "platform/services/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace test_support::registry_calls {

using namespace platform;

struct Read {
    LONG code = ERROR_SUCCESS;
    DWORD type = REG_NONE;
    std::string data;
};

inline HKEY create_key(HKEY parent, const char* path, DWORD* disposition = nullptr)
{
    HKEY key = 0;
    DWORD ignored = 0;
    EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                  disposition ? disposition : &ignored),
        ERROR_SUCCESS)
        << path;
    return key;
}

inline LONG open_code(HKEY parent, const char* path, REGSAM access)
{
    HKEY key = 0;
    const LONG code = RegOpenKeyExA(parent, path, 0, access, &key);
    if (code == ERROR_SUCCESS)
        RegCloseKey(key);
    return code;
}

inline LONG set_value(HKEY key, const char* name, DWORD type, std::string_view data)
{
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size()));
}

// As callers read a value: its size first, then its data.
inline Read read_value(HKEY key, const char* name)
{
    Read read;
    DWORD size = 0;
    read.code = RegQueryValueExA(key, name, nullptr, &read.type, nullptr, &size);
    if (read.code != ERROR_SUCCESS)
        return read;
    read.data.assign(size, '?');
    DWORD length = size;
    read.code = RegQueryValueExA(key, name, nullptr, &read.type, reinterpret_cast<BYTE*>(read.data.data()), &length);
    EXPECT_EQ(length, size);
    return read;
}

inline Read read_value(RegistryStore& store, HKEY key, const char* name)
{
    Read read;
    DWORD size = 0;
    read.code = store.query_value(key, name, &read.type, nullptr, &size);
    if (read.code != ERROR_SUCCESS)
        return read;
    read.data.assign(size, '?');
    read.code = store.query_value(key, name, &read.type, reinterpret_cast<BYTE*>(read.data.data()), &size);
    return read;
}

inline LONG set_text(RegistryStore& store, HKEY key, const std::string& name, const std::string& text)
{
    return store.set_value(key, name.c_str(), REG_SZ, reinterpret_cast<const BYTE*>(text.data()), DWORD(text.size()));
}

} // namespace test_support::registry_calls
