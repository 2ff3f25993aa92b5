#pragma once
// Window definitions: a window's static description carried as data. A definition is a
// text in code page 1251, blocks of `kind name` ... `end` holding `Key = value` lines:
//
//   form Form1
//       Caption = "Velmora v2.0.0"
//       ClientWidth = 5520
//       textbox Text1
//           Left = 795
//           Text = "velmora.example"
//       end
//   end
//
// Values: whole numbers (12, -3, 0xC0FFFF), decimals (9.75), true / false, "text" with
// \" \\ \n \r \t escapes, picture("file.jpg") naming an embedded picture, and
// bytes(4C42...) for binary data in hexadecimal.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

struct DefinitionValue {
    enum class Kind { Integer, Number, Text, Boolean, Picture, Bytes };
    Kind kind = Kind::Integer;
    int64_t integer = 0;
    double number = 0;
    bool boolean = false;
    std::string text; // UTF-8 for Text; the file name for Picture
    std::vector<uint8_t> bytes;
};

struct ControlDefinition {
    std::string kind; // "form", "textbox", "label", "image", "option", "combo", "line", "timer", "menu", "ww"
    std::string name;
    std::vector<std::pair<std::string, DefinitionValue>> properties;
    std::vector<ControlDefinition> children;

    const DefinitionValue* find(std::string_view key) const;
    int64_t integer(std::string_view key, int64_t fallback = 0) const;
    double number(std::string_view key, double fallback = 0) const;
    bool boolean(std::string_view key, bool fallback = false) const;
    std::string text(std::string_view key, std::string fallback = {}) const;
    std::string picture(std::string_view key) const; // the file name, empty when none
    const std::vector<uint8_t>* bytes(std::string_view key) const;
};

using WindowDefinition = ControlDefinition;

class DefinitionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a definition in code page 1251; throws DefinitionError with the line at fault.
// Blocks nest 32 deep at most, the form included.
WindowDefinition parse_window_definition(std::string_view cp1251_text);

} // namespace platform
