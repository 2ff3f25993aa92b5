#include "platform/host/property_bag.h"

#include "platform/codepage.h"
#include "platform/errors.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace platform {

namespace {

constexpr int ERR_INVALID_PROCEDURE_CALL = 5;
constexpr int ERR_INVALID_FILE_FORMAT = 321;

constexpr uint32_t stored_form_magic = 0x0009424C;
constexpr uint32_t bag_magic = 0x0000B293;
constexpr size_t first_entry = 8;
constexpr size_t entry_header = 12;

using Guid = std::array<uint8_t, 16>;
// {0BE35203-8F91-11CE-9DE3-00AA004BB851} and {0BE35204-...}, in stored byte order.
constexpr Guid font_class = {0x03, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11,
                             0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51};
constexpr Guid picture_class = {0x04, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11,
                                0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51};
constexpr Guid no_class = {};
constexpr std::array<uint8_t, 4> picture_tag = {0x6C, 0x74, 0x00, 0x00};

constexpr uint8_t font_italic = 2;
constexpr uint8_t font_underline = 4;
constexpr uint8_t font_strikethrough = 8;

RuntimeError type_mismatch()
{
    return RuntimeError(ERR_TYPE_MISMATCH, "Type mismatch");
}

RuntimeError damaged(const char* what)
{
    return RuntimeError(ERR_INVALID_FILE_FORMAT, std::string("Invalid file format: ") + what);
}

// ---- conversions ----

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// A decimal number, whole or not, with an optional sign; nothing else is a number.
double text_to_number(std::string_view text)
{
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
        throw type_mismatch();
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size() || error == std::errc::invalid_argument)
        throw type_mismatch();
    if (error == std::errc::result_out_of_range || !std::isfinite(value))
        throw overflow_error();
    return negative ? -value : value;
}

// Whole numbers from a fraction round to nearest, ties to even.
template <typename Int>
Int number_to(double value)
{
    const double whole = std::nearbyint(value);
    if (!(whole >= double(std::numeric_limits<Int>::min()) && whole <= double(std::numeric_limits<Int>::max())))
        throw overflow_error();
    return Int(whole);
}

// ---- UTF-16 ----

// A stored text is any sequence of UTF-16 units; a lone surrogate goes through UTF-8 as
// its own code point, so reading and writing a set again gives the units it had.
std::u16string to_utf16(std::string_view utf8)
{
    std::u16string units;
    units.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = next_utf8_code_point(utf8, i);
        if (c > 0x10FFFF)
            c = 0xFFFD;
        if (c < 0x10000) {
            units += char16_t(c);
        } else {
            units += char16_t(0xD800 + ((c - 0x10000) >> 10));
            units += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return units;
}

std::string from_utf16(std::span<const uint8_t> le_bytes)
{
    const auto unit = [&](size_t i) { return char32_t(le_bytes[2 * i] | (le_bytes[2 * i + 1] << 8)); };
    const size_t count = le_bytes.size() / 2;
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(++i) - 0xDC00);
        append_utf8(out, c);
    }
    return out;
}

std::string lower_case(std::string_view key)
{
    return QString::fromUtf8(key.data(), qsizetype(key.size())).toLower().toStdString();
}

// ---- reading the stored form ----

// Little-endian reads that never pass the end of their span.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    size_t left() const { return m_bytes.size() - m_pos; }
    std::span<const uint8_t> take(uint64_t count, const char* what)
    {
        if (count > left())
            throw damaged(what);
        const auto part = m_bytes.subspan(m_pos, size_t(count));
        m_pos += size_t(count);
        return part;
    }
    uint8_t u8(const char* what) { return take(1, what)[0]; }
    uint16_t u16(const char* what)
    {
        const auto b = take(2, what);
        return uint16_t(b[0] | (b[1] << 8));
    }
    uint32_t u32(const char* what)
    {
        const auto b = take(4, what);
        return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    }
    int32_t i32(const char* what) { return int32_t(u32(what)); }
    int16_t i16(const char* what) { return int16_t(u16(what)); }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_pos = 0;
};

