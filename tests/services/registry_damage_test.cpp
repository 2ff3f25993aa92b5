// A store file that is damaged, or is no file at all, is kept aside and the store starts
// empty; the next change writes a sound file.
#include "platform/services/registry.h"

#include "tests/services/registry_calls.h"
#include "tests/services/registry_sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace {

using namespace platform;
using namespace std::string_literals;
using test_support::RegistrySandbox;
using namespace test_support::registry_calls;
namespace fs = std::filesystem;

constexpr const char* settings = "Software\\Velmora\\Settings";

std::string repeated(std::string_view part, size_t times)
{
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += part;
    return out;
}

const std::regex damaged_name(R"(registry\.reg\.damaged-\d{8}-\d{6}(-\d+)?)");

std::vector<std::string> damaged_copies(const RegistrySandbox& sandbox)
{
    std::vector<std::string> names;
    for (const auto& name : sandbox.files())
        if (name.find("damaged") != std::string::npos)
            names.push_back(name);
    return names;
}

TEST(RegistryDamage, ADamagedFileIsKeptAsideAndTheStoreStartsEmpty)
{
    struct Case {
        const char* label;
        std::string contents;
    };
    const std::string key = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n";
    const Case cases[] = {
        {"not a registry file", "hello\n"},
        {"an empty file", ""},
        {"the UTF-16 editor's header", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n"},
        {"an invalid escape", key + "\"a\"=\"b\\q\"\n"},
        {"an unterminated text", key + "\"a\"=\"b\n"},
        {"junk after a text", key + "\"a\"=\"b\"c\n"},
        {"NUL bytes", key + "\"a\"=\"b\0c\"\n"s},
        {"a value before any key", "REGEDIT4\n\"a\"=\"b\"\n"},
        {"an unknown root", "REGEDIT4\n[HKEY_NOWHERE\\Software]\n"},
        {"an empty key name", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\\\X]\n"},
        {"a short dword", key + "\"a\"=dword:2a\n"},
        {"a bad hex byte", key + "\"a\"=hex:0g\n"},
        {"a hex list continued past the end", key + "\"a\"=hex:01,\\\n"},
        {"a deletion entry", "REGEDIT4\n[-HKEY_LOCAL_MACHINE\\Software]\n"},
        {"text in code page 1251", key + "\"a\"=\"\xcf\xf0\xe8\"\n"},
        {"one huge line", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\" + std::string(2 << 20, 'k') + "]\n"},
        {"a key name of 256 characters", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\" + std::string(256, 'k') + "]\n"},
        {"a key 513 deep", "REGEDIT4\n[HKEY_LOCAL_MACHINE" + repeated("\\k", 513) + "]\n"},
        {"more keys than a store holds", [] {
             // 129 keys 512 deep below HKEY_USERS, each its own: 66048 keys.
             std::string text = "REGEDIT4\n";
             for (int i = 0; i < 129; ++i)
                 text += "[HKEY_USERS\\c" + std::to_string(i) + repeated("\\a", 511) + "]\n";
             return text;
         }()},
        {"10 MB of control characters", std::string(10 << 20, '\x01')},
        {"bigger than any store", "REGEDIT4\n; " + std::string(17 << 20, 'x') + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        RegistrySandbox sandbox;
        sandbox.write_store(c.contents);
        reopen_registry_store();
        EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, "Software", KEY_READ), ERROR_FILE_NOT_FOUND);
        const auto copies = damaged_copies(sandbox);
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_TRUE(std::regex_match(copies[0], damaged_name)) << copies[0];
        const std::string kept = sandbox.directory() + "/" + copies[0];
        EXPECT_TRUE(RegistrySandbox::read(kept) == c.contents);

        const HKEY fresh = create_key(HKEY_LOCAL_MACHINE, settings);
        EXPECT_EQ(set_value(fresh, "Site", REG_SZ, "new"), ERROR_SUCCESS);
        RegCloseKey(fresh);
        EXPECT_TRUE(RegistrySandbox::read(kept) == c.contents);
        EXPECT_TRUE(RegistrySandbox::read(sandbox.store()).starts_with("REGEDIT4\n"));
    }
}

TEST(RegistryDamage, ALaterDamagedFileDoesNotReplaceAnEarlierOne)
{
    RegistrySandbox sandbox;
    for (const char* contents : {"first damage\n", "second damage\n"}) {
        sandbox.write_store(contents);
        reopen_registry_store();
        EXPECT_EQ(open_code(HKEY_LOCAL_MACHINE, "Software", KEY_READ), ERROR_FILE_NOT_FOUND);
    }
    std::set<std::string> kept;
    for (const auto& name : damaged_copies(sandbox)) {
        EXPECT_TRUE(std::regex_match(name, damaged_name)) << name;
        kept.insert(RegistrySandbox::read(sandbox.directory() + "/" + name));
    }
    EXPECT_EQ(kept, (std::set<std::string> {"first damage\n", "second damage\n"}));
}

