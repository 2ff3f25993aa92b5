#include "platform/window_definition.h"

#include "platform/codepage.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace platform {

const DefinitionValue* ControlDefinition::find(std::string_view key) const
{
    for (const auto& [name, value] : properties)
        if (name == key)
            return &value;
    return nullptr;
}

int64_t ControlDefinition::integer(std::string_view key, int64_t fallback) const
{
    const auto* v = find(key);
    if (!v)
        return fallback;
    // A decimal rounds half to even; one beyond the integer range is no integer.
    if (v->kind == DefinitionValue::Kind::Number)
        return std::fabs(v->number) < 9.2e18 ? int64_t(std::nearbyint(v->number)) : fallback;
    return v->kind == DefinitionValue::Kind::Integer ? v->integer : fallback;
}

double ControlDefinition::number(std::string_view key, double fallback) const
{
    const auto* v = find(key);
    if (!v)
        return fallback;
    if (v->kind == DefinitionValue::Kind::Integer)
        return double(v->integer);
    return v->kind == DefinitionValue::Kind::Number ? v->number : fallback;
}

bool ControlDefinition::boolean(std::string_view key, bool fallback) const
{
    const auto* v = find(key);
    return v && v->kind == DefinitionValue::Kind::Boolean ? v->boolean : fallback;
}

std::string ControlDefinition::text(std::string_view key, std::string fallback) const
{
    const auto* v = find(key);
    return v && v->kind == DefinitionValue::Kind::Text ? v->text : fallback;
}

std::string ControlDefinition::picture(std::string_view key) const
{
    const auto* v = find(key);
    return v && v->kind == DefinitionValue::Kind::Picture ? v->text : std::string();
}

const std::vector<uint8_t>* ControlDefinition::bytes(std::string_view key) const
{
    const auto* v = find(key);
    return v && v->kind == DefinitionValue::Kind::Bytes ? &v->bytes : nullptr;
}

namespace {

// The program's deepest window is three menu levels under its form; a tree much deeper is
// no window, and every walk over the tree (its destructor included) recurses once a level.
constexpr size_t max_nesting = 32;

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    WindowDefinition parse()
    {
        std::vector<ControlDefinition*> open;
        std::vector<int> opened_on; // the line of each open block's header
        WindowDefinition root;
        bool have_root = false;
        while (next_line()) {
            skip_blanks();
            if (at_end_of_line())
                continue;
            const std::string first = identifier();
            skip_blanks();
            if (first == "end") {
                expect_end_of_line();
                if (open.empty())
                    fail("'end' without a block");
                open.pop_back();
                opened_on.pop_back();
                continue;
            }
            if (peek() == '=') {
                if (open.empty())
                    fail("a property outside any block");
                ++m_pos;
                skip_blanks();
                open.back()->properties.emplace_back(first, value());
                expect_end_of_line();
                continue;
            }
            const std::string name = identifier();
            expect_end_of_line();
            if (open.size() >= max_nesting)
                fail("blocks nested deeper than " + std::to_string(max_nesting));
            if (open.empty()) {
                if (have_root)
                    fail("a second window in one definition");
                have_root = true;
                root.kind = first;
                root.name = name;
                open.push_back(&root);
            } else {
                auto& child = open.back()->children.emplace_back();
                child.kind = first;
                child.name = name;
                open.push_back(&child);
            }
            opened_on.push_back(m_line);
        }
        if (!have_root)
            fail("no window");
        if (!open.empty()) {
            // Name the innermost block left open, where it begins.
            m_line = opened_on.back();
            fail("'" + open.back()->kind + " " + open.back()->name + "' without its 'end'");
        }
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw DefinitionError("window definition, line " + std::to_string(m_line) + ": " + what);
    }

    bool next_line()
    {
        if (m_next >= m_text.size())
            return false;
        const size_t end = m_text.find('\n', m_next);
        m_current = m_text.substr(m_next, end == std::string_view::npos ? std::string_view::npos : end - m_next);
        if (!m_current.empty() && m_current.back() == '\r')
            m_current.remove_suffix(1);
        m_next = end == std::string_view::npos ? m_text.size() : end + 1;
        m_pos = 0;
        ++m_line;
        return true;
    }

