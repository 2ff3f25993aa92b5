// Registry names and paths: UTF-8 without control characters, matched by upper-case forms.
#include "platform/services/registry_names.h"

#include "platform/codepage.h"

#include <QChar>

#include <cstdint>

namespace platform::registry_detail {

namespace {

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

bool is_control(char32_t cp) { return cp < 0x20 || cp == 0x7F; }

} // namespace

const char* root_name(HKEY key)
{
    for (const auto& root : roots)
        if (root.handle == key)
            return root.name;
    return nullptr;
}

std::optional<size_t> plain_length(std::string_view text, bool tabs)
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

} // namespace platform::registry_detail
