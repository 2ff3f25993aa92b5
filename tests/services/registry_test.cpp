#include "platform/services/registry.h"

#include "tests/services/registry_calls.h"
#include "tests/services/registry_sandbox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <sys/resource.h>

namespace {

using namespace platform;
using namespace std::string_literals;
using test_support::RegistrySandbox;
using namespace test_support::registry_calls;

constexpr const char* settings = "Software\\Velmora\\Settings";

// ---- Values

TEST(RegistryValues, ReadBackWithTheirTypeAndSizeBeforeAndAfterARestart)
{
    RegistrySandbox sandbox;
    struct Case {
        const char* label;
        DWORD type;
        std::string written;
        const char* name;
        const char* read_as;
        LONG code;
        std::string expected;
    };
    const Case cases[] = {
        {"text gets its terminating NUL", REG_SZ, "abc", "Site", "Site", ERROR_SUCCESS, "abc\0"s},
        {"text that has its NUL keeps one", REG_SZ, "abc\0"s, "Site", "Site", ERROR_SUCCESS, "abc\0"s},
        {"empty text stays empty", REG_SZ, "", "Site", "Site", ERROR_SUCCESS, ""},
        {"Cyrillic text is counted in bytes", REG_SZ, "Первый вход", "Entry", "Entry", ERROR_SUCCESS,
            "Первый вход\0"s},
        {"a NUL inside text is kept", REG_SZ, "a\0b"s, "Site", "Site", ERROR_SUCCESS, "a\0b\0"s},
        {"text with quotes, backslashes and a line break", REG_SZ, "C:\\dir\\\"q\"\r\n", "Site", "Site",
            ERROR_SUCCESS, "C:\\dir\\\"q\"\r\n\0"s},
        {"dword", REG_DWORD, "\x2a\0\0\0"s, "Count", "Count", ERROR_SUCCESS, "\x2a\0\0\0"s},
        {"dword of the wrong size", REG_DWORD, "\x01\x02"s, "Count", "Count", ERROR_SUCCESS, "\x01\x02"s},
        {"binary gets no NUL", REG_BINARY, "\0\xff\x10"s, "Blob", "Blob", ERROR_SUCCESS, "\0\xff\x10"s},
        {"binary over several lines", REG_BINARY, std::string(100, '\x5a'), "Blob", "Blob", ERROR_SUCCESS,
            std::string(100, '\x5a')},
        {"value names ignore case", REG_SZ, "x", "Site", "SITE", ERROR_SUCCESS, "x\0"s},
        {"Cyrillic names ignore case", REG_SZ, "x", "Поиск", "пОИСК", ERROR_SUCCESS, "x\0"s},
        {"a name with quotes and backslashes", REG_SZ, "x", "a\"b\\c", "A\"B\\C", ERROR_SUCCESS, "x\0"s},
        {"the default value, named by nullptr and by \"\"", REG_SZ, "d", nullptr, "", ERROR_SUCCESS, "d\0"s},
        {"a named value is not the default", REG_SZ, "x", "Site", nullptr, ERROR_FILE_NOT_FOUND, ""},
        {"a missing value", REG_SZ, "x", "Site", "Sites", ERROR_FILE_NOT_FOUND, ""},
    };
    const auto key_path = [](size_t i) { return "Software\\Case" + std::to_string(i); };
    const auto check = [&](HKEY key, const Case& c) {
        const Read read = read_value(key, c.read_as);
        EXPECT_EQ(read.code, c.code);
        if (c.code == ERROR_SUCCESS) {
            EXPECT_EQ(read.type, c.type);
            EXPECT_EQ(read.data, c.expected);
        }
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].label);
        const HKEY key = create_key(HKEY_CURRENT_USER, key_path(i).c_str());
        ASSERT_EQ(set_value(key, cases[i].name, cases[i].type, cases[i].written), ERROR_SUCCESS);
        check(key, cases[i]);
        RegCloseKey(key);
    }
    reopen_registry_store();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string("after a restart: ") + cases[i].label);
        HKEY key = 0;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key_path(i).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
        check(key, cases[i]);
        RegCloseKey(key);
    }
}

