#include "platform/services/registry.h"

#include <QChar>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Windows' longest key name and value name, in characters, and its deepest key: keys
// below the root in its path.
constexpr size_t max_key_name = 255;
constexpr size_t max_value_name = 16383;
constexpr size_t max_depth = 512;
// A bigger file, or one with more keys, is not one of ours; a change that would make the
// store bigger is refused. A key takes a few hundred bytes in memory and two in the file.
constexpr size_t max_file_size = size_t(16) << 20;
constexpr size_t max_keys = size_t(1) << 16;

constexpr REGSAM DELETE_RIGHT = 0x00010000;
constexpr REGSAM WRITE_DAC = 0x00040000;
constexpr REGSAM WRITE_OWNER = 0x00080000;
constexpr REGSAM GENERIC_ALL = 0x10000000;
constexpr REGSAM GENERIC_WRITE = 0x40000000;
constexpr REGSAM GENERIC_READ = 0x80000000;
constexpr REGSAM write_rights
    = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE_RIGHT | WRITE_DAC | WRITE_OWNER;

struct Root {
    HKEY handle;
    const char* name;
};
// In the order the file lists them.
constexpr Root roots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
};

const char* root_name(HKEY key)
{
    for (const auto& root : roots)
        if (root.handle == key)
            return root.name;
    return nullptr;
}

// ---- Names: UTF-8, compared by their upper-case forms

