#pragma once
// The picture object: an image decoded from file bytes by content, never by file name.
// A null reference stands for "no picture".

#include "platform/surface.h"
#include "platform/win_types.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace platform {

class StdPicture {
public:
    enum class Kind { Bitmap, Icon, Cursor };

    // nullptr when the bytes are no picture the platform can decode.
    static std::shared_ptr<StdPicture> from_bytes(std::span<const uint8_t> bytes);
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
    // Cursors only: the hot spot inside the image.
    POINT hot_spot() const { return m_hot_spot; }
    // The file the picture was decoded from (empty for a surface snapshot).
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    StdPicture(Kind kind, QImage image, POINT hot_spot, std::vector<uint8_t> bytes);
    explicit StdPicture(const Surface& snapshot);

    Kind m_kind;
    mutable QImage m_image;
    POINT m_hot_spot;
    Surface m_snapshot; // pixels of a host image, kept as drawn
    std::vector<QImage> m_frames; // every image of an icon or cursor file
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
