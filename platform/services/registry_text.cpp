// The REGEDIT4 text form: the writer of a key tree, and the reader that refuses a whole text.
#include "platform/services/registry_text.h"

#include "platform/services/registry_names.h"

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace platform::registry_detail {

namespace {

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

} // namespace

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

namespace {

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

} // namespace

std::optional<KeyTree> read_regedit(std::string_view text)
{
    return RegeditReader(text).read();
}

} // namespace platform::registry_detail

namespace platform {

std::optional<std::string> rewritten_store_text(std::string_view text)
{
    using namespace registry_detail;
    auto tree = text.size() <= max_file_size ? read_regedit(text) : std::nullopt;
    return tree ? std::optional(write_regedit(*tree)) : std::nullopt;
}

} // namespace platform
