#pragma once
// What a picture file says of itself before anything is decoded: its format from its
// first bytes, a JPEG's scan count, a GIF's screen size, and an icon file's directory
// with the size each image's own header declares. The decoder is only started on what is
// known here.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

enum class PictureFormat { None, Gif, Jpeg, Png, Bmp, Icon, Cursor };

// By the first bytes alone; None for every format the loader does not take.
PictureFormat picture_format(std::span<const uint8_t> bytes);

struct PixelSize {
    int64_t width = 0;
    int64_t height = 0;
    int64_t pixels() const { return width * height; }
    friend bool operator==(PixelSize, PixelSize) = default;
};

// The scans of a JPEG file, counted up to `enough`. Each scan of a progressive JPEG is a
// pass over the whole image, and a scan can be a dozen bytes.
size_t jpeg_scan_count(std::span<const uint8_t> bytes, size_t enough);

// The size a GIF is drawn at (its logical screen), whatever its frames say.
std::optional<PixelSize> gif_screen_size(std::span<const uint8_t> bytes);

struct IconEntry {
    int index = 0;  // in the directory
    PixelSize size; // the larger of the directory's and the image header's, per side
};

// An icon or cursor file's directory in order, as far as the file holds it.
std::vector<IconEntry> icon_entries(std::span<const uint8_t> bytes);

} // namespace platform
