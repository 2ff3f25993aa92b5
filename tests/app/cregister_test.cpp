#include "app/cregister.h"

#include "tests/services/registry_sandbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform;
using namespace std::string_literals;
using app::CRegister;
using test_support::RegistrySandbox;

// The section as the program's windows build it.
const std::string section = "\\Software\\Velmora\\Settings";
constexpr const char* key_path = "Software\\Velmora\\Settings";

LONG open_code(HKEY root, const char* path)
{
    HKEY key = 0;
    const LONG code = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
    if (code == ERROR_SUCCESS)
        RegCloseKey(key);
    return code;
}

// The value's data as the platform has it.
std::string stored(const char* path, const char* name)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    DWORD size = 0;
    std::string data;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    } else {
        data = "(no value)";
    }
    RegCloseKey(key);
    return data;
}

TEST(CRegister, TextsReadBackUnchangedAfterARestart)
{
    RegistrySandbox sandbox;
    struct Case {
        const char* label;
        std::string text;
    };
    const Case cases[] = {
        {"Latin", "example.ru"},
        {"Cyrillic", "Первый вход"},
        {"other scripts", "日本語 ελληνικά עברית 🙂"},
        {"one blank", " "},
        {"quotes and backslashes", "a\"b\\c\\\\\"\""},
        {"line breaks and a tab", "line 1\r\nline 2\n\tend"},
        {"a NUL inside", "before\0after"s},
        {"very long", std::string(200000, 'x') + "Ж"},
    };
    CRegister registry;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(registry.REGSaveSetting(HKEY_LOCAL_MACHINE, section, "Site", c.text));
        // One byte more than the UTF-8 text: its terminating NUL.
        EXPECT_EQ(stored(key_path, "Site").size(), c.text.size() + 1);
        reopen_registry_store();
        EXPECT_TRUE(CRegister().REGGetSetting(HKEY_LOCAL_MACHINE, section, "Site", "default") == c.text);
    }
}

TEST(CRegister, WhatCannotBeReadGivesTheDefault)
{
    RegistrySandbox sandbox;
    CRegister registry;
    EXPECT_EQ(registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "Site", "default"), "default") << "no key";
    EXPECT_EQ(registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "Site"), "") << "no key, no default";
    ASSERT_TRUE(registry.REGSaveSetting(HKEY_LOCAL_MACHINE, section, "Entry", "set"));
    EXPECT_EQ(registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "Site", "default"), "default") << "no value";
    EXPECT_EQ(registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "Site"), "") << "no value, no default";

    ASSERT_TRUE(registry.REGSaveSetting(HKEY_LOCAL_MACHINE, section, "Site", ""));
    EXPECT_EQ(stored(key_path, "Site"), "") << "stored with size 0";
    EXPECT_EQ(registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "Site", "default"), "default") << "empty text";

    EXPECT_EQ(registry.REGGetSetting(0x80000004, section, "Site", "default"), "default") << "not a root";
    EXPECT_FALSE(registry.REGSaveSetting(0x80000004, section, "Site", "x"));
}

TEST(CRegister, StarNamesTheDefaultValue)
{
    RegistrySandbox sandbox;
    CRegister registry;
    ASSERT_TRUE(registry.REGSaveSetting(HKEY_LOCAL_MACHINE, section, "*", "unnamed"));
    EXPECT_EQ(stored(key_path, nullptr), "unnamed\0"s);
    EXPECT_EQ(stored(key_path, "*"), "(no value)");
    EXPECT_EQ(registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "*"), "unnamed");
    EXPECT_TRUE(registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, section, "*"));
    EXPECT_EQ(stored(key_path, nullptr), "(no value)");
}