Variant::FontPtr read_font(Reader& in)
{
    if (in.u8("font version") != 1)
        throw damaged("font version");
    auto font = std::make_shared<StdFont>();
    font->charset = int16_t(in.u16("font character set"));
    const uint8_t flags = in.u8("font flags");
    font->italic = flags & font_italic;
    font->underline = flags & font_underline;
    font->strikethrough = flags & font_strikethrough;
    font->weight = int16_t(in.u16("font weight"));
    font->size = in.u32("font size") / 10000.0;
    const auto name = in.take(in.u8("font name length"), "font name");
    font->name = cp1251_to_utf8(std::string_view(reinterpret_cast<const char*>(name.data()), name.size()));
    return font;
}

Picture read_picture(Reader& in)
{
    const auto tag = in.take(picture_tag.size(), "picture tag");
    if (!std::equal(tag.begin(), tag.end(), picture_tag.begin()))
        throw damaged("picture tag");
    const auto file = in.take(in.u32("picture size"), "picture bytes");
    if (file.empty())
        return nullptr;
    Picture picture = StdPicture::from_bytes(file);
    if (!picture)
        throw RuntimeError(ERR_INVALID_PICTURE, "Invalid picture");
    return picture;
}

Variant read_object(Reader& in)
{
    const auto id = in.take(16, "object class");
    if (std::equal(id.begin(), id.end(), no_class.begin()))
        return Nothing {};
    if (std::equal(id.begin(), id.end(), font_class.begin()))
        return read_font(in);
    if (std::equal(id.begin(), id.end(), picture_class.begin()))
        return read_picture(in);
    throw damaged("object class");
}

Variant read_value(uint16_t type, Reader& in)
{
    switch (type) {
    case VT_I2: return in.i16("16-bit value");
    case VT_I4: return in.i32("32-bit value");
    case VT_BOOL: return in.i16("Boolean value") != 0;
    case VT_BSTR: return from_utf16(in.take(uint64_t(in.u32("text length")) * 2, "text"));
    case VT_DISPATCH: return read_object(in);
    default: throw damaged("value type");
    }
}

// Only zero padding may follow an entry's value, less than 4 bytes of it.
void expect_padding(Reader& in)
{
    if (in.left() >= 4)
        throw damaged("entry length");
    for (uint8_t b : in.take(in.left(), "padding"))
        if (b != 0)
            throw damaged("padding");
}

// ---- writing the stored form ----

class Writer {
public:
    void u8(uint8_t v) { m_bytes.push_back(v); }
    void u16(uint16_t v)
    {
        u8(uint8_t(v));
        u8(uint8_t(v >> 8));
    }
    void u32(uint32_t v)
    {
        u16(uint16_t(v));
        u16(uint16_t(v >> 16));
    }
    void bytes(std::span<const uint8_t> b) { m_bytes.insert(m_bytes.end(), b.begin(), b.end()); }
    void utf16(const std::u16string& text)
    {
        for (char16_t unit : text)
            u16(uint16_t(unit));
    }
    void pad_to_4()
    {
        while (m_bytes.size() % 4 != 0)
            u8(0);
    }
    void patch_u32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes[at + size_t(i)] = uint8_t(v >> (8 * i));
    }
    size_t size() const { return m_bytes.size(); }
    std::vector<uint8_t> take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

uint32_t checked_u32(size_t n)
{
    if (n > std::numeric_limits<uint32_t>::max())
        throw RuntimeError(ERR_INVALID_PROCEDURE_CALL, "Invalid procedure call or argument");
    return uint32_t(n);
}

void write_font(Writer& out, const StdFont& font)
{
    out.bytes(font_class);
    out.u8(1);
    out.u16(uint16_t(font.charset));
    out.u8(uint8_t((font.italic ? font_italic : 0) | (font.underline ? font_underline : 0) |
                   (font.strikethrough ? font_strikethrough : 0)));
    out.u16(uint16_t(font.weight));
    const double size = std::nearbyint(font.size * 10000.0);
    out.u32(size >= 0 && size <= 4294967295.0 ? uint32_t(size) : 0);
    std::string name = utf8_to_cp1251(font.name);
    name.resize(std::min<size_t>(name.size(), 255));
    out.u8(uint8_t(name.size()));
    out.bytes(std::span(reinterpret_cast<const uint8_t*>(name.data()), name.size()));
}

// A host's snapshot has no file of its own; it is kept as a PNG file.
std::vector<uint8_t> picture_file(const StdPicture& picture)
{
    if (!picture.bytes().empty())
        return picture.bytes();
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    picture.image().save(&buffer, "PNG");
    return std::vector<uint8_t>(data.begin(), data.end());
}

