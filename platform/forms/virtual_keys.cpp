#include "platform/forms/virtual_keys.h"

#include "platform/codepage.h"

#include <QKeyEvent>

#include <utility>

namespace platform::forms {

namespace {

constexpr int16_t VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
                  VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC,
                  VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE, VK_OEM_102 = 0xE2;

// The keys of the main block by X keycode (evdev numbering, which X servers and
// compositors share) and the code of the key at that place on a US keyboard, row by row.
constexpr std::pair<uint32_t, int16_t> main_block[] = {
    {49, VK_OEM_3}, {10, '1'}, {11, '2'}, {12, '3'}, {13, '4'}, {14, '5'}, {15, '6'}, {16, '7'}, {17, '8'},
    {18, '9'}, {19, '0'}, {20, VK_OEM_MINUS}, {21, VK_OEM_PLUS},
    {24, 'Q'}, {25, 'W'}, {26, 'E'}, {27, 'R'}, {28, 'T'}, {29, 'Y'}, {30, 'U'}, {31, 'I'}, {32, 'O'},
    {33, 'P'}, {34, VK_OEM_4}, {35, VK_OEM_6}, {51, VK_OEM_5},
    {38, 'A'}, {39, 'S'}, {40, 'D'}, {41, 'F'}, {42, 'G'}, {43, 'H'}, {44, 'J'}, {45, 'K'}, {46, 'L'},
    {47, VK_OEM_1}, {48, VK_OEM_7},
    {94, VK_OEM_102}, {52, 'Z'}, {53, 'X'}, {54, 'C'}, {55, 'V'}, {56, 'B'}, {57, 'N'}, {58, 'M'},
    {59, VK_OEM_COMMA}, {60, VK_OEM_PERIOD}, {61, VK_OEM_2},
};

// The Cyrillic letters (capitals, as Qt names their keys) and the Latin keys they lie
// on in the Russian layout, row by row.
constexpr std::pair<char16_t, int16_t> cyrillic[] = {
    {u'Ё', VK_OEM_3},
    {u'Й', 'Q'}, {u'Ц', 'W'}, {u'У', 'E'}, {u'К', 'R'}, {u'Е', 'T'}, {u'Н', 'Y'}, {u'Г', 'U'}, {u'Ш', 'I'},
    {u'Щ', 'O'}, {u'З', 'P'}, {u'Х', VK_OEM_4}, {u'Ъ', VK_OEM_6},
    {u'Ф', 'A'}, {u'Ы', 'S'}, {u'В', 'D'}, {u'А', 'F'}, {u'П', 'G'}, {u'Р', 'H'}, {u'О', 'J'}, {u'Л', 'K'},
    {u'Д', 'L'}, {u'Ж', VK_OEM_1}, {u'Э', VK_OEM_7},
    {u'Я', 'Z'}, {u'Ч', 'X'}, {u'С', 'C'}, {u'М', 'V'}, {u'И', 'B'}, {u'Т', 'N'}, {u'Ь', 'M'},
    {u'Б', VK_OEM_COMMA}, {u'Ю', VK_OEM_PERIOD},
};

// Keys Qt names the same wherever they are.
constexpr std::pair<int, int16_t> named[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09}, {Qt::Key_Backtab, 0x09}, {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D}, {Qt::Key_Shift, 0x10}, {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12}, {Qt::Key_AltGr, 0x12}, {Qt::Key_Pause, 0x13}, {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, 0x1B}, {Qt::Key_Space, 0x20}, {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23}, {Qt::Key_Home, 0x24}, {Qt::Key_Left, 0x25}, {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27}, {Qt::Key_Down, 0x28}, {Qt::Key_Select, 0x29}, {Qt::Key_Execute, 0x2B},
    {Qt::Key_Print, 0x2C}, {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E}, {Qt::Key_Help, 0x2F},
    {Qt::Key_Meta, 0x5B}, {Qt::Key_Super_L, 0x5B}, {Qt::Key_Super_R, 0x5C}, {Qt::Key_Menu, 0x5D},
    {Qt::Key_Sleep, 0x5F}, {Qt::Key_NumLock, 0x90}, {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Back, 0xA6}, {Qt::Key_Forward, 0xA7}, {Qt::Key_Refresh, 0xA8}, {Qt::Key_Stop, 0xA9},
    {Qt::Key_Search, 0xAA}, {Qt::Key_Favorites, 0xAB}, {Qt::Key_HomePage, 0xAC},
    {Qt::Key_VolumeMute, 0xAD}, {Qt::Key_VolumeDown, 0xAE}, {Qt::Key_VolumeUp, 0xAF},
    {Qt::Key_MediaNext, 0xB0}, {Qt::Key_MediaPrevious, 0xB1}, {Qt::Key_MediaStop, 0xB2},
    {Qt::Key_MediaTogglePlayPause, 0xB3}, {Qt::Key_MediaPlay, 0xB3}, {Qt::Key_LaunchMail, 0xB4},
};

// The characters of the US main block, shifted ones included, for when the keycode is
// unknown.
constexpr std::pair<int, int16_t> us_characters[] = {
    {Qt::Key_QuoteLeft, VK_OEM_3}, {Qt::Key_AsciiTilde, VK_OEM_3}, {Qt::Key_Dead_Grave, VK_OEM_3},
    {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'},
    {Qt::Key_Minus, VK_OEM_MINUS}, {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Equal, VK_OEM_PLUS}, {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_BracketLeft, VK_OEM_4}, {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_QuoteDbl, VK_OEM_7}, {Qt::Key_Dead_Acute, VK_OEM_7},
    {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Period, VK_OEM_PERIOD}, {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2}, {Qt::Key_Question, VK_OEM_2},
};

// The keypad's own keys; its others (Home, arrows, Delete ...) are named keys.
constexpr std::pair<int, int16_t> keypad[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B}, {Qt::Key_Minus, 0x6D}, {Qt::Key_Period, 0x6E},
    {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F}, {Qt::Key_Enter, 0x0D},
};

template <typename Table, typename Key>
int16_t look_up(const Table& table, Key key)
{
    for (const auto& [from, code] : table)
        if (from == key)
            return code;
    return 0;
}

} // namespace