TEST(RegistryValues, SizeQueryAndShortBuffer)
{
    RegistrySandbox sandbox;
    const HKEY key = create_key(HKEY_LOCAL_MACHINE, settings);
    ASSERT_EQ(set_value(key, "Site", REG_SZ, "abc"), ERROR_SUCCESS);

    struct Case {
        DWORD buffer;
        LONG code;
    };
    for (const Case c : {Case {0, ERROR_MORE_DATA}, Case {3, ERROR_MORE_DATA}, Case {4, ERROR_SUCCESS},
             Case {10, ERROR_SUCCESS}}) {
        SCOPED_TRACE(c.buffer);
        std::string buffer(10, '#');
        DWORD size = c.buffer;
        DWORD type = 0;
        EXPECT_EQ(RegQueryValueExA(key, "Site", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size), c.code);
        EXPECT_EQ(size, 4u);
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(buffer, c.code == ERROR_MORE_DATA ? "##########"s : "abc\0######"s);
    }

    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Site", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(RegQueryValueExA(key, "Site", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    BYTE buffer[8];
    EXPECT_EQ(RegQueryValueExA(key, "Site", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Site", &reserved, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "Site", 1, REG_SZ, buffer, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "Site", 0, REG_SZ, nullptr, 1), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

// ---- Keys

TEST(RegistryKeys, CreateMakesEveryMissingKeyAndNamesIgnoreCase)
{
    RegistrySandbox sandbox;
    DWORD disposition = 0;
    const HKEY deep = create_key(HKEY_LOCAL_MACHINE, "Software\\Velmora\\Settings\\Deep", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(create_key(HKEY_LOCAL_MACHINE, "SOFTWARE\\velmora\\SETTINGS\\deep", &disposition));
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    for (const char* path : {"Software", "software\\VELMORA", settings})
        EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, path, KEY_READ), ERROR_SUCCESS) << path;
    EXPECT_EQ(open_code(HKEY_CURRENT_USER, "Software", KEY_READ), ERROR_FILE_NOT_FOUND);

    RegCloseKey(create_key(HKEY_LOCAL_MACHINE, "Software\\Настройки"));
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, "SOFTWARE\\НАСТРОЙКИ", KEY_READ), ERROR_SUCCESS);

    RegCloseKey(create_key(deep, "A\\B"));
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, "software\\velmora\\settings\\deep\\a\\b", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(open_code(deep, "a", KEY_READ), ERROR_SUCCESS);
    RegCloseKey(deep);

    // A key keeps the name it was first written with.
    const std::string file = RegistrySandbox::read(sandbox.store());
    EXPECT_NE(file.find("[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Settings\\Deep\\A\\B]\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("SOFTWARE"), std::string::npos) << file;
}

TEST(RegistryKeys, PathsAndNamesThatAreRefused)
{
    RegistrySandbox sandbox;
    struct Case {
        const char* label;
        std::string path;
        LONG code;
    };
    const Case cases[] = {
        {"leading backslash", "\\Software", ERROR_BAD_PATHNAME},
        {"lone backslash", "\\", ERROR_BAD_PATHNAME},
        {"empty name inside", "Software\\\\Velmora", ERROR_BAD_PATHNAME},
        {"one trailing backslash", "Trailing\\", ERROR_SUCCESS},
        {"control character", "Soft\nware", ERROR_INVALID_PARAMETER},
        {"not UTF-8", "\xcf\xf0\xe8", ERROR_INVALID_PARAMETER},
        {"256 characters", std::string(256, 'k'), ERROR_INVALID_PARAMETER},
        {"255 characters", std::string(255, 'k'), ERROR_SUCCESS},
        {"255 Cyrillic characters", [] {
             std::string name;
             for (int i = 0; i < 255; ++i)
                 name += "ж";
             return name;
         }(),
            ERROR_SUCCESS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        HKEY key = 0;
        DWORD disposition = 0;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, c.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      &disposition),
            c.code);
        RegCloseKey(key);
        EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, c.path.c_str(), KEY_READ), c.code);
    }
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, "trailing", KEY_READ), ERROR_SUCCESS);

    const HKEY key = create_key(HKEY_LOCAL_MACHINE, settings);
    struct Name {
        const char* label;
        const char* name;
        LONG code;
    };
    for (const Name n : {Name {"line break", "Na\nme", ERROR_INVALID_PARAMETER},
             Name {"tab", "\t", ERROR_INVALID_PARAMETER},
             Name {"stray continuation byte", "\x80", ERROR_INVALID_PARAMETER},
             Name {"cut short", "\xd0", ERROR_INVALID_PARAMETER},
             Name {"overlong slash", "\xc0\xaf", ERROR_INVALID_PARAMETER},
             Name {"surrogate", "\xed\xa0\x80", ERROR_INVALID_PARAMETER},
             Name {"beyond U+10FFFF", "\xf4\x90\x80\x80", ERROR_INVALID_PARAMETER},
             Name {"four-byte character", "\xf0\x9f\x99\x82", ERROR_SUCCESS},
             Name {"DEL", "\x7f", ERROR_INVALID_PARAMETER}})
        EXPECT_EQ(set_value(key, n.name, REG_SZ, "x"), n.code) << n.label;
    RegCloseKey(key);
}