void write_picture(Writer& out, const StdPicture& picture)
{
    out.bytes(picture_class);
    out.bytes(picture_tag);
    const std::vector<uint8_t> file = picture_file(picture);
    out.u32(checked_u32(file.size()));
    out.bytes(file);
}

void write_value(Writer& out, const Variant& value)
{
    switch (value.vt()) {
    case VT_I2: out.u16(uint16_t(value.to_integer())); break;
    case VT_I4: out.u32(uint32_t(value.to_long())); break;
    case VT_BOOL: out.u16(value.to_bool() ? 0xFFFF : 0); break;
    case VT_BSTR: {
        const std::u16string text = to_utf16(value.to_string());
        out.u32(checked_u32(text.size()));
        out.utf16(text);
        break;
    }
    case VT_DISPATCH:
        if (value.is_nothing())
            out.bytes(no_class);
        else if (value.is_font())
            write_font(out, *value.to_font());
        else
            write_picture(out, *value.to_picture());
        break;
    }
}

} // namespace

// ---- Variant ----

Variant::Variant(FontPtr font)
{
    // A set keeps a font as it was when written; later changes to the object do not reach it.
    if (font)
        m_value = std::make_shared<StdFont>(*font);
}

Variant::Variant(Picture picture)
{
    if (picture)
        m_value = std::move(picture);
}

VARTYPE Variant::vt() const
{
    if (std::holds_alternative<int16_t>(m_value))
        return VT_I2;
    if (std::holds_alternative<int32_t>(m_value))
        return VT_I4;
    if (std::holds_alternative<std::string>(m_value))
        return VT_BSTR;
    if (std::holds_alternative<bool>(m_value))
        return VT_BOOL;
    return VT_DISPATCH; // none, a font or a picture
}

namespace {

// The value as a number, for numbers, Booleans and numeric texts.
struct AsNumber {
    double operator()(int16_t v) const { return v; }
    double operator()(int32_t v) const { return v; }
    double operator()(bool v) const { return v ? -1 : 0; }
    double operator()(const std::string& v) const { return text_to_number(v); }
    template <typename Object>
    double operator()(const Object&) const
    {
        throw type_mismatch();
    }
};

} // namespace

int32_t Variant::to_long() const
{
    if (const auto* v = std::get_if<int32_t>(&m_value))
        return *v;
    return number_to<int32_t>(std::visit(AsNumber {}, m_value));
}

int16_t Variant::to_integer() const
{
    return number_to<int16_t>(std::visit(AsNumber {}, m_value));
}

std::string Variant::to_string() const
{
    if (const auto* v = std::get_if<std::string>(&m_value))
        return *v;
    if (const auto* v = std::get_if<bool>(&m_value))
        return *v ? "True" : "False";
    if (const auto* v = std::get_if<int16_t>(&m_value))
        return std::to_string(*v);
    if (const auto* v = std::get_if<int32_t>(&m_value))
        return std::to_string(*v);
    throw type_mismatch();
}

bool Variant::to_bool() const
{
    if (const auto* v = std::get_if<bool>(&m_value))
        return *v;
    if (const auto* v = std::get_if<std::string>(&m_value)) {
        if (equals_ignoring_case(trimmed(*v), "True"))
            return true;
        if (equals_ignoring_case(trimmed(*v), "False"))
            return false;
    }
    return std::visit(AsNumber {}, m_value) != 0;
}

Variant::FontPtr Variant::to_font() const
{
    if (is_nothing())
        return nullptr;
    if (const auto* v = std::get_if<FontPtr>(&m_value))
        return std::make_shared<StdFont>(**v);
    throw type_mismatch();
}

Picture Variant::to_picture() const
{
    if (is_nothing())
        return nullptr;
    if (const auto* v = std::get_if<Picture>(&m_value))
        return *v;
    throw type_mismatch();
}

bool operator==(const Variant& a, const Variant& b)
{
    if (a.vt() == VT_DISPATCH || b.vt() == VT_DISPATCH)
        return a.is_nothing() && b.is_nothing();
    if (a.vt() == VT_BSTR || b.vt() == VT_BSTR)
        return a.vt() == b.vt() && a.to_string() == b.to_string();
    return std::visit(AsNumber {}, a.m_value) == std::visit(AsNumber {}, b.m_value);
}

// ---- PropertyBag ----

