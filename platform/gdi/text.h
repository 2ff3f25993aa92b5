#pragma once
// Text output and measurement in the device context's font, without antialiasing:
// every text pixel is exactly the text colour. Needs a QGuiApplication.

#include "platform/gdi/dc.h"
#include "platform/win_types.h"

namespace platform {

// `text` is 8-bit text (UTF-8 here); `count` is its length in bytes.
// (x, y) is the top-left corner of the text cell; the background stays as it is.
BOOL TextOutA(HDC dc, int x, int y, const char* text, int count);
BOOL GetTextExtentPoint32A(HDC dc, const char* text, int count, SIZE* size);

} // namespace platform