TEST(RegistryKeys, DeleteValueAndKey)
{
    RegistrySandbox sandbox;
    const HKEY key = create_key(HKEY_LOCAL_MACHINE, settings);
    ASSERT_EQ(set_value(key, "Site", REG_SZ, "a"), ERROR_SUCCESS);
    ASSERT_EQ(set_value(key, nullptr, REG_SZ, "d"), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteValueA(key, "SITE"), ERROR_SUCCESS);
    EXPECT_EQ(read_value(key, "Site").code, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(read_value(key, nullptr).data, "d\0"s);
    EXPECT_EQ(RegDeleteValueA(key, "Site"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, ""), ERROR_SUCCESS);
    EXPECT_EQ(read_value(key, nullptr).code, ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Velmora"), ERROR_ACCESS_DENIED) << "it has a subkey";
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "\\Software\\Velmora\\Settings"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\velmora\\settings"), ERROR_SUCCESS);
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, settings, KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, "Software\\Velmora", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, settings), ERROR_FILE_NOT_FOUND);

    // The handle of a deleted key names nothing any more.
    EXPECT_EQ(set_value(key, "Site", REG_SZ, "a"), ERROR_KEY_DELETED);
    EXPECT_EQ(read_value(key, "Site").code, ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED) << "a root";
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
    const HKEY own = create_key(HKEY_LOCAL_MACHINE, "Software\\Own");
    EXPECT_EQ(RegDeleteKeyA(own, ""), ERROR_SUCCESS) << "the handle's own key";
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, "Software\\Own", KEY_READ), ERROR_FILE_NOT_FOUND);
    RegCloseKey(own);
}

// ---- Handles

TEST(RegistryHandles, AreNeverReusedAndKeepTheirAccess)
{
    RegistrySandbox sandbox;
    RegCloseKey(create_key(HKEY_LOCAL_MACHINE, settings));
    std::set<HKEY> seen;
    HKEY key = 0;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_READ, &key), ERROR_SUCCESS);
        EXPECT_LT(key, 0x80000000u);
        seen.insert(key);
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(read_value(key, "Site").code, ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, settings, KEY_READ), ERROR_SUCCESS) << "a root stays open";
    EXPECT_EQ(open_code(0x80000004, "Software", KEY_READ), ERROR_INVALID_HANDLE);
    EXPECT_EQ(open_code(0x12345678, "Software", KEY_READ), ERROR_INVALID_HANDLE);

    HKEY reader = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_READ, &reader), ERROR_SUCCESS);
    EXPECT_EQ(set_value(reader, "Site", REG_SZ, "a"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader, "Site"), ERROR_ACCESS_DENIED);
    HKEY child = 0;
    EXPECT_EQ(RegCreateKeyExA(reader, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
        ERROR_ACCESS_DENIED);

    // Another store's handle, and a handle from before a restart, name nothing here.
    RegistryStore other(sandbox.store());
    HKEY foreign = 0;
    ASSERT_EQ(other.open_key(HKEY_LOCAL_MACHINE, settings, KEY_READ, &foreign), ERROR_SUCCESS);
    EXPECT_FALSE(seen.count(foreign));
    EXPECT_EQ(read_value(foreign, "Site").code, ERROR_INVALID_HANDLE);
    reopen_registry_store();
    EXPECT_EQ(RegCloseKey(reader), ERROR_INVALID_HANDLE);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_FALSE(seen.count(key) || key == reader || key == foreign);
    RegCloseKey(key);
}

