#pragma once
// A photo-like JPEG made on the spot: a sky over rolling ground, textured at several
// scales and with sensor-like noise in every pixel, so the encoder and the decoder do the
// work a camera picture gives them. The same arguments give the same bytes.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bench {

namespace photo_detail {

struct Random {
    uint64_t state;
    uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return uint32_t(state >> 11);
    }
};

// Smooth noise in [0, 1] with features about `cell` pixels across.
class ValueNoise {
public:
    ValueNoise(int width, int height, int cell, Random& random)
        : m_columns(width / cell + 2), m_cell(float(cell)), m_values(size_t(m_columns) * size_t(height / cell + 2))
    {
        for (float& v : m_values)
            v = float(random.next() & 0xFFFF) / 65535.0f;
    }

    float at(int x, int y) const
    {
        const float fx = float(x) / m_cell;
        const float fy = float(y) / m_cell;
        const int ix = int(fx);
        const int iy = int(fy);
        const float tx = smooth(fx - float(ix));
        const float ty = smooth(fy - float(iy));
        const auto v = [this](int cx, int cy) { return m_values[size_t(cy) * size_t(m_columns) + size_t(cx)]; };
        const float top = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * tx;
        const float bottom = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * tx;
        return top + (bottom - top) * ty;
    }

private:
    static float smooth(float t) { return t * t * (3 - 2 * t); }

    int m_columns;
    float m_cell;
    std::vector<float> m_values;
};

inline int channel(float value) { return std::clamp(int(value), 0, 255); }

} // namespace photo_detail

inline QImage photo_like_image(int width, int height)
{
    using namespace photo_detail;
    Random random {0x9E3779B97F4A7C15ull};
    const ValueNoise hills(width, height, std::max(width / 6, 8), random);
    const ValueNoise large(width, height, 97, random);
    const ValueNoise middle(width, height, 23, random);
    const ValueNoise fine(width, height, 5, random);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float a = hills.at(x, y), b = large.at(x, y), c = middle.at(x, y), d = fine.at(x, y);
            const bool sky = float(y) < float(height) * (0.4f + (a - 0.5f) / 6);
            const float s = float(y) / float(height);
            const float texture = 0.45f * b + 0.35f * c + 0.2f * d;
            float red = sky ? 90 + 80 * s + 40 * b : 60 + 120 * a * texture + 40 * d;
            float green = sky ? 140 + 60 * s + 30 * b : 80 + 110 * texture + 30 * c;
            float blue = sky ? 220 - 40 * s + 20 * c : 40 + 60 * a * d;
            const uint32_t noise = random.next(); // -16..15 per channel
            red += float(int(noise & 31) - 16);
            green += float(int((noise >> 5) & 31) - 16);
            blue += float(int((noise >> 10) & 31) - 16);
            row[x] = qRgb(channel(red), channel(green), channel(blue));
        }
    }
    return image;
}

// The image as a JPEG file of the given quality (0 to 100).
inline QByteArray photo_like_jpeg(int width, int height, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    photo_like_image(width, height).save(&buffer, "JPEG", quality);
    return bytes;
}

} // namespace bench
