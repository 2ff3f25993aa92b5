#include "platform/gdi/font.h"

#include <cmath>

namespace platform {

int font_pixel_size(double points)
{
    return int(std::lround(points * 96.0 / 72.0));
}

} // namespace platform
