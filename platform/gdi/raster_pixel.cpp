#include "platform/gdi/raster.h"

namespace platform {

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour)
{
    if (!dc->surface->contains(x, y))
        return CLR_INVALID;
    dc->surface->set_pixel(x, y, colour);
    return colour & 0x00FFFFFF;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    return dc->surface->pixel(x, y);
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous)
{
    if (previous)
        *previous = dc->position;
    dc->position = {x, y};
    return TRUE;
}

} // namespace platform
