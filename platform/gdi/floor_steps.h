#pragma once
// floor((first + slope * t) / span) for t = 0, 1, 2, ...: the stepping of lines, polygon
// edges and gradients, kept as a whole part and a remainder so that a step never divides.

#include <cstdint>

namespace platform {

class FloorSteps {
public:
    // A polygon cut far above the surface starts its edges past what 64 bits hold.
    using Wide = __int128;

    // span > 0; the values themselves fit in 64 bits.
    FloorSteps(Wide first, int64_t slope, int64_t span) : m_span(span)
    {
        floor_div(first, m_whole, m_part);
        floor_div(slope, m_step_whole, m_step_part);
    }

    int64_t whole() const { return m_whole; }
    // The fraction that was rounded away, times span: 0 <= part < span.
    int64_t part() const { return m_part; }

    void step()
    {
        m_whole += m_step_whole;
        m_part += m_step_part;
        if (m_part >= m_span) {
            m_part -= m_span;
            ++m_whole;
        }
    }

private:
    void floor_div(Wide numerator, int64_t& whole, int64_t& part) const
    {
        // In 64 bits where it fits: a 128-bit division is a library call, and a button's
        // paint starts dozens of these.
        if (numerator >= Wide(INT64_MIN) && numerator <= Wide(INT64_MAX))
            return floor_div(int64_t(numerator), whole, part);
        Wide q = numerator / m_span, r = numerator % m_span;
        if (r < 0) {
            --q;
            r += m_span;
        }
        whole = int64_t(q);
        part = int64_t(r);
    }
    void floor_div(int64_t numerator, int64_t& whole, int64_t& part) const
    {
        whole = numerator / m_span;
        part = numerator % m_span;
        if (part < 0) {
            --whole;
            part += m_span;
        }
    }

    int64_t m_span;
    int64_t m_whole = 0, m_part = 0;
    int64_t m_step_whole = 0, m_step_part = 0;
};

} // namespace platform
