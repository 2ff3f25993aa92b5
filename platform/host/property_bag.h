#pragma once
// The saved property set of a control instance: keys and typed values, in the order they
// were written, and the stored form that a window definition carries.

#include "platform/gdi/font.h"
#include "platform/host/picture.h"
#include "platform/win_types.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

// Variant types, as the stored form numbers them.
enum VARTYPE : uint16_t {
    VT_I2 = 2,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_BOOL = 11,
};

// The empty object reference.
struct Nothing {
    friend bool operator==(Nothing, Nothing) = default;
};

// One value of a set. It keeps the type it was made with; the to_ functions convert as the
// run time's conversion functions do and raise a RuntimeError (type mismatch, overflow)
// where that is impossible.
class Variant {
public:
    using FontPtr = std::shared_ptr<StdFont>;

    Variant() = default; // Nothing
    Variant(Nothing) {}
    Variant(int16_t value) : m_value(value) {}
    Variant(int32_t value) : m_value(value) {}
    // OLE colours are 32-bit integers with the same bits.
    Variant(uint32_t value) : m_value(int32_t(value)) {}
    Variant(bool value) : m_value(value) {}
    Variant(std::string value) : m_value(std::move(value)) {}
    Variant(const char* value) : m_value(std::string(value)) {}
    Variant(FontPtr font);
    Variant(Picture picture);

    VARTYPE vt() const;
    bool is_nothing() const { return std::holds_alternative<Nothing>(m_value); }
    bool is_font() const { return std::holds_alternative<FontPtr>(m_value); }

    int32_t to_long() const;
    int16_t to_integer() const;
    std::string to_string() const;
    bool to_bool() const;
    // Objects: none stays none (nullptr); any other type or the other object class is a
    // type mismatch.
    FontPtr to_font() const;
    Picture to_picture() const;

    // Numbers and Booleans compare by value (True is -1), texts exactly; an object equals
    // nothing but another none, so a set keeps every object that is there.
    friend bool operator==(const Variant& a, const Variant& b);

private:
    std::variant<Nothing, int16_t, int32_t, std::string, bool, FontPtr, Picture> m_value;
};

class PropertyBag {
public:
    struct Entry {
        std::string key; // lower case
        Variant value;
    };

    PropertyBag() = default;
    // Parses a stored form; a damaged one raises a RuntimeError.
    static PropertyBag from_stored(std::span<const uint8_t> bytes);
    std::vector<uint8_t> stored_form() const;

    // The stored value with its stored type, or `default_value` when the set lacks the key.
    Variant ReadProperty(std::string_view key, const Variant& default_value = {}) const;
    // Stores the value under the lower-case key, replacing an earlier one; a value equal
    // to the default leaves no entry.
    void WriteProperty(std::string_view key, const Variant& value, const Variant& default_value = {});

    const std::vector<Entry>& entries() const { return m_entries; }
    bool contains(std::string_view key) const;

private:
    const Entry* find(std::string_view key) const;

    std::vector<Entry> m_entries;
};

// The stored form's hash of a lower-case key: FNV-1a over its UTF-16LE bytes.
uint32_t property_key_hash(std::string_view lower_key);

} // namespace platform
