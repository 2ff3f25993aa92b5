// The store's bounds: how deep a key goes, how many keys a store holds, and that a store
// within them is read and written back in time and space in line with its size.
#include "platform/services/registry.h"

#include "tests/services/registry_calls.h"
#include "tests/services/registry_sandbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using namespace platform;
using namespace std::string_literals;
using test_support::RegistrySandbox;
using namespace test_support::registry_calls;

constexpr const char* settings = "Software\\Velmora\\Settings";

// `levels` key names joined by backslashes.
std::string path_of(size_t levels, const std::string& name = "k")
{
    std::string path = name;
    for (size_t i = 1; i < levels; ++i)
        path += '\\' + name;
    return path;
}

// REGEDIT4 text naming `chains` keys `levels` deep below HKEY_USERS, each its own.
std::string chains_file(size_t chains, size_t levels)
{
    std::string text = "REGEDIT4\n";
    for (size_t i = 0; i < chains; ++i)
        text += "[HKEY_USERS\\c" + std::to_string(i) + '\\' + path_of(levels - 1, "a") + "]\n";
    return text;
}

bool has_damaged_copy(const RegistrySandbox& sandbox)
{
    for (const auto& name : sandbox.files())
        if (name.find("damaged") != std::string::npos)
            return true;
    return false;
}

TEST(RegistryLimits, AKeyIsAtMost512Deep)
{
    struct Case {
        const char* label;
        size_t base_depth; // of the open key the path starts from; 0: the root
        size_t levels;
        LONG code;
    };
    const Case cases[] = {
        {"512 from the root", 0, 512, ERROR_SUCCESS},
        {"513 from the root", 0, 513, ERROR_INVALID_PARAMETER},
        {"512 from a key 500 deep", 500, 12, ERROR_SUCCESS},
        {"513 from a key 500 deep", 500, 13, ERROR_INVALID_PARAMETER},
        {"4000 from the root", 0, 4000, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        RegistrySandbox sandbox;
        const HKEY base = c.base_depth ? create_key(HKEY_CURRENT_USER, path_of(c.base_depth).c_str()) : HKEY_CURRENT_USER;
        const std::string before = RegistrySandbox::read(sandbox.store());
        const std::string path = path_of(c.levels, "d");
        HKEY key = 0;
        EXPECT_EQ(RegCreateKeyExA(base, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), c.code);
        if (c.code == ERROR_SUCCESS) {
            EXPECT_EQ(set_value(key, "Deepest", REG_SZ, "here"), ERROR_SUCCESS);
            RegCloseKey(key);
            reopen_registry_store();
            HKEY again = 0;
            const std::string full = (c.base_depth ? path_of(c.base_depth) + '\\' : ""s) + path;
            ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, full.c_str(), 0, KEY_READ, &again), ERROR_SUCCESS);
            EXPECT_EQ(read_value(again, "Deepest").data, "here\0"s);
            RegCloseKey(again);
        } else {
            EXPECT_EQ(key, 0u);
            EXPECT_EQ(open_code(base, "d", KEY_READ), ERROR_FILE_NOT_FOUND) << "nothing of the path was made";
            EXPECT_EQ(RegistrySandbox::read(sandbox.store()), before);
        }
        RegCloseKey(base);
        EXPECT_FALSE(has_damaged_copy(sandbox));
    }
}

// A store within the bounds opens, takes a save and opens again at once, and its file stays
// as long as what it holds.
TEST(RegistryLimits, ABigStoreIsReadAndWrittenBackInLineWithItsSize)
{
    struct Case {
        const char* label;
        std::string file;
        const char* key; // a key of the file, and a value in it
        const char* value;
    };
    const std::string long_name(255, 'n');
    const std::string deepest = path_of(512, long_name);
    // Values on every 16th level of a key 512 deep: each level named once, by a line of its own.
    std::string layered = "REGEDIT4\n";
    for (size_t level = 16; level <= 512; level += 16)
        layered += "[HKEY_LOCAL_MACHINE\\" + path_of(level, std::string(60, 'm')) + "]\n\"At\"=\"" + std::to_string(level)
            + "\"\n";
    std::string many_values = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Many]\n";
    for (int i = 0; i < 50000; ++i)
        many_values += "\"v" + std::to_string(i) + "\"=\"" + std::to_string(i) + "\"\n";
    const std::string deepest_key = "HKEY_LOCAL_MACHINE\\" + deepest;
    const std::string layered_key = path_of(32, std::string(60, 'm'));
    const Case cases[] = {
        {"one key 512 deep, 255-character names", "REGEDIT4\n[" + deepest_key + "]\n\"Deep\"=\"x\"\n", deepest.c_str(),
            "Deep"},
        {"values on every 16th level of a key 512 deep", layered, layered_key.c_str(), "At"},
        {"50000 values in one key", many_values, "Software\\Many", "v49999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        RegistrySandbox sandbox;
        sandbox.write_store(c.file);
        reopen_registry_store();
        const auto start = std::chrono::steady_clock::now();
        const HKEY key = create_key(HKEY_LOCAL_MACHINE, settings);
        EXPECT_EQ(set_value(key, "Site", REG_SZ, "saved"), ERROR_SUCCESS);
        RegCloseKey(key);
        reopen_registry_store();
        EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, settings, KEY_READ), ERROR_SUCCESS);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took.count(), 10.0) << "seconds to open, save and open again";

        EXPECT_FALSE(has_damaged_copy(sandbox));
        const size_t written = RegistrySandbox::read(sandbox.store()).size();
        EXPECT_LT(written, c.file.size() * 11 / 10 + 200) << "bytes written for " << c.file.size() << " read";
        HKEY kept = 0;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, c.key, 0, KEY_READ, &kept), ERROR_SUCCESS);
        EXPECT_EQ(read_value(kept, c.value).code, ERROR_SUCCESS);
        RegCloseKey(kept);
    }
}

// The store never writes a file it would refuse to read: a change past the most keys a
// store holds is refused, and the store goes on as it was.
TEST(RegistryLimits, AChangePastTheMostKeysIsRefused)
{
    RegistrySandbox sandbox;
    // 127 chains of 512 keys, the 5 roots and Base: 65030 keys, 506 short of 65536.
    sandbox.write_store(chains_file(127, 512));
    reopen_registry_store();
    const HKEY base = create_key(HKEY_CURRENT_USER, "Base");
    const std::string before = RegistrySandbox::read(sandbox.store());
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyExA(base, path_of(507).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_NOT_ENOUGH_QUOTA);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(open_code(base, "k", KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(RegistrySandbox::read(sandbox.store()) == before);

    RegCloseKey(create_key(base, path_of(506).c_str()));
    EXPECT_EQ(set_value(base, "Site", REG_SZ, "still saved"), ERROR_SUCCESS);
    RegCloseKey(base);
    reopen_registry_store();
    EXPECT_EQ(open_code(HKEY_CURRENT_USER, ("Base\\" + path_of(506)).c_str(), KEY_READ), ERROR_SUCCESS);
    EXPECT_FALSE(has_damaged_copy(sandbox));
}

} // namespace