// ---- The file

TEST(RegistryFile, IsRegedit4WithUtf8Texts)
{
    RegistrySandbox sandbox;
    const HKEY key = create_key(HKEY_LOCAL_MACHINE, settings);
    set_value(key, "Site", REG_SZ, "example.ru");
    set_value(key, "Entry", REG_SZ, "Первый вход");
    set_value(key, nullptr, REG_SZ, "default");
    set_value(key, "Path", REG_SZ, "C:\\dir\\\"q\"");
    set_value(key, "Count", REG_DWORD, "\x2a\0\0\0"s);
    set_value(key, "Blob", REG_BINARY, "\x00\x01\xfe"s);
    set_value(key, "Empty", REG_SZ, "");
    set_value(key, "Lines", REG_SZ, "a\nb");
    set_value(key, "Expand", REG_EXPAND_SZ, "%x%");
    RegCloseKey(key);
    RegCloseKey(create_key(HKEY_CURRENT_USER, "Software\\Empty"));

    EXPECT_EQ(RegistrySandbox::read(sandbox.store()), R"(REGEDIT4
; Velmora settings. Texts are UTF-8.

[HKEY_CURRENT_USER\Software\Empty]

[HKEY_LOCAL_MACHINE\Software\Velmora\Settings]
"Site"="example.ru"
"Entry"="Первый вход"
@="default"
"Path"="C:\\dir\\\"q\""
"Count"=dword:0000002a
"Blob"=hex:00,01,fe
"Empty"=hex(1):
"Lines"=hex(1):61,0a,62,00
"Expand"=hex(2):25,78,25,00
)");
    EXPECT_EQ(sandbox.files(), (std::set<std::string> {"registry.reg", "registry.reg.lock"}));
}

TEST(RegistryFile, ReadsWhatAnEditorWrites)
{
    RegistrySandbox sandbox;
    sandbox.write_store("\xEF\xBB\xBFREGEDIT4\r\n"
                        "\r\n"
                        "; written by hand\r\n"
                        "[hkey_local_machine\\Software\\Velmora\\Settings]\r\n"
                        "\"Site\" = \"hand.example\"  \r\n"
                        "\"Blob\"=hex:01,02,\\\r\n"
                        "  03,04\r\n"
                        "\"Word\"=dword:FFFFFFFE\r\n"
                        "\"Multi\"=hex(7):61,00,00\r\n"
                        "\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Settings]\r\n"
                        "@=\"dflt\"\r\n");
    reopen_registry_store();
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(read_value(key, "Site").data, "hand.example\0"s);
    EXPECT_EQ(read_value(key, "Blob").data, "\x01\x02\x03\x04"s);
    EXPECT_EQ(read_value(key, "Word").data, "\xfe\xff\xff\xff"s);
    const Read multi = read_value(key, "Multi");
    EXPECT_EQ(multi.type, REG_MULTI_SZ);
    EXPECT_EQ(multi.data, "a\0\0"s);
    EXPECT_EQ(read_value(key, nullptr).data, "dflt\0"s);

    ASSERT_EQ(set_value(key, "Site", REG_SZ, "changed"), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string file = RegistrySandbox::read(sandbox.store());
    EXPECT_TRUE(file.starts_with("REGEDIT4\n")) << file;
    EXPECT_NE(file.find("\"Site\"=\"changed\"\n\"Blob\"=hex:01,02,03,04\n"), std::string::npos) << file;
    EXPECT_EQ(sandbox.files(), (std::set<std::string> {"registry.reg", "registry.reg.lock"}));
}

TEST(RegistryFile, TenMegabytesRoundTripAndABiggerStoreIsRefused)
{
    RegistrySandbox sandbox;
    const HKEY key = create_key(HKEY_LOCAL_MACHINE, settings);
    const std::string big(10 << 20, 'x');
    ASSERT_EQ(set_value(key, "Big", REG_SZ, big), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string file = RegistrySandbox::read(sandbox.store());
    EXPECT_GT(file.size(), big.size());

    reopen_registry_store();
    HKEY again = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_ALL_ACCESS, &again), ERROR_SUCCESS);
    EXPECT_TRUE(read_value(again, "Big").data == big + '\0');
    EXPECT_EQ(set_value(again, "Huge", REG_SZ, std::string(7 << 20, 'y')), ERROR_NOT_ENOUGH_QUOTA);
    EXPECT_EQ(read_value(again, "Huge").code, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(RegistrySandbox::read(sandbox.store()) == file);
    RegCloseKey(again);
}

TEST(RegistryFile, TwoCopiesWritingInTurnKeepEachOthersValues)
{
    RegistrySandbox sandbox;
    RegistryStore first(sandbox.store());
    RegistryStore second(sandbox.store());
    HKEY a = 0;
    HKEY b = 0;
    DWORD disposition = 0;
    ASSERT_EQ(first.create_key(HKEY_LOCAL_MACHINE, settings, KEY_ALL_ACCESS, &a, &disposition), ERROR_SUCCESS);
    ASSERT_EQ(second.create_key(HKEY_LOCAL_MACHINE, settings, KEY_ALL_ACCESS, &b, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY) << "the second copy sees the first one's key";
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(set_text(first, a, "First" + std::to_string(i), "one"), ERROR_SUCCESS);
        ASSERT_EQ(set_text(second, b, "Second" + std::to_string(i), "two"), ERROR_SUCCESS);
    }
    EXPECT_EQ(read_value(first, a, "Second4").data, "two\0"s);
    EXPECT_EQ(read_value(second, b, "First4").data, "one\0"s);
    ASSERT_EQ(set_text(first, a, "Shared", "1"), ERROR_SUCCESS);
    ASSERT_EQ(set_text(second, b, "Shared", "2"), ERROR_SUCCESS);

    reopen_registry_store();
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_READ, &key), ERROR_SUCCESS);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(read_value(key, ("First" + std::to_string(i)).c_str()).data, "one\0"s) << i;
        EXPECT_EQ(read_value(key, ("Second" + std::to_string(i)).c_str()).data, "two\0"s) << i;
    }
    EXPECT_EQ(read_value(key, "Shared").data, "2\0"s) << "the later write wins";
    RegCloseKey(key);
}

