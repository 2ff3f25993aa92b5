#pragma once
// Values the property-set tests share: the program's caption font, and the run-time error
// number a call raises.

#include "platform/errors.h"
#include "platform/gdi/font.h"

#include <cstdint>
#include <functional>

namespace test_support {

// Tahoma 8.25 pt, Cyrillic character set, as every button of the program has it.
inline platform::StdFont tahoma(int16_t weight)
{
    platform::StdFont font;
    font.name = "Tahoma";
    font.size = 8.25;
    font.weight = weight;
    font.charset = 204;
    return font;
}

// The number of the run-time error `f` raises, 0 when it raises none.
inline int error_number(const std::function<void()>& f)
{
    try {
        f();
    } catch (const platform::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace test_support