// Decodes the UTF-8 sequence at `at` and moves past it; nullopt (not moving) when malformed.
std::optional<char32_t> next_code_point(std::string_view text, size_t& at)
{
    const uint8_t lead = uint8_t(text[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    // The lead byte tells the length; each length has its smallest code point.
    const size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (length == 0)
        return std::nullopt;
    char32_t cp = lead & (0x7F >> length);
    if (text.size() - at < length)
        return std::nullopt;
    for (size_t i = 1; i < length; ++i) {
        const uint8_t next = uint8_t(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    at += length;
    return cp;
}

void append_utf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool is_control(char32_t cp) { return cp < 0x20 || cp == 0x7F; }

// Characters in `text` when it is UTF-8 without control characters (tabs allowed when
// asked for), else nullopt.
std::optional<size_t> plain_length(std::string_view text, bool tabs = false)
{
    size_t count = 0;
    for (size_t at = 0; at < text.size(); ++count) {
        const uint8_t byte = uint8_t(text[at]);
        if (byte >= 0x20 && byte < 0x7F) {
            ++at;
            continue;
        }
        const auto cp = next_code_point(text, at);
        if (!cp || (is_control(*cp) && !(tabs && *cp == '\t')))
            return std::nullopt;
    }
    return count;
}

bool acceptable_name(std::string_view name, size_t longest)
{
    const auto length = plain_length(name);
    return length && *length <= longest;
}

// One character at a time, as Windows compares names: "ß" stays itself, "я" matches "Я".
std::string folded(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (size_t at = 0; at < name.size();) {
        if (const auto cp = next_code_point(name, at))
            append_utf8(out, QChar::toUpper(*cp));
        else
            out += name[at++];
    }
    return out;
}

// The key names of a path below a key; none names the key itself. No key is deeper than
// max_depth, so neither is a path.
LONG split_path(LPCSTR path, std::vector<std::string>& names)
{
    names.clear();
    if (!path || !*path)
        return ERROR_SUCCESS;
    std::string_view rest(path);
    if (rest.front() == '\\')
        return ERROR_BAD_PATHNAME;
    if (rest.back() == '\\')
        rest.remove_suffix(1);
    for (;;) {
        const size_t cut = rest.find('\\');
        const std::string_view name = rest.substr(0, cut);
        if (name.empty())
            return ERROR_BAD_PATHNAME;
        if (!acceptable_name(name, max_key_name) || names.size() == max_depth)
            return ERROR_INVALID_PARAMETER;
        names.emplace_back(name);
        if (cut == std::string_view::npos)
            return ERROR_SUCCESS;
        rest.remove_prefix(cut + 1);
    }
}

LONG parse_value_name(LPCSTR name, std::string& out)
{
    out = name ? name : "";
    return acceptable_name(out, max_value_name) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

REGSAM effective_access(REGSAM access)
{
    if (access & GENERIC_ALL)
        access |= KEY_ALL_ACCESS;
    if (access & GENERIC_READ)
        access |= KEY_READ;
    if (access & GENERIC_WRITE)
        access |= KEY_WRITE;
    return access;
}

// ---- Keys and values

struct Value {
    std::string name; // "" is the default value
    DWORD type = REG_NONE;
    std::string data;
};

// A key's values in the order they were first set, found by their folded names.
class Key {
public:
    explicit Key(std::string name) : m_name(std::move(name)) {}

    const std::string& name() const { return m_name; } // as first written
    const std::vector<Value>& values() const { return m_values; }

    const Value* find(std::string_view name) const
    {
        const auto it = m_index.find(folded(name));
        return it == m_index.end() ? nullptr : &m_values[it->second];
    }

    // Whether anything changed.
    bool set(const std::string& name, DWORD type, std::string data)
    {
        const auto [it, added] = m_index.try_emplace(folded(name), m_values.size());
        if (added) {
            m_values.push_back({name, type, std::move(data)});
            return true;
        }
        Value& value = m_values[it->second];
        if (value.type == type && value.data == data)
            return false;
        value.type = type;
        value.data = std::move(data);
        return true;
    }

    bool erase(std::string_view name)
    {
        const auto it = m_index.find(folded(name));
        if (it == m_index.end())
            return false;
        const size_t at = it->second;
        m_index.erase(it);
        m_values.erase(m_values.begin() + std::ptrdiff_t(at));
        for (auto& entry : m_index)
            if (entry.second > at)
                --entry.second;
        return true;
    }

private:
    std::string m_name;
    std::vector<Value> m_values;
    std::map<std::string, size_t> m_index;
};

// The keys as a tree in which each key holds its own name only, so that a path costs its
// length once however deep it goes. Keys are found by the folded form of their full path
// ("HKEY_LOCAL_MACHINE\SOFTWARE\..."); the roots are always there. A deleted key is only
// cut off from its parent.
class KeyTree {
public:
    KeyTree()
    {
        for (const auto& root : roots)
            m_nodes.push_back({Key(root.name), {}});
    }

    static std::string id_of(std::string id, const std::vector<std::string>& names)
    {
        for (const auto& name : names) {
            id += '\\';
            id += folded(name);
        }
        return id;
    }

    // Keys from the root down to the key of `id`, the root not counted.
    static size_t depth_of(std::string_view id) { return size_t(std::count(id.begin(), id.end(), '\\')); }

    // The node of a root by its folded name.
    static std::optional<size_t> root(std::string_view id)
    {
        for (size_t at = 0; at < std::size(roots); ++at)
            if (id == roots[at].name)
                return at;
        return std::nullopt;
    }

    Key* find(std::string_view id)
    {
        const auto at = locate(id);
        return at ? &m_nodes[*at].key : nullptr;
    }

    Key& key(size_t at) { return m_nodes[at].key; }

    // Keys made, the roots and any deleted since the tree was read included.
    size_t size() const { return m_nodes.size(); }

    // The node of `names` below node `at`, every missing key of them created; `created`
    // tells whether any was.
    size_t make(size_t at, const std::vector<std::string>& names, bool& created)
    {
        for (const auto& name : names) {
            const auto [it, added] = m_nodes[at].subkeys.try_emplace(folded(name), m_nodes.size());
            at = it->second;
            if (added) {
                m_nodes.push_back({Key(name), {}});
                created = true;
            }
        }
        return at;
    }

    // Creates every missing key of `names` below the key of `id`; whether any was.
    bool create(std::string_view id, const std::vector<std::string>& names)
    {
        bool created = false;
        if (const auto at = locate(id))
            make(*at, names, created);
        return created;
    }

    bool has_subkeys(std::string_view id) const
    {
        const auto at = locate(id);
        return at && !m_nodes[*at].subkeys.empty();
    }

    void erase(std::string_view id)
    {
        const size_t cut = id.rfind('\\');
        if (cut == std::string_view::npos)
            return;
        if (const auto parent = locate(id.substr(0, cut))) {
            auto& subkeys = m_nodes[*parent].subkeys;
            if (const auto it = subkeys.find(id.substr(cut + 1)); it != subkeys.end())
                subkeys.erase(it);
        }
    }

    // visit(path, key, has_subkeys) for every key, each before its subkeys, roots and
    // subkeys in the order of their folded names.
    using Visit = std::function<void(const std::string& path, const Key& key, bool has_subkeys)>;
    void for_each(const Visit& visit) const
    {
        std::string path;
        for (size_t at = 0; at < std::size(roots); ++at)
            visit_below(at, path, visit);
    }

private:
    struct Node {
        Key key;
        std::map<std::string, size_t, std::less<>> subkeys; // by folded name
    };

    std::optional<size_t> locate(std::string_view id) const
    {
        size_t cut = id.find('\\');
        auto at = root(id.substr(0, cut));
        while (at && cut != std::string_view::npos) {
            id.remove_prefix(cut + 1);
            cut = id.find('\\');
            const auto& subkeys = m_nodes[*at].subkeys;
            const auto it = subkeys.find(id.substr(0, cut));
            at = it == subkeys.end() ? std::nullopt : std::optional(it->second);
        }
        return at;
    }

    // Depth first; the depth of a tree is bounded by max_depth.
    void visit_below(size_t at, std::string& path, const Visit& visit) const
    {
        const size_t length = path.size();
        if (length)
            path += '\\';
        path += m_nodes[at].key.name();
        visit(path, m_nodes[at].key, !m_nodes[at].subkeys.empty());
        for (const auto& subkey : m_nodes[at].subkeys)
            visit_below(subkey.second, path, visit);
        path.resize(length);
    }

    std::deque<Node> m_nodes; // a deque: a Key& stays valid while keys are added
};

bool is_root(std::string_view id) { return KeyTree::root(id).has_value(); }

// ---- The REGEDIT4 text form

constexpr std::string_view header = "REGEDIT4";

std::string quoted(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (;;) {
        const size_t special = text.find_first_of("\\\"");
        out.append(text.substr(0, special));
        if (special == std::string_view::npos)
            break;
        out += '\\';
        out += text[special];
        text.remove_prefix(special + 1);
    }
    out += '"';
    return out;
}

// A REG_SZ that can be written as "text": one terminating NUL, printable UTF-8 before it.
bool writes_as_text(const Value& value)
{
    const std::string_view data = value.data;
    return value.type == REG_SZ && !data.empty() && data.back() == '\0'
        && data.find('\0') == data.size() - 1 && plain_length(data.substr(0, data.size() - 1));
}

const char hex_digits[] = "0123456789abcdef";

// Bytes as "01,02,...", wrapped before column 80 with a trailing backslash.
void append_hex(std::string& line, std::string_view bytes)
{
    size_t column = line.size();
    line.reserve(line.size() + bytes.size() * 3 + bytes.size() / 8);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            line += ',';
            if (++column >= 76) {
                line += "\\\n  ";
                column = 2;
            }
        }
        const uint8_t b = uint8_t(bytes[i]);
        line += hex_digits[b >> 4];
        line += hex_digits[b & 0xF];
        column += 2;
    }
}

std::string hex_number(uint32_t n)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", unsigned(n));
    return buffer;
}

std::string value_line(const Value& value)
{
    std::string line = value.name.empty() ? "@=" : quoted(value.name) + "=";
    if (writes_as_text(value)) {
        line += quoted(std::string_view(value.data).substr(0, value.data.size() - 1));
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        uint32_t n = 0;
        for (int i = 3; i >= 0; --i)
            n = (n << 8) | uint8_t(value.data[size_t(i)]);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", unsigned(n));
        line += buffer;
    } else {
        line += value.type == REG_BINARY ? "hex:" : "hex(" + hex_number(value.type) + "):";
        append_hex(line, value.data);
    }
    line += '\n';
    return line;
}

std::string write_regedit(const KeyTree& tree)
{
    std::string out = std::string(header) + "\n; Velmora settings. Texts are UTF-8.\n";
    tree.for_each([&](const std::string& path, const Key& key, bool has_subkeys) {
        // Reading a subkey's line creates every key of its path: a key without values
        // needs a line of its own only when nothing below it names it. So the file
        // stays as long as what it holds, however deep its keys are.
        if (key.values().empty() && (has_subkeys || is_root(path)))
            return;
        out += "\n[";
        out += path;
        out += "]\n";
        for (const auto& value : key.values())
            out += value_line(value);
    });
    return out;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a REGEDIT4 file strictly: anything it does not understand makes the whole file
// damaged, so that a later write never drops what it could not read.
class RegeditReader {
public:
    explicit RegeditReader(std::string_view text) : m_text(text)
    {
        if (m_text.starts_with("\xEF\xBB\xBF"))
            m_text.remove_prefix(3);
    }

    std::optional<KeyTree> read()
    {
        std::string_view line;
        if (!next_line(line) || line != header)
            return std::nullopt;
        while (next_line(line)) {
            if (line.empty() || line.front() == ';')
                continue;
            const bool understood = line.front() == '[' ? section(line) : value(line);
            if (!understood)
                return std::nullopt;
        }
        if (m_broken)
            return std::nullopt;
        return std::move(m_tree);
    }

private:
    // The next line without its end and surrounding blanks; false at the end, or when
    // it holds anything but printable UTF-8 and tabs.
    bool next_line(std::string_view& line)
    {
        if (m_at >= m_text.size())
            return false;
        size_t end = m_text.find('\n', m_at);
        if (end == std::string_view::npos)
            end = m_text.size();
        line = m_text.substr(m_at, end - m_at);
        m_at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!plain_length(line, true)) {
            m_broken = true;
            return false;
        }
        line = trimmed(line);
        return true;
    }

    bool section(std::string_view line)
    {
        if (line.size() < 2 || line.back() != ']')
            return false;
        std::string_view path = line.substr(1, line.size() - 2);
        const size_t cut = path.find('\\');
        const auto root = KeyTree::root(folded(path.substr(0, cut)));
        if (!root)
            return false;
        std::vector<std::string> names;
        if (cut != std::string_view::npos) {
            const std::string below(path.substr(cut + 1));
            if (below.empty() || split_path(below.c_str(), names) != ERROR_SUCCESS)
                return false;
        }
        bool created = false;
        m_key = m_tree.make(*root, names, created);
        return m_tree.size() <= max_keys;
    }

    bool value(std::string_view line)
    {
        if (!m_key)
            return false;
        std::string name;
        if (line.front() == '@')
            line.remove_prefix(1);
        else if (!quoted_text(line, name) || !acceptable_name(name, max_value_name))
            return false;
        line = trimmed(line);
        if (!line.starts_with('='))
            return false;
        line = trimmed(line.substr(1));
        DWORD type = REG_SZ;
        std::string data;
        if (line.starts_with('"')) {
            if (!quoted_text(line, data) || !trimmed(line).empty())
                return false;
            data += '\0';
        } else if (line.starts_with("dword:")) {
            if (!dword(line.substr(6), data))
                return false;
            type = REG_DWORD;
        } else if (!hex_value_data(line, type, data)) {
            return false;
        }
        m_tree.key(*m_key).set(name, type, std::move(data));
        return true;
    }

    // A "..." text with \\ and \" escapes at the start of `line`, which moves past it.
    static bool quoted_text(std::string_view& line, std::string& out)
    {
        if (!line.starts_with('"'))
            return false;
        std::string_view rest = line.substr(1);
        for (;;) {
            const size_t special = rest.find_first_of("\\\"");
            if (special == std::string_view::npos)
                return false;
            out.append(rest.substr(0, special));
            if (rest[special] == '"') {
                line = rest.substr(special + 1);
                return true;
            }
            if (special + 1 == rest.size() || (rest[special + 1] != '\\' && rest[special + 1] != '"'))
                return false;
            out += rest[special + 1];
            rest.remove_prefix(special + 2);
        }
    }

    static bool dword(std::string_view digits, std::string& out)
    {
        if (digits.size() != 8)
            return false;
        uint32_t n = 0;
        for (const char c : digits) {
            const int v = hex_value(c);
            if (v < 0)
                return false;
            n = (n << 4) | uint32_t(v);
        }
        for (int i = 0; i < 4; ++i)
            out += char((n >> (8 * i)) & 0xFF);
        return true;
    }

    // hex:01,02 or hex(N):01,02, the list going on over lines that end with a backslash.
    bool hex_value_data(std::string_view line, DWORD& type, std::string& out)
    {
        if (line.starts_with("hex:")) {
            type = REG_BINARY;
            line.remove_prefix(4);
        } else if (line.starts_with("hex(")) {
            const size_t close = line.find("):");
            if (close == std::string_view::npos || close == 4 || close > 12)
                return false;
            uint32_t n = 0;
            for (const char c : line.substr(4, close - 4)) {
                const int v = hex_value(c);
                if (v < 0)
                    return false;
                n = (n << 4) | uint32_t(v);
            }
            type = n;
            line.remove_prefix(close + 2);
        } else {
            return false;
        }
        line = trimmed(line);
        while (!line.empty()) {
            if (line.size() < 2 || hex_value(line[0]) < 0 || hex_value(line[1]) < 0)
                return false;
            out += char(hex_value(line[0]) * 16 + hex_value(line[1]));
            line = trimmed(line.substr(2));
            if (line.empty())
                break;
            if (line.front() != ',')
                return false;
            line = trimmed(line.substr(1));
            if (line == "\\" && (!next_line(line) || line.empty()))
                return false;
            if (line.empty())
                return false;
        }
        return true;
    }

    std::string_view m_text;
    size_t m_at = 0;
    bool m_broken = false;
    KeyTree m_tree;
    std::optional<size_t> m_key; // the node of the section being read
};

// ---- The file

struct FileId {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified = 0;
    int64_t changed = 0;
    bool operator==(const FileId&) const = default;
};

FileId id_of(const struct stat& st)
{
    return {true, st.st_dev, st.st_ino, st.st_size,
        int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
        int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

FileId file_id(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? id_of(st) : FileId{};
}

enum class Health { Sound, Damaged, Unreadable };

struct Contents {
    Health health = Health::Sound;
    KeyTree tree;
    FileId id;
};

// A missing file is a sound, empty store.
Contents read_store(const std::string& path)
{
    Contents contents;
    const int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const bool missing = path.empty() || errno == ENOENT || errno == ENOTDIR;
        contents.health = missing ? Health::Sound : Health::Unreadable;
        return contents;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        contents.health = Health::Unreadable;
        return contents;
    }
    contents.id = id_of(st);
    std::string text;
    char buffer[65536];
    while (text.size() <= max_file_size) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            close(fd);
            contents.health = Health::Unreadable;
            return contents;
        }
        if (got == 0)
            break;
        text.append(buffer, size_t(got));
    }
    close(fd);
    auto tree = text.size() <= max_file_size ? RegeditReader(text).read() : std::nullopt;
    if (tree)
        contents.tree = std::move(*tree);
    else
        contents.health = Health::Damaged;
    return contents;
}

std::string directory_of(const std::string& path)
{
    const size_t cut = path.rfind('/');
    return cut == std::string::npos ? std::string(".") : path.substr(0, std::max<size_t>(cut, 1));
}

bool make_directories(const std::string& directory)
{
    struct stat st;
    if (stat(directory.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const size_t cut = directory.rfind('/');
    if (cut != std::string::npos && cut > 0 && !make_directories(directory.substr(0, cut)))
        return false;
    return mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST;
}

bool write_all(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes.remove_prefix(size_t(put));
    }
    return true;
}

// Temporary file, flush, rename: a reader, or a crash, sees the old file or the new one.
bool replace_file(const std::string& path, std::string_view text)
{
    std::string temporary = path + ".tmp-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = write_all(fd, text) && fsync(fd) == 0;
    if (close(fd) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    if (const int dir = open(directory_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

// Temporary files of a copy that died while writing; called under the lock, when no
// other copy can be writing one.
void remove_temporaries(const std::string& path)
{
    const std::string directory = directory_of(path);
    const std::string prefix = path.substr(path.rfind('/') + 1) + ".tmp-";
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir))
        if (std::string_view(entry->d_name).starts_with(prefix))
            unlinkat(dirfd(dir), entry->d_name, 0);
    closedir(dir);
}

int move_without_replacing(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // Where the filesystem has no RENAME_NOREPLACE: a link refuses an existing name too.
    if (link(from.c_str(), to.c_str()) != 0)
        return -1;
    return unlink(from.c_str());
}

// registry.reg.damaged-YYYYMMDD-HHMMSS, with -2, -3, ... after it when that is taken.
bool set_aside(const std::string& path)
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".damaged-" + stamp;
    for (int n = 1; n < 1000; ++n) {
        const std::string target = n == 1 ? base : base + "-" + std::to_string(n);
        if (move_without_replacing(path, target) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// The lock that serialises changes between running copies, on a file beside the store.
class StoreLock {
public:
    explicit StoreLock(const std::string& path)
        : m_fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
    }
    ~StoreLock()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // Waits a few seconds at most for the other copy's change.
    LONG acquire()
    {
        if (m_fd < 0)
            return ERROR_ACCESS_DENIED;
        for (int attempt = 0; attempt < 500; ++attempt) {
            if (flock(m_fd, LOCK_EX | LOCK_NB) == 0)
                return ERROR_SUCCESS;
            if (errno != EWOULDBLOCK && errno != EINTR)
                return ERROR_ACCESS_DENIED;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return ERROR_LOCK_VIOLATION;
    }

private:
    int m_fd;
};

// Handles of all stores of the process, never reused.
HKEY next_handle()
{
    static std::atomic<HKEY> next {0x1000};
    const HKEY handle = next.fetch_add(4);
    return handle < 0x80000000 ? handle : 0;
}

std::string config_home()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::string(home) + "/.config";
    char buffer[4096];
    passwd entry {};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir
        && found->pw_dir[0] == '/')
        return std::string(found->pw_dir) + "/.config";
    return {};
}

} // namespace

// ---- The store

struct RegistryStore::State {
    struct OpenKey {
        std::string id;
        REGSAM access = 0;
    };
    using Edit = std::function<LONG(KeyTree&, bool& changed)>;

    explicit State(std::string file)
        : path(std::move(file)), directory(directory_of(path)), lock_path(path + ".lock")
    {
    }

    std::string path;
    std::string directory;
    std::string lock_path;
    std::mutex mutex;
    KeyTree tree;
    FileId loaded;
    bool have_loaded = false;
    // The file is there but could not be read, or is damaged and could not be set aside:
    // writing would lose it.
    bool frozen = false;
    std::map<HKEY, OpenKey> handles;

    // `sub_key` under an open key, from the store as it now stands on disk.
    struct Located {
        OpenKey base;
        std::vector<std::string> names;
        std::string id;
    };
    LONG locate(HKEY key, LPCSTR sub_key, Located& out)
    {
        if (const LONG code = resolve(key, out.base))
            return code;
        if (const LONG code = split_path(sub_key, out.names))
            return code;
        refresh();
        if (!tree.find(out.base.id))
            return ERROR_KEY_DELETED;
        out.id = KeyTree::id_of(out.base.id, out.names);
        return ERROR_SUCCESS;
    }

    // An open key that grants `right`, and the value name to look for in it.
    LONG open_value(HKEY key, REGSAM right, LPCSTR value_name, OpenKey& open, std::string& name) const
    {
        if (const LONG code = resolve(key, open))
            return code;
        if (!(open.access & right))
            return ERROR_ACCESS_DENIED;
        return parse_value_name(value_name, name);
    }

    LONG resolve(HKEY key, OpenKey& out) const
    {
        if (const char* root = root_name(key)) {
            out = {root, KEY_ALL_ACCESS};
            return ERROR_SUCCESS;
        }
        auto it = handles.find(key);
        if (it == handles.end())
            return ERROR_INVALID_HANDLE;
        out = it->second;
        return ERROR_SUCCESS;
    }

    LONG hand_out(std::string id, REGSAM access, HKEY* result)
    {
        const HKEY handle = next_handle();
        if (!handle)
            return ERROR_NOT_ENOUGH_MEMORY;
        handles[handle] = {std::move(id), access};
        *result = handle;
        return ERROR_SUCCESS;
    }

    void adopt(Contents contents)
    {
        frozen = contents.health != Health::Sound;
        tree = frozen ? KeyTree() : std::move(contents.tree);
        loaded = contents.id;
        have_loaded = true;
    }

    bool directory_writable() const
    {
        if (path.empty() || !make_directories(directory))
            return false;
        if (faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
            return false;
        return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
    }

    bool writable() const { return !frozen && directory_writable(); }

    // Takes in what another copy wrote since; a damaged file is set aside when it can be.
    void refresh()
    {
        if (have_loaded && file_id(path) == loaded)
            return;
        Contents contents = read_store(path);
        if (contents.health == Health::Damaged && directory_writable()) {
            StoreLock lock(lock_path);
            if (lock.acquire() == ERROR_SUCCESS) {
                contents = read_store(path);
                if (contents.health == Health::Damaged && set_aside(path))
                    contents = Contents();
            }
        }
        adopt(std::move(contents));
    }

    // A change: under the lock, re-read the file, apply `edit`, replace the file.
    LONG change(const Edit& edit)
    {
        refresh();
        if (!writable())
            return ERROR_ACCESS_DENIED;
        StoreLock lock(lock_path);
        if (const LONG code = lock.acquire())
            return code;
        // The tree of a big store is big: the old one goes before the file is read again,
        // and the change is made in place, not on a copy. Until the file holds it, the tree
        // counts as not loaded.
        tree = KeyTree();
        have_loaded = false;
        Contents now = read_store(path);
        if (now.health == Health::Damaged && set_aside(path))
            now = Contents();
        adopt(std::move(now));
        if (frozen)
            return ERROR_ACCESS_DENIED;
        have_loaded = false;
        bool changed = false;
        if (const LONG code = edit(tree, changed))
            return code;
        if (changed) {
            const std::string text = write_regedit(tree);
            if (text.size() > max_file_size)
                return ERROR_NOT_ENOUGH_QUOTA;
            remove_temporaries(path);
            if (!replace_file(path, text))
                return ERROR_WRITE_FAULT;
            loaded = file_id(path);
        }
        have_loaded = true;
        return ERROR_SUCCESS;
    }
};

RegistryStore::RegistryStore(std::string path) : m_state(std::make_unique<State>(std::move(path))) {}

RegistryStore::~RegistryStore() = default;

const std::string& RegistryStore::path() const { return m_state->path; }

LONG RegistryStore::open_key(HKEY key, LPCSTR sub_key, REGSAM access, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::Located at;
    if (const LONG code = s.locate(key, sub_key, at))
        return code;
    auto& [base, names, id] = at;
    if (!s.tree.find(id))
        return ERROR_FILE_NOT_FOUND;
    access = effective_access(access);
    if ((access & write_rights) && !s.writable())
        return ERROR_ACCESS_DENIED;
    return s.hand_out(std::move(id), access, result);
}

LONG RegistryStore::create_key(HKEY key, LPCSTR sub_key, REGSAM access, HKEY* result, DWORD* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::Located at;
    if (const LONG code = s.locate(key, sub_key, at))
        return code;
    auto& [base, names, id] = at;
    if (KeyTree::depth_of(id) > max_depth)
        return ERROR_INVALID_PARAMETER;
    access = effective_access(access);
    bool created = false;
    if (s.tree.find(id)) {
        if ((access & write_rights) && !s.writable())
            return ERROR_ACCESS_DENIED;
    } else {
        if (!(base.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        // Named here, not captured as bindings: clang 14 cannot capture a structured binding.
        const auto& base_id = base.id;
        const auto& path = names;
        const LONG code = s.change([&](KeyTree& tree, bool& changed) {
            if (!tree.find(base_id))
                return ERROR_KEY_DELETED;
            changed = created = tree.create(base_id, path);
            return tree.size() <= max_keys ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_QUOTA;
        });
        if (code)
            return code;
    }
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return s.hand_out(std::move(id), access, result);
}

LONG RegistryStore::query_value(HKEY key, LPCSTR value_name, DWORD* type, BYTE* data, DWORD* size)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::OpenKey open;
    std::string name;
    if (const LONG code = s.open_value(key, KEY_QUERY_VALUE, value_name, open, name))
        return code;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    s.refresh();
    Key* found = s.tree.find(open.id);
    if (!found)
        return ERROR_KEY_DELETED;
    const Value* value = found->find(name);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    if (!size)
        return ERROR_SUCCESS;
    const DWORD needed = DWORD(value->data.size());
    const bool fits = *size >= needed;
    *size = needed;
    if (!data)
        return ERROR_SUCCESS;
    if (!fits)
        return ERROR_MORE_DATA;
    std::memcpy(data, value->data.data(), needed);
    return ERROR_SUCCESS;
}

LONG RegistryStore::set_value(HKEY key, LPCSTR value_name, DWORD type, const BYTE* data, DWORD size)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::OpenKey open;
    std::string name;
    if (const LONG code = s.open_value(key, KEY_SET_VALUE, value_name, open, name))
        return code;
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && !bytes.empty() && bytes.back() != '\0')
        bytes += '\0';
    return s.change([&](KeyTree& tree, bool& changed) {
        Key* found = tree.find(open.id);
        if (!found)
            return ERROR_KEY_DELETED;
        changed = found->set(name, type, std::move(bytes));
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::delete_value(HKEY key, LPCSTR value_name)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::OpenKey open;
    std::string name;
    if (const LONG code = s.open_value(key, KEY_SET_VALUE, value_name, open, name))
        return code;
    return s.change([&](KeyTree& tree, bool& changed) {
        Key* found = tree.find(open.id);
        if (!found)
            return ERROR_KEY_DELETED;
        changed = found->erase(name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegistryStore::delete_key(HKEY key, LPCSTR sub_key)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    State::OpenKey base;
    std::vector<std::string> names;
    if (const LONG code = s.resolve(key, base))
        return code;
    if (!sub_key)
        return ERROR_INVALID_PARAMETER;
    if (const LONG code = split_path(sub_key, names))
        return code;
    const std::string id = KeyTree::id_of(base.id, names);
    if (is_root(id))
        return ERROR_ACCESS_DENIED;
    const auto check = [&](KeyTree& tree) {
        if (!tree.find(base.id))
            return ERROR_KEY_DELETED;
        if (!tree.find(id))
            return ERROR_FILE_NOT_FOUND;
        return tree.has_subkeys(id) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    };
    s.refresh();
    if (const LONG code = check(s.tree))
        return code;
    return s.change([&](KeyTree& tree, bool& changed) {
        if (const LONG code = check(tree))
            return code;
        tree.erase(id);
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::close_key(HKEY key)
{
    auto& s = *m_state;
    std::lock_guard guard(s.mutex);
    if (root_name(key))
        return ERROR_SUCCESS;
    return s.handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// ---- The process's store

namespace {

struct ProcessStore {
    std::mutex mutex;
    std::unique_ptr<RegistryStore> store;
};

ProcessStore& process_store()
{
    static ProcessStore instance;
    return instance;
}

} // namespace

std::optional<std::string> rewritten_store_text(std::string_view text)
{
    auto tree = text.size() <= max_file_size ? RegeditReader(text).read() : std::nullopt;
    return tree ? std::optional(write_regedit(*tree)) : std::nullopt;
}

std::string default_registry_path()
{
    const std::string home = config_home();
    return home.empty() ? std::string() : home + "/velmora/registry.reg";
}

RegistryStore& registry_store()
{
    auto& p = process_store();
    std::lock_guard guard(p.mutex);
    if (!p.store)
        p.store = std::make_unique<RegistryStore>(default_registry_path());
    return *p.store;
}

void reopen_registry_store()
{
    auto& p = process_store();
    std::lock_guard guard(p.mutex);
    p.store.reset();
}

LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD /*options*/, REGSAM access, HKEY* result)
{
    return registry_store().open_key(key, sub_key, access, result);
}

LONG RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, char* /*class_name*/, DWORD /*options*/,
    REGSAM access, const SECURITY_ATTRIBUTES* /*security*/, HKEY* result, DWORD* disposition)
{
    if (reserved != 0)
        return ERROR_INVALID_PARAMETER;
    return registry_store().create_key(key, sub_key, access, result, disposition);
}

LONG RegQueryValueExA(HKEY key, LPCSTR value_name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size)
{
    if (reserved)
        return ERROR_INVALID_PARAMETER;
    return registry_store().query_value(key, value_name, type, data, size);
}

LONG RegSetValueExA(HKEY key, LPCSTR value_name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    if (reserved != 0)
        return ERROR_INVALID_PARAMETER;
    return registry_store().set_value(key, value_name, type, data, size);
}

LONG RegDeleteValueA(HKEY key, LPCSTR value_name)
{
    return registry_store().delete_value(key, value_name);
}

LONG RegDeleteKeyA(HKEY key, LPCSTR sub_key)
{
    return registry_store().delete_key(key, sub_key);
}

LONG RegCloseKey(HKEY key)
{
    return registry_store().close_key(key);
}

} // namespace platform
