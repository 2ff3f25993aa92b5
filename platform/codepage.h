#pragma once
// The Windows Cyrillic code page 1251, in which window definitions keep their texts.

#include <string>
#include <string_view>

namespace platform {

// 1251 bytes to UTF-8; the one unassigned byte (0x98) becomes U+FFFD.
std::string cp1251_to_utf8(std::string_view bytes);
// UTF-8 to 1251 bytes; a character 1251 lacks becomes '?'. Invalid UTF-8 is read leniently.
std::string utf8_to_cp1251(std::string_view text);

} // namespace platform