TEST(RegistryFile, TwoProcessesWritingAtOnceLoseNothing)
{
    RegistrySandbox sandbox;
    constexpr int writes = 25;
    std::vector<pid_t> children;
    for (int copy = 0; copy < 2; ++copy) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegistryStore store(sandbox.store());
            HKEY key = 0;
            DWORD disposition = 0;
            if (store.create_key(HKEY_LOCAL_MACHINE, settings, KEY_ALL_ACCESS, &key, &disposition) != ERROR_SUCCESS)
                _exit(1);
            for (int i = 0; i < writes; ++i)
                if (set_text(store, key, "P" + std::to_string(copy) + "-" + std::to_string(i), "v") != ERROR_SUCCESS)
                    _exit(2);
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        const auto status = test_support::wait_for_child(child);
        ASSERT_TRUE(status) << "a writer did not finish";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    }
    reopen_registry_store();
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_READ, &key), ERROR_SUCCESS);
    for (int copy = 0; copy < 2; ++copy)
        for (int i = 0; i < writes; ++i) {
            const std::string name = "P" + std::to_string(copy) + "-" + std::to_string(i);
            EXPECT_EQ(read_value(key, name.c_str()).code, ERROR_SUCCESS) << name;
        }
    RegCloseKey(key);
}

TEST(RegistryFile, AWriterKilledMidwayLeavesTheOldFileOrTheNew)
{
    RegistrySandbox sandbox;
    constexpr size_t length = 300000;
    const HKEY key = create_key(HKEY_LOCAL_MACHINE, settings);
    ASSERT_EQ(set_value(key, "Big", REG_SZ, std::string(length, 'a')), ERROR_SUCCESS);
    RegCloseKey(key);
    std::mt19937 random(7);
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegistryStore store(sandbox.store());
            HKEY own = 0;
            if (store.open_key(HKEY_LOCAL_MACHINE, settings, KEY_ALL_ACCESS, &own) != ERROR_SUCCESS)
                _exit(1);
            for (unsigned i = 1;; ++i)
                set_text(store, own, "Big", std::string(length, char('a' + i % 2)));
        }
        usleep(1000 + random() % 30000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        reopen_registry_store();
        HKEY again = 0;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_READ, &again), ERROR_SUCCESS);
        const std::string data = read_value(again, "Big").data;
        RegCloseKey(again);
        ASSERT_EQ(data.size(), length + 1);
        EXPECT_TRUE(data == std::string(length, 'a') + '\0' || data == std::string(length, 'b') + '\0');
        for (const auto& name : sandbox.files())
            EXPECT_EQ(name.find("damaged"), std::string::npos) << name;
    }
    // The next change clears away a killed writer's temporary file.
    const HKEY after = create_key(HKEY_LOCAL_MACHINE, settings);
    ASSERT_EQ(set_value(after, "After", REG_SZ, "x"), ERROR_SUCCESS);
    RegCloseKey(after);
    EXPECT_EQ(sandbox.files(), (std::set<std::string> {"registry.reg", "registry.reg.lock"}));
}

