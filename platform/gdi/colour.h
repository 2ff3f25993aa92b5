#pragma once
// OLE colours: direct 0x00BBGGRR values, or 0x800000nn references to system colour nn.

#include "platform/win_types.h"

#include <cstdint>
#include <optional>

namespace platform {

inline constexpr OLE_COLOR COLOR_DESKTOP = 0x80000001;
inline constexpr OLE_COLOR COLOR_WINDOW = 0x80000005;
inline constexpr OLE_COLOR COLOR_WINDOWTEXT = 0x80000008;
inline constexpr OLE_COLOR COLOR_HIGHLIGHT = 0x8000000D;
inline constexpr OLE_COLOR COLOR_HIGHLIGHTTEXT = 0x8000000E;
inline constexpr OLE_COLOR COLOR_BTNFACE = 0x8000000F;
inline constexpr OLE_COLOR COLOR_BTNSHADOW = 0x80000010;
inline constexpr OLE_COLOR COLOR_GRAYTEXT = 0x80000011;
inline constexpr OLE_COLOR COLOR_BTNTEXT = 0x80000012;
inline constexpr OLE_COLOR COLOR_3DHIGHLIGHT = 0x80000014;
inline constexpr OLE_COLOR COLOR_3DDKSHADOW = 0x80000015;
inline constexpr OLE_COLOR COLOR_3DLIGHT = 0x80000016;
inline constexpr OLE_COLOR COLOR_INFOTEXT = 0x80000017;
inline constexpr OLE_COLOR COLOR_INFOBK = 0x80000018;
inline constexpr OLE_COLOR COLOR_HOTLIGHT = 0x8000001A;

inline constexpr int32_t S_OK = 0;
inline constexpr int32_t E_INVALIDARG = int32_t(0x80070057);

// The classic Windows default for system colour `index`, when there is one.
std::optional<COLORREF> system_colour(uint32_t index);

// Resolves a system colour reference; a direct colour passes unchanged.
// An unknown reference fails with E_INVALIDARG and leaves `*result` untouched.
int32_t OleTranslateColor(OLE_COLOR colour, void* palette, COLORREF* result);

// The colour to draw with: translated when possible, else the value itself.
COLORREF resolve_colour(OLE_COLOR colour);

} // namespace platform