uint32_t property_key_hash(std::string_view lower_key)
{
    uint32_t hash = 2166136261u;
    for (char16_t unit : to_utf16(lower_key)) {
        for (uint8_t byte : {uint8_t(unit), uint8_t(unit >> 8)}) {
            hash ^= byte;
            hash *= 16777619u;
        }
    }
    return hash;
}

const PropertyBag::Entry* PropertyBag::find(std::string_view key) const
{
    const std::string lower = lower_case(key);
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.key == lower; });
    return it == m_entries.end() ? nullptr : &*it;
}

bool PropertyBag::contains(std::string_view key) const
{
    return find(key) != nullptr;
}

Variant PropertyBag::ReadProperty(std::string_view key, const Variant& default_value) const
{
    const Entry* entry = find(key);
    return entry ? entry->value : default_value;
}

void PropertyBag::WriteProperty(std::string_view key, const Variant& value, const Variant& default_value)
{
    std::string lower = lower_case(key);
    if (to_utf16(lower).size() > std::numeric_limits<uint16_t>::max())
        throw RuntimeError(ERR_INVALID_PROCEDURE_CALL, "Invalid procedure call or argument");
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.key == lower; });
    if (value == default_value) {
        if (it != m_entries.end())
            m_entries.erase(it);
        return;
    }
    if (it != m_entries.end())
        it->value = value;
    else
        m_entries.push_back({std::move(lower), value});
}

PropertyBag PropertyBag::from_stored(std::span<const uint8_t> bytes)
{
    Reader outer(bytes);
    if (outer.u32("header") != stored_form_magic)
        throw damaged("header");
    const uint32_t length = outer.u32("length");
    if (length != outer.left())
        throw damaged("length");
    const std::span<const uint8_t> bag = outer.take(length, "bag");

    Reader head(bag);
    if (head.u32("bag header") != bag_magic || head.u32("bag length") != length || length % 4 != 0)
        throw damaged("bag header");

    PropertyBag result;
    // Distances go forward only, except the last one's way back to the first entry, so the
    // walk ends within length / 4 steps.
    bool ended = bag.size() == first_entry;
    for (size_t offset = first_entry; !ended;) {
        Reader header(bag.subspan(offset));
        const uint16_t type = header.u16("entry header");
        const uint16_t key_length = header.u16("entry header");
        header.u32("entry header"); // the key hash: keys are found by name
        const int32_t distance = header.i32("entry header");
        const bool last = distance <= 0;
        if (last ? int64_t(offset) + distance != int64_t(first_entry)
                 : distance < int32_t(entry_header) || distance % 4 != 0 || size_t(distance) > bag.size() - offset)
            throw damaged("entry distance");
        const size_t end = last ? bag.size() : offset + size_t(distance);

        Reader in(bag.subspan(offset + entry_header, end - offset - entry_header));
        std::string key = lower_case(from_utf16(in.take(uint64_t(key_length) * 2, "key")));
        Variant value = read_value(type, in);
        expect_padding(in);
        result.m_entries.push_back({std::move(key), std::move(value)});
        ended = last;
        offset = end;
    }
    return result;
}

std::vector<uint8_t> PropertyBag::stored_form() const
{
    Writer bag;
    bag.u32(bag_magic);
    bag.u32(0); // the length, once known
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries[i];
        const size_t start = bag.size();
        const std::u16string key = to_utf16(entry.key);
        bag.u16(entry.value.vt());
        bag.u16(uint16_t(key.size()));
        bag.u32(property_key_hash(entry.key));
        bag.u32(0); // the distance, once known
        bag.utf16(key);
        write_value(bag, entry.value);
        bag.pad_to_4();
        const bool last = i + 1 == m_entries.size();
        const int64_t distance = last ? int64_t(first_entry) - int64_t(start) : int64_t(bag.size() - start);
        if (distance < std::numeric_limits<int32_t>::min() || distance > std::numeric_limits<int32_t>::max())
            throw RuntimeError(ERR_INVALID_PROCEDURE_CALL, "Invalid procedure call or argument");
        bag.patch_u32(start + 8, uint32_t(int32_t(distance)));
    }
    const uint32_t length = checked_u32(bag.size());
    bag.patch_u32(4, length);

    Writer out;
    out.u32(stored_form_magic);
    out.u32(length);
    out.bytes(bag.take());
    return out.take();
}

} // namespace platform