TEST(CRegister, SectionLosesOneBackslashAtEachEnd)
{
    struct Case {
        const char* label;
        std::string section;
        const char* key; // where the value lands; nullptr: nowhere
    };
    const Case cases[] = {
        {"as the program builds it", "\\Software\\Velmora\\Settings", key_path},
        {"backslash before and after", "\\Software\\Velmora\\Settings\\", key_path},
        {"none", "Software\\Velmora\\Settings", key_path},
        {"two after: one stays, which the platform takes", "Software\\Velmora\\Settings\\\\", key_path},
        {"two before: one stays, which the platform refuses", "\\\\Software\\Velmora\\Settings", nullptr},
        {"empty: the root itself", "", ""},
        {"one backslash: the root itself", "\\", ""},
        {"two backslashes: the root itself", "\\\\", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        RegistrySandbox sandbox;
        CRegister registry;
        EXPECT_EQ(registry.REGSaveSetting(HKEY_LOCAL_MACHINE, c.section, "Site", "here"), c.key != nullptr);
        reopen_registry_store();
        EXPECT_EQ(registry.REGGetSetting(HKEY_LOCAL_MACHINE, c.section, "Site", "default"), c.key ? "here" : "default");
        if (c.key) {
            EXPECT_EQ(stored(c.key, "Site"), "here\0"s);
        }
    }
}

TEST(CRegister, SavingCreatesEveryMissingKey)
{
    RegistrySandbox sandbox;
    CRegister registry;
    EXPECT_TRUE(registry.REGSaveSetting(HKEY_CURRENT_USER, "\\A\\B\\C\\D\\", "Name", "deep"));
    for (const char* path : {"A", "A\\B", "A\\B\\C", "A\\B\\C\\D"})
        EXPECT_EQ(open_code(HKEY_CURRENT_USER, path), ERROR_SUCCESS) << path;
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, "A"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.REGGetSetting(HKEY_CURRENT_USER, "a\\b\\c\\d", "NAME"), "deep") << "names ignore case";
}

TEST(CRegister, ADwordComesBackAsItsBytesLessTheLast)
{
    RegistrySandbox sandbox;
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    const DWORD n = 0x0A0B0C0D;
    const BYTE bytes[4] = {BYTE(n), BYTE(n >> 8), BYTE(n >> 16), BYTE(n >> 24)};
    ASSERT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, bytes, 4), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(CRegister().REGGetSetting(HKEY_LOCAL_MACHINE, section, "Count"), "\x0D\x0C\x0B"s);
}

TEST(CRegister, DeletingAValueKeepsTheKeyAndDeletingTheKeyTakesTheSectionUntrimmed)
{
    RegistrySandbox sandbox;
    CRegister registry;
    ASSERT_TRUE(registry.REGSaveSetting(HKEY_LOCAL_MACHINE, section, "Site", "a"));
    ASSERT_TRUE(registry.REGSaveSetting(HKEY_LOCAL_MACHINE, section, "Entry", "b"));
    EXPECT_TRUE(registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, section, "Site"));
    EXPECT_EQ(registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "Site", "gone"), "gone");
    EXPECT_EQ(registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "Entry"), "b");
    EXPECT_FALSE(registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, section, "Site")) << "already gone";
    EXPECT_FALSE(registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, "\\Software\\Nowhere", "Site")) << "no key";

    // The section goes to the key deletion as it is: the platform refuses a leading
    // backslash, and only a key without subkeys is deleted.
    EXPECT_FALSE(registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, section));
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, key_path), ERROR_SUCCESS);
    EXPECT_FALSE(registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, "Software\\Velmora"));
    EXPECT_TRUE(registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, key_path));
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, key_path), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, "Software\\Velmora"), ERROR_SUCCESS);
    EXPECT_FALSE(registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, key_path)) << "already gone";
}

TEST(CRegister, WhenFullAccessIsRefusedReadingStillWorksAndWritingFails)
{
    RegistrySandbox sandbox;
    ASSERT_TRUE(CRegister().REGSaveSetting(HKEY_LOCAL_MACHINE, section, "Site", "Сайт.рф"));
    const std::string before = RegistrySandbox::read(sandbox.store());
    const auto failure = sandbox.run_read_only([]() -> std::string {
        CRegister registry;
        if (registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "Site", "default") != "Сайт.рф")
            return "the value was not read through the read-only retry";
        if (registry.REGGetSetting(HKEY_LOCAL_MACHINE, section, "Entry", "default") != "default")
            return "a missing value did not give the default";
        if (registry.REGSaveSetting(HKEY_LOCAL_MACHINE, section, "Site", "lost"))
            return "a save succeeded";
        if (registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, section, "Site"))
            return "a value was deleted";
        if (registry.REGDeleteSetting(HKEY_LOCAL_MACHINE, key_path))
            return "the key was deleted";
        return "";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(RegistrySandbox::read(sandbox.store()), before);
}

} // namespace