// A file size limit stops the writer a fixed way into the new file, as a full disk or a
// crash would: the settings from before are all there afterwards.
TEST(RegistryFile, AWriteStoppedMidwayLeavesTheOldSettings)
{
    struct Case {
        const char* label;
        bool writer_dies; // SIGXFSZ kills it; else the write fails with EFBIG
    };
    for (const Case c : {Case {"the disk fills up", false}, Case {"the writer dies", true}}) {
        SCOPED_TRACE(c.label);
        RegistrySandbox sandbox;
        const std::string old_big(60000, 'a');
        const HKEY key = create_key(HKEY_LOCAL_MACHINE, settings);
        ASSERT_EQ(set_value(key, "Site", REG_SZ, "old.example"), ERROR_SUCCESS);
        ASSERT_EQ(set_value(key, "Big", REG_SZ, old_big), ERROR_SUCCESS);
        RegCloseKey(key);

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, c.writer_dies ? SIG_DFL : SIG_IGN);
            RegistryStore store(sandbox.store());
            HKEY own = 0;
            if (store.open_key(HKEY_LOCAL_MACHINE, settings, KEY_ALL_ACCESS, &own) != ERROR_SUCCESS)
                _exit(100);
            const rlimit limit {20000, RLIM_INFINITY};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(101);
            _exit(int(set_text(store, own, "Big", std::string(60000, 'b'))));
        }
        const auto waited = test_support::wait_for_child(child);
        ASSERT_TRUE(waited) << "the writer did not finish";
        const int status = *waited;
        if (c.writer_dies) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == ERROR_WRITE_FAULT) << status;
        }

        reopen_registry_store();
        HKEY again = 0;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_ALL_ACCESS, &again), ERROR_SUCCESS);
        EXPECT_EQ(read_value(again, "Site").data, "old.example\0"s);
        EXPECT_TRUE(read_value(again, "Big").data == old_big + '\0');
        // And the store goes on: the next change clears away what the stopped writer left.
        EXPECT_EQ(set_value(again, "Site", REG_SZ, "new.example"), ERROR_SUCCESS);
        RegCloseKey(again);
        EXPECT_EQ(sandbox.files(), (std::set<std::string> {"registry.reg", "registry.reg.lock"}));
    }
}