TEST(RegistryDamage, ADamagedFileInAStoreThatCannotBeWrittenIsNotTouched)
{
    RegistrySandbox sandbox;
    sandbox.write_store("damaged\n");
    const auto failure = sandbox.run_read_only([]() -> std::string {
        if (open_code(HKEY_LOCAL_MACHINE, "Software", KEY_READ) != ERROR_FILE_NOT_FOUND)
            return "something was read";
        if (open_code(HKEY_LOCAL_MACHINE, nullptr, KEY_ALL_ACCESS) != ERROR_ACCESS_DENIED)
            return "full access was granted";
        return "";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(RegistrySandbox::read(sandbox.store()), "damaged\n");
    EXPECT_TRUE(damaged_copies(sandbox).empty());
}

// What a sync tool or a mistake can leave where a file of the store should be. The open of
// a FIFO for reading waits for a writer; the store's opens must not.
struct Node {
    const char* label;
    std::function<bool(const std::string& path)> make;
};

bool make_socket(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

const Node nodes[] = {
    {"a FIFO", [](const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }},
    {"a directory",
     [](const std::string& path) {
         fs::create_directory(path);
         std::ofstream(path + "/inside") << "x";
         return fs::exists(path + "/inside");
     }},
    {"a socket", make_socket},
    {"a link to a FIFO",
     [](const std::string& path) {
         const std::string fifo = fs::path(path).parent_path().parent_path() / "fifo";
         return ::mkfifo(fifo.c_str(), 0600) == 0 && ::symlink(fifo.c_str(), path.c_str()) == 0;
     }},
};

// A change made by a fresh process, which has a few seconds for it: what went wrong, or "".
// When `first`, the store must start empty.
std::string save_in_child(const char* value, bool first = true)
{
    return test_support::run_in_child([value, first]() -> std::string {
        reopen_registry_store();
        if (first && open_code(HKEY_LOCAL_MACHINE, "Software", KEY_READ) != ERROR_FILE_NOT_FOUND)
            return "the store did not start empty";
        HKEY key = 0;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, settings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
            != ERROR_SUCCESS)
            return "the key could not be created";
        const LONG code = set_value(key, "Site", REG_SZ, value);
        RegCloseKey(key);
        return code == ERROR_SUCCESS ? "" : "the value could not be saved: " + std::to_string(code);
    }, std::chrono::seconds(5));
}

std::string saved_site()
{
    reopen_registry_store();
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, settings, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    const std::string data = read_value(key, "Site").data;
    RegCloseKey(key);
    return data;
}

TEST(RegistryDamage, AStoreThatIsNoFileIsKeptAsideWithoutWaiting)
{
    for (const Node& node : nodes) {
        SCOPED_TRACE(node.label);
        RegistrySandbox sandbox;
        fs::create_directories(sandbox.directory());
        ASSERT_TRUE(node.make(sandbox.store()));
        const auto type = fs::symlink_status(sandbox.store()).type();

        ASSERT_EQ(save_in_child("saved"), ""); // and the rest would wait as the child did
        EXPECT_EQ(saved_site(), "saved\0"s); // the next start reads it
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(sandbox.store())));
        const auto copies = damaged_copies(sandbox);
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_TRUE(std::regex_match(copies[0], damaged_name)) << copies[0];
        const std::string kept = sandbox.directory() + "/" + copies[0];
        EXPECT_EQ(fs::symlink_status(kept).type(), type); // as it was, nothing of it lost
        if (type == fs::file_type::directory) {
            EXPECT_EQ(RegistrySandbox::read(kept + "/inside"), "x");
        }
    }
}

TEST(RegistryDamage, ALockThatIsNoFileIsKeptAsideAndMadeAnew)
{
    for (const Node& node : nodes) {
        SCOPED_TRACE(node.label);
        RegistrySandbox sandbox;
        fs::create_directories(sandbox.directory());
        const std::string lock = sandbox.store() + ".lock";
        ASSERT_TRUE(node.make(lock));
        const auto type = fs::symlink_status(lock).type();

        ASSERT_EQ(save_in_child("saved"), "");
        EXPECT_EQ(saved_site(), "saved\0"s);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(lock)));
        std::vector<std::string> kept;
        for (const auto& name : sandbox.files())
            if (name.starts_with("registry.reg.lock.damaged-"))
                kept.push_back(name);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(fs::symlink_status(sandbox.directory() + "/" + kept[0]).type(), type);
        // And the fresh lock serves the next change.
        ASSERT_EQ(save_in_child("again", false), "");
        EXPECT_EQ(saved_site(), "again\0"s);
    }
}

} // namespace
