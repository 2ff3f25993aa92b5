#pragma once
// Small picture files made on the spot: PNG glyphs, and icon and cursor files in the
// ICO layout with 32-bit images.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

#include <cstdint>
#include <vector>

namespace test_pictures {

inline std::vector<uint8_t> png(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0)); // one clear pixel, so the alpha survives
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::vector<uint8_t>(data.begin(), data.end());
}

struct IcoImage {
    int size;     // square, pixels
    QRgb colour;  // every pixel
    int hot_x = 0; // cursors only
    int hot_y = 0;
};

// type 1: icon, type 2: cursor (the directory's two planes/bits words hold the hot spot).
inline std::vector<uint8_t> ico(uint16_t type, const std::vector<IcoImage>& images)
{
    std::vector<uint8_t> out;
    auto u8 = [&](uint32_t v) { out.push_back(uint8_t(v)); };
    auto u16 = [&](uint32_t v) { u8(v & 0xFF); u8((v >> 8) & 0xFF); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };

    auto image_bytes = [](const IcoImage& im) {
        const uint32_t mask_row = uint32_t((im.size + 31) / 32 * 4);
        return 40u + uint32_t(im.size * im.size * 4) + mask_row * uint32_t(im.size);
    };
    u16(0);
    u16(type);
    u16(uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (const IcoImage& im : images) {
        u8(uint32_t(im.size % 256));
        u8(uint32_t(im.size % 256));
        u8(0);
        u8(0);
        u16(type == 2 ? uint32_t(im.hot_x) : 1);
        u16(type == 2 ? uint32_t(im.hot_y) : 32);
        u32(image_bytes(im));
        u32(offset);
        offset += image_bytes(im);
    }
    for (const IcoImage& im : images) {
        u32(40);
        u32(uint32_t(im.size));
        u32(uint32_t(im.size * 2)); // colour rows and mask rows
        u16(1);
        u16(32);
        u32(0);
        u32(uint32_t(im.size * im.size * 4));
        u32(0);
        u32(0);
        u32(0);
        u32(0);
        for (int i = 0; i < im.size * im.size; ++i) {
            u8(uint32_t(qBlue(im.colour)));
            u8(uint32_t(qGreen(im.colour)));
            u8(uint32_t(qRed(im.colour)));
            u8(uint32_t(qAlpha(im.colour)));
        }
        out.insert(out.end(), size_t((im.size + 31) / 32 * 4 * im.size), 0);
    }
    return out;
}

// An icon file whose directory lists `entries` entries that all point at its one image.
inline std::vector<uint8_t> repeated_entry_icon(int entries, int size)
{
    const std::vector<uint8_t> single = ico(1, {{size, qRgba(0, 0, 200, 255)}});
    const uint32_t offset = 6 + 16 * uint32_t(entries);
    std::vector<uint8_t> out = {0, 0, 1, 0, uint8_t(entries & 0xFF), uint8_t(entries >> 8)};
    for (int i = 0; i < entries; ++i) {
        out.insert(out.end(), single.begin() + 6, single.begin() + 18); // size, colours, planes, bits, length
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(uint8_t(offset >> shift));
    }
    out.insert(out.end(), single.begin() + 22, single.end());
    return out;
}

// An icon file of one PNG image, as larger icons are kept; the directory says 256 x 256.
inline std::vector<uint8_t> png_icon(const std::vector<uint8_t>& png)
{
    const auto length = uint32_t(png.size());
    std::vector<uint8_t> out = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(length >> shift));
    out.insert(out.end(), {22, 0, 0, 0});
    out.insert(out.end(), png.begin(), png.end());
    return out;
}

inline std::vector<uint8_t> hand_cursor()
{
    return ico(2, {{32, qRgba(255, 255, 255, 255), 10, 3}});
}

inline std::vector<uint8_t> multi_image_icon()
{
    return ico(1, {{16, qRgba(200, 0, 0, 255)}, {32, qRgba(0, 200, 0, 255)}, {48, qRgba(0, 0, 200, 255)}});
}

} // namespace test_pictures