    char peek() const { return m_pos < m_current.size() ? m_current[m_pos] : '\0'; }
    void skip_blanks()
    {
        while (m_pos < m_current.size() && (m_current[m_pos] == ' ' || m_current[m_pos] == '\t'))
            ++m_pos;
    }
    bool at_end_of_line() const { return m_pos >= m_current.size() || m_current[m_pos] == '#'; }
    void expect_end_of_line()
    {
        skip_blanks();
        if (!at_end_of_line())
            fail("unexpected text after the value");
    }

    std::string identifier()
    {
        const size_t start = m_pos;
        while (m_pos < m_current.size() && (std::isalnum(uint8_t(m_current[m_pos])) || m_current[m_pos] == '_'))
            ++m_pos;
        if (m_pos == start)
            fail("a name was expected");
        return std::string(m_current.substr(start, m_pos - start));
    }

    DefinitionValue value()
    {
        DefinitionValue v;
        const char c = peek();
        if (c == '"') {
            v.kind = DefinitionValue::Kind::Text;
            v.text = cp1251_to_utf8(quoted());
            return v;
        }
        if (std::isalpha(uint8_t(c))) {
            const std::string word = identifier();
            if (word == "true" || word == "false") {
                v.kind = DefinitionValue::Kind::Boolean;
                v.boolean = word == "true";
            } else if (word == "picture") {
                v.kind = DefinitionValue::Kind::Picture;
                expect('(');
                v.text = cp1251_to_utf8(quoted());
                expect(')');
            } else if (word == "bytes") {
                v.kind = DefinitionValue::Kind::Bytes;
                expect('(');
                v.bytes = hex_bytes();
                expect(')');
            } else {
                fail("unknown value '" + word + "'");
            }
            return v;
        }
        return number();
    }

    void expect(char c)
    {
        skip_blanks();
        if (peek() != c)
            fail(std::string("'") + c + "' was expected");
        ++m_pos;
        skip_blanks();
    }

    std::string quoted()
    {
        if (peek() != '"')
            fail("a quoted text was expected");
        ++m_pos;
        std::string out;
        while (true) {
            if (m_pos >= m_current.size())
                fail("a text without its closing quote");
            const char c = m_current[m_pos++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_current.size())
                fail("a text without its closing quote");
            const char e = m_current[m_pos++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            default: fail(std::string("unknown escape \\") + e);
            }
        }
    }

    std::vector<uint8_t> hex_bytes()
    {
        std::vector<uint8_t> out;
        auto digit = [&](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        while (digit(peek()) >= 0) {
            const int high = digit(m_current[m_pos++]);
            const int low = digit(peek());
            if (low < 0)
                fail("an odd number of hexadecimal digits");
            ++m_pos;
            out.push_back(uint8_t(high * 16 + low));
        }
        return out;
    }

    DefinitionValue number()
    {
        DefinitionValue v;
        const size_t start = m_pos;
        while (m_pos < m_current.size() && !std::isspace(uint8_t(m_current[m_pos])) && m_current[m_pos] != '#')
            ++m_pos;
        const std::string_view word = m_current.substr(start, m_pos - start);
        if (word.empty())
            fail("a value was expected");
        const bool negative = word[0] == '-';
        const std::string_view digits = negative ? word.substr(1) : word;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            uint64_t hex = 0;
            auto [end, error] = std::from_chars(digits.data() + 2, digits.data() + digits.size(), hex, 16);
            if (error != std::errc() || end != digits.data() + digits.size() || hex > uint64_t(INT64_MAX))
                fail("bad number '" + std::string(word) + "'");
            v.integer = negative ? -int64_t(hex) : int64_t(hex);
            return v;
        }
        if (word.find('.') != std::string_view::npos) {
            v.kind = DefinitionValue::Kind::Number;
            auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), v.number);
            if (error != std::errc() || end != word.data() + word.size())
                fail("bad number '" + std::string(word) + "'");
            return v;
        }
        auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), v.integer);
        if (error != std::errc() || end != word.data() + word.size())
            fail("bad number '" + std::string(word) + "'");
        return v;
    }

    std::string_view m_text;
    std::string_view m_current;
    size_t m_next = 0;
    size_t m_pos = 0;
    int m_line = 0;
};

} // namespace

WindowDefinition parse_window_definition(std::string_view cp1251_text)
{
    return Parser(cp1251_text).parse();
}

} // namespace platform