TEST(RegistryFile, LocationComesFromTheEnvironment)
{
    const char* old_home = std::getenv("HOME");
    const std::string saved_home = old_home ? old_home : "";
    const char* old_xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved_xdg = old_xdg ? old_xdg : "";
    struct Case {
        const char* xdg; // nullptr: unset
        const char* home;
        const char* path;
    };
    const Case cases[] = {
        {"/x/config", "/home/u", "/x/config/velmora/registry.reg"},
        {nullptr, "/home/u", "/home/u/.config/velmora/registry.reg"},
        {"", "/home/u", "/home/u/.config/velmora/registry.reg"},
        {"relative/config", "/home/u", "/home/u/.config/velmora/registry.reg"},
    };
    for (const auto& c : cases) {
        if (c.xdg)
            setenv("XDG_CONFIG_HOME", c.xdg, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        setenv("HOME", c.home, 1);
        EXPECT_EQ(default_registry_path(), c.path) << (c.xdg ? c.xdg : "(unset)");
    }
    setenv("HOME", saved_home.c_str(), 1);
    if (old_xdg)
        setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

// ---- Access

TEST(RegistryAccess, AStoreThatCannotBeWrittenStillReads)
{
    RegistrySandbox sandbox;
    const HKEY key = create_key(HKEY_LOCAL_MACHINE, settings);
    ASSERT_EQ(set_value(key, "Site", REG_SZ, "kept"), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string before = RegistrySandbox::read(sandbox.store());

    const auto failure = sandbox.run_read_only([]() -> std::string {
        HKEY key = 0;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_ALL_ACCESS, &key) != ERROR_ACCESS_DENIED)
            return "full access was granted";
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "read access was refused";
        if (read_value(key, "Site").data != "kept\0"s)
            return "the value did not read back";
        if (set_value(key, "Site", REG_SZ, "lost") != ERROR_ACCESS_DENIED)
            return "a value was set";
        RegCloseKey(key);
        HKEY other = 0;
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, settings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &other,
                &disposition)
            != ERROR_ACCESS_DENIED)
            return "an existing key was opened for writing";
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, settings, 0, nullptr, 0, KEY_READ, nullptr, &other, &disposition)
            != ERROR_SUCCESS)
            return "an existing key was refused for reading";
        RegCloseKey(other);
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0, KEY_READ, nullptr, &other,
                &disposition)
            != ERROR_ACCESS_DENIED)
            return "a key was created";
        if (RegDeleteKeyA(HKEY_LOCAL_MACHINE, settings) != ERROR_ACCESS_DENIED)
            return "a key was deleted";
        return "";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(RegistrySandbox::read(sandbox.store()), before);
}

TEST(RegistryAccess, AConfigHomeThatCannotBeMadeRefusesWrites)
{
    RegistrySandbox sandbox;
    const std::string blocker = sandbox.home() + "/blocker";
    std::ofstream(blocker) << "a file where a directory should be";
    setenv("XDG_CONFIG_HOME", (blocker + "/config").c_str(), 1);
    reopen_registry_store();
    HKEY key = 0;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, settings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  &disposition),
        ERROR_ACCESS_DENIED);
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, nullptr, KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, nullptr, KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, settings, KEY_READ), ERROR_FILE_NOT_FOUND);
}

TEST(RegistryAccess, AStoreThatCannotBeReadIsLeftAlone)
{
    struct Case {
        const char* label;
        std::function<void(const RegistrySandbox&)> make;
    };
    const Case cases[] = {
        {"a link that leads to itself",
         [](const RegistrySandbox& sandbox) {
             std::filesystem::create_directories(sandbox.directory());
             std::filesystem::create_symlink("registry.reg", sandbox.store());
         }},
        {"a file it may not read",
         [](const RegistrySandbox& sandbox) {
             sandbox.write_store("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n");
             chmod(sandbox.store().c_str(), 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RegistrySandbox sandbox;
        c.make(sandbox);
        const auto before = std::filesystem::symlink_status(sandbox.store()).type();
        // Another user may write the directory: the store is refused for what it is alone.
        chmod(sandbox.home().c_str(), 0755);
        chmod(sandbox.directory().c_str(), 0777);
        const std::string failure = test_support::run_in_child([]() -> std::string {
            if (!RegistrySandbox::checked_by_permissions())
                return "no user but root to run as";
            reopen_registry_store();
            if (open_code(HKEY_LOCAL_MACHINE, "Software", KEY_READ) != ERROR_FILE_NOT_FOUND)
                return "something was read";
            if (open_code(HKEY_LOCAL_MACHINE, nullptr, KEY_ALL_ACCESS) != ERROR_ACCESS_DENIED)
                return "full access was granted";
            HKEY key = 0;
            if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, settings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
                != ERROR_ACCESS_DENIED)
                return "a key was created";
            return "";
        });
        EXPECT_EQ(failure, "");
        EXPECT_EQ(std::filesystem::symlink_status(sandbox.store()).type(), before);
        EXPECT_EQ(sandbox.files(), std::set<std::string> {"registry.reg"});
    }
}

} // namespace