int16_t virtual_key(int qt_key, Qt::KeyboardModifiers modifiers, uint32_t keycode)
{
    if (modifiers & Qt::KeypadModifier) {
        if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
            return int16_t(0x60 + (qt_key - Qt::Key_0));
        if (const int16_t code = look_up(keypad, qt_key))
            return code;
    }
    if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z)
        return int16_t('A' + (qt_key - Qt::Key_A));
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24)
        return int16_t(0x70 + (qt_key - Qt::Key_F1));
    if (const int16_t code = look_up(main_block, keycode))
        return code;
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
        return int16_t('0' + (qt_key - Qt::Key_0));
    if (const int16_t code = look_up(named, qt_key))
        return code;
    if (const int16_t code = look_up(us_characters, qt_key))
        return code;
    if (qt_key > 0 && qt_key <= 0xFFFF)
        if (const int16_t code = look_up(cyrillic, QChar(char16_t(qt_key)).toUpper().unicode()))
            return code;
    return vk_unassigned;
}

int16_t virtual_key(const QKeyEvent& event)
{
    return virtual_key(event.key(), event.modifiers(), event.nativeScanCode());
}

int16_t shift_bits(Qt::KeyboardModifiers modifiers)
{
    int16_t value = 0;
    if (modifiers & Qt::ShiftModifier)
        value |= 1;
    if (modifiers & Qt::ControlModifier)
        value |= 2;
    if (modifiers & Qt::AltModifier)
        value |= 4;
    return value;
}

int16_t shift_state(const QKeyEvent& event)
{
    Qt::KeyboardModifiers modifiers = event.modifiers();
    // The modifier key itself counts as held while down, whatever the window system said.
    Qt::KeyboardModifier own = Qt::NoModifier;
    switch (event.key()) {
    case Qt::Key_Shift: own = Qt::ShiftModifier; break;
    case Qt::Key_Control: own = Qt::ControlModifier; break;
    case Qt::Key_Alt: own = Qt::AltModifier; break;
    default: break;
    }
    modifiers.setFlag(own, event.type() == QEvent::KeyPress);
    return shift_bits(modifiers);
}

std::vector<int16_t> key_ascii_codes(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers held = event.modifiers() & (Qt::AltModifier | Qt::ControlModifier);
    if (event.key() == Qt::Key_Delete || held == Qt::AltModifier)
        return {};
    std::vector<int16_t> codes;
    const QString text = event.text();
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is one character, as two halves.
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const std::string bytes = utf8_to_cp1251(text.mid(i, length).toStdString());
        i += length - 1;
        if (!bytes.empty())
            codes.push_back(int16_t(uint8_t(bytes[0])));
    }
    return codes;
}

} // namespace platform::forms
