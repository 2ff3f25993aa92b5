#pragma once
// The picture object: an image decoded from file bytes by content, never by file name.
// A null reference stands for "no picture". Decoding is bounded: a file that would
// decode to more than the caps below is no picture.

#include "platform/gdi/surface.h"
#include "platform/win_types.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace platform {

// The most pixels one file may decode to, all its kept images together (64 MiB as
// 32-bit pixels).
inline constexpr int64_t PICTURE_PIXEL_CAP = int64_t(4096) * 4096;
// Of an icon or cursor file, the images of this many sizes at most are decoded: those
// nearest the size an icon shows at.
inline constexpr size_t ICON_IMAGE_CAP = 8;
// A JPEG of more scans is no picture: each scan is a pass over the whole image, so a few
// bytes a scan would make a body of megabytes take minutes. Encoders write about ten.
inline constexpr size_t JPEG_SCAN_CAP = 100;

class StdPicture {
public:
    enum class Kind { Bitmap, Icon, Cursor };

    // nullptr when the bytes are no picture the platform can decode.
    static std::shared_ptr<StdPicture> from_bytes(std::span<const uint8_t> bytes);
    // The same, keeping only the decoded images, as a picture loaded from a file does: its
    // bytes, megabytes for a downloaded photo, would sit beside its pixels for nothing.
    static std::shared_ptr<StdPicture> loaded_from(std::span<const uint8_t> file);
    // A bitmap of the surface's pixels, as a host's finished image.
    static std::shared_ptr<StdPicture> from_surface(const Surface& surface);

    Kind kind() const { return m_kind; }
    // Size in HIMETRIC (0.01 mm) at 96 dots per inch, as whole numbers.
    LONG Width() const;
    LONG Height() const;
    int pixel_width() const;
    int pixel_height() const;
    // ARGB32, not premultiplied. A surface snapshot is converted on first use.
    const QImage& image() const;
    // Of an icon's images, the one nearest the size it is shown at.
    const QImage& image_for(int width, int height) const;
    // The images kept: of an icon or cursor file up to ICON_IMAGE_CAP, else 1.
    size_t image_count() const { return std::max<size_t>(m_frames.size(), 1); }
    // Cursors only: the hot spot inside the image.
    POINT hot_spot() const { return m_hot_spot; }
    // The file the picture was decoded from (empty for a surface snapshot and a picture
    // loaded from a file).
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    struct Decoded;
    static std::optional<Decoded> decode(std::span<const uint8_t> bytes);
    static std::shared_ptr<StdPicture> made(Decoded decoded, std::vector<uint8_t> bytes);
    StdPicture(Kind kind, QImage image, POINT hot_spot, std::vector<uint8_t> bytes);
    explicit StdPicture(const Surface& snapshot);

    Kind m_kind;
    mutable QImage m_image;
    POINT m_hot_spot;
    Surface m_snapshot; // pixels of a host image, kept as drawn
    std::vector<QImage> m_frames; // the kept images of an icon or cursor file, in file order
    std::vector<uint8_t> m_bytes;
};

using Picture = std::shared_ptr<StdPicture>;

// Draws the picture at its natural size with its top-left corner at (x, y), clipped to
// the surface: transparent pixels keep the surface, partly transparent ones blend.
void paint_picture(Surface& surface, const StdPicture& picture, int x, int y);

// HIMETRIC <-> pixels at 96 dots per inch.
double himetric_to_pixels(double himetric);
LONG pixels_to_himetric(int pixels);

} // namespace platform
