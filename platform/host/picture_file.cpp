#include "platform/host/picture_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace platform {

namespace {

bool starts_with(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> prefix)
{
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

uint32_t u16le(std::span<const uint8_t> b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t u32le(std::span<const uint8_t> b, size_t at) { return u16le(b, at) | (u16le(b, at + 2) << 16); }
uint32_t u16be(std::span<const uint8_t> b, size_t at) { return (b[at] << 8) | b[at + 1]; }
uint32_t u32be(std::span<const uint8_t> b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

constexpr std::initializer_list<uint8_t> png_signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// What an icon image's own header declares: a PNG's IHDR, or a BITMAPINFOHEADER whose
// height counts the colour rows and the mask rows.
std::optional<PixelSize> icon_image_header_size(std::span<const uint8_t> image)
{
    if (starts_with(image, png_signature))
        return image.size() >= 24 ? std::optional(PixelSize {u32be(image, 16), u32be(image, 20)}) : std::nullopt;
    if (image.size() < 12)
        return std::nullopt;
    const auto width = int32_t(u32le(image, 4));
    const auto height = int32_t(u32le(image, 8));
    return PixelSize {std::abs(int64_t(width)), (std::abs(int64_t(height)) + 1) / 2};
}

} // namespace

PictureFormat picture_format(std::span<const uint8_t> bytes)
{
    if (starts_with(bytes, {'G', 'I', 'F', '8', '7', 'a'}) || starts_with(bytes, {'G', 'I', 'F', '8', '9', 'a'}))
        return PictureFormat::Gif;
    if (starts_with(bytes, {0xFF, 0xD8, 0xFF}))
        return PictureFormat::Jpeg;
    if (starts_with(bytes, png_signature))
        return PictureFormat::Png;
    if (starts_with(bytes, {'B', 'M'}))
        return PictureFormat::Bmp;
    // Icon and cursor files share one layout; the type word tells them apart. A directory
    // of no entries holds no picture.
    if (bytes.size() >= 6 && u16le(bytes, 4) > 0) {
        if (starts_with(bytes, {0, 0, 1, 0}))
            return PictureFormat::Icon;
        if (starts_with(bytes, {0, 0, 2, 0}))
            return PictureFormat::Cursor;
    }
    return PictureFormat::None;
}

size_t jpeg_scan_count(std::span<const uint8_t> bytes, size_t enough)
{
    // From marker to marker as a decoder goes: a segment is skipped by its length; a
    // scan's coded data, where 0xFF is followed only by 0x00 or a restart marker, and any
    // stray bytes are passed over up to the next 0xFF.
    size_t scans = 0;
    size_t at = 2; // past the start-of-image marker
    while (scans < enough && at + 1 < bytes.size()) {
        const auto* next = static_cast<const uint8_t*>(std::memchr(bytes.data() + at, 0xFF, bytes.size() - at));
        if (!next)
            break;
        at = size_t(next - bytes.data());
        if (at + 1 >= bytes.size())
            break;
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) { // fill byte
            at += 1;
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) { // no length
            at += 2;
            continue;
        }
        if (marker == 0xD9 || at + 3 >= bytes.size()) // end of image
            break;
        if (marker == 0xDA)
            ++scans;
        at += 2 + u16be(bytes, at + 2);
    }
    return scans;
}

std::optional<PixelSize> gif_screen_size(std::span<const uint8_t> bytes)
{
    if (bytes.size() < 10)
        return std::nullopt;
    return PixelSize {u16le(bytes, 6), u16le(bytes, 8)};
}

std::vector<IconEntry> icon_entries(std::span<const uint8_t> bytes)
{
    std::vector<IconEntry> entries;
    if (bytes.size() < 6)
        return entries;
    const size_t count = std::min<size_t>(u16le(bytes, 4), (bytes.size() - 6) / 16);
    entries.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 6 + 16 * i;
        // A side of 0 in the directory is 256.
        PixelSize size {bytes[at] ? bytes[at] : 256, bytes[at + 1] ? bytes[at + 1] : 256};
        const size_t offset = u32le(bytes, at + 12);
        if (offset < bytes.size())
            if (const auto declared = icon_image_header_size(bytes.subspan(offset))) {
                size.width = std::max(size.width, declared->width);
                size.height = std::max(size.height, declared->height);
            }
        entries.push_back({int(i), size});
    }
    return entries;
}

} // namespace platform
