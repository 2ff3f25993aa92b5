// Placeholder until text lands.
#include "platform/text.h"

namespace platform {
struct ResolvedFont {};
BOOL TextOutA(HDC, int, int, const char*, int) { return FALSE; }
BOOL GetTextExtentPoint32A(HDC, const char*, int, SIZE* size) { if (size) *size = {}; return FALSE; }
} // namespace platform
