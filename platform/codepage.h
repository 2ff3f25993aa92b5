#pragma once
// The Windows Cyrillic code page 1251, in which window definitions keep their texts, and the
// UTF-8 steps its converters and the property sets' UTF-16 share.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// 1251 bytes to UTF-8; the one unassigned byte, 0x98, is U+0098, so every byte round-trips.
std::string cp1251_to_utf8(std::string_view bytes);
// UTF-8 to 1251 bytes; a character 1251 lacks becomes '?'. Invalid UTF-8 is read leniently.
std::string utf8_to_cp1251(std::string_view text);

// UTF-8 one code point at a time. Surrogates are encoded and decoded like any other code
// point, so a lone one in a UTF-16 text survives the way through UTF-8 and back.
void append_utf8(std::string& out, char32_t c);
// The code point at `i`, moving `i` past it; a bad sequence yields U+FFFD and skips one byte.
char32_t next_utf8_code_point(std::string_view text, size_t& i);

} // namespace platform
