#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace button {

// A drawing coordinate: the whole expression, computed in floating point, rounded once
// to the nearest whole number with halves going to the even neighbour.
inline int32_t r(double v)
{
    if (!(v > -2147483648.0)) // also NaN
        return std::numeric_limits<int32_t>::min();
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    return int32_t(std::nearbyint(v));
}

} // namespace button
