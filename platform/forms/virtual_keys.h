#pragma once
// What the host's input events carry for Qt's: the virtual-key code of a key, the Shift
// state, and the 8-bit character codes of what a key typed.

#include <Qt>
#include <QString>

#include <cstdint>
#include <vector>

class QKeyEvent;

namespace platform::forms {

inline constexpr int16_t vk_unassigned = 0xFF;

// The virtual-key code of a key. `keycode` is the X keycode of the key (0 when unknown): a
// key's code follows its place on the keyboard, as on a US one, so a Cyrillic layout gives
// the codes of the Latin keys under its letters; Latin letters follow the layout.
int16_t virtual_key(int qt_key, Qt::KeyboardModifiers modifiers, uint32_t keycode);
int16_t virtual_key(const QKeyEvent& event);

// 1 Shift, 2 Ctrl, 4 Alt.
int16_t shift_bits(Qt::KeyboardModifiers modifiers);
// The same, as held once the key went down or came up.
int16_t shift_state(const QKeyEvent& event);

// One code per character typed, in code page 1251 ('?' for what it lacks); none for a key
// that types nothing, for Delete, and for Alt combinations, which are menu keys.
std::vector<int16_t> key_ascii_codes(const QKeyEvent& event);

} // namespace platform::forms
