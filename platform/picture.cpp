#include "platform/picture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

bool starts_with(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> prefix)
{
    if (bytes.size() < prefix.size())
        return false;
    size_t i = 0;
    for (uint8_t b : prefix)
        if (bytes[i++] != b)
            return false;
    return true;
}

// Icon and cursor files share one layout; the type word tells them apart (1 icon, 2 cursor).
StdPicture::Kind kind_of(std::span<const uint8_t> bytes)
{
    if (starts_with(bytes, {0, 0, 1, 0}))
        return StdPicture::Kind::Icon;
    if (starts_with(bytes, {0, 0, 2, 0}))
        return StdPicture::Kind::Cursor;
    return StdPicture::Kind::Bitmap;
}

// A cursor file keeps the first image's hot spot in bytes 10 to 13 of its header.
POINT cursor_hot_spot(std::span<const uint8_t> bytes)
{
    if (bytes.size() < 14)
        return {};
    return {LONG(bytes[10] | (bytes[11] << 8)), LONG(bytes[12] | (bytes[13] << 8))};
}

// Every image of an icon or cursor file.
std::vector<QImage> all_images(QImageReader& reader)
{
    std::vector<QImage> frames;
    const int count = std::max(reader.imageCount(), 1);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        QImage image = reader.read();
        if (!image.isNull())
            frames.push_back(std::move(image));
    }
    return frames;
}

// The image nearest the size wanted; at equal distance the one with more colours, then
// the earlier one.
size_t nearest_frame(const std::vector<QImage>& frames, int width, int height)
{
    size_t best = 0;
    for (size_t i = 1; i < frames.size(); ++i) {
        const auto distance = [&](const QImage& f) { return std::abs(f.width() - width) + std::abs(f.height() - height); };
        const int d = distance(frames[i]), b = distance(frames[best]);
        if (d < b || (d == b && frames[i].depth() > frames[best].depth()))
            best = i;
    }
    return best;
}

// An icon shows at the classic system icon size where it has that image.
constexpr int icon_size = 32;

} // namespace

StdPicture::StdPicture(Kind kind, QImage image, POINT hot_spot, std::vector<uint8_t> bytes)
    : m_kind(kind), m_image(std::move(image)), m_hot_spot(hot_spot), m_bytes(std::move(bytes))
{
}

std::shared_ptr<StdPicture> StdPicture::from_bytes(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return nullptr;
    QByteArray data(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    const Kind kind = kind_of(bytes);
    // Icons and cursors are read by the icon reader whatever their file name says.
    QImageReader reader(&buffer, kind == Kind::Bitmap ? QByteArray() : QByteArray("ico"));
    reader.setDecideFormatFromContent(true);
    std::vector<QImage> frames;
    if (kind == Kind::Bitmap)
        frames.push_back(reader.read());
    else
        frames = all_images(reader);
    if (frames.empty() || frames.front().isNull())
        return nullptr;
    for (auto& frame : frames)
        frame = frame.convertToFormat(QImage::Format_ARGB32);
    const size_t shown = nearest_frame(frames, icon_size, icon_size);
    const POINT hot_spot = kind == Kind::Cursor ? cursor_hot_spot(bytes) : POINT {};
    auto picture = std::shared_ptr<StdPicture>(
        new StdPicture(kind, frames[shown], hot_spot, std::vector<uint8_t>(bytes.begin(), bytes.end())));
    picture->m_frames = std::move(frames);
    return picture;
}

StdPicture::StdPicture(const Surface& snapshot)
    : m_kind(Kind::Bitmap), m_hot_spot {}, m_snapshot(snapshot)
{
}

std::shared_ptr<StdPicture> StdPicture::from_surface(const Surface& surface)
{
    // Only the pixels are copied here: a host takes one of these at every repaint.
    return std::shared_ptr<StdPicture>(new StdPicture(surface));
}

const QImage& StdPicture::image() const
{
    if (m_image.isNull() && m_snapshot.width() > 0 && m_snapshot.height() > 0) {
        // The surface keeps opaque RGB32 pixels: the conversion is a copy.
        const QImage pixels(reinterpret_cast<const uchar*>(m_snapshot.pixels().data()), m_snapshot.width(),
                            m_snapshot.height(), qsizetype(m_snapshot.width()) * 4, QImage::Format_RGB32);
        m_image = pixels.convertToFormat(QImage::Format_ARGB32);
    }
    return m_image;
}

const QImage& StdPicture::image_for(int width, int height) const
{
    if (m_frames.size() < 2)
        return image();
    return m_frames[nearest_frame(m_frames, width, height)];
}

int StdPicture::pixel_width() const
{
    return m_snapshot.width() > 0 ? m_snapshot.width() : m_image.width();
}

int StdPicture::pixel_height() const
{
    return m_snapshot.height() > 0 ? m_snapshot.height() : m_image.height();
}

LONG StdPicture::Width() const
{
    return pixels_to_himetric(pixel_width());
}

LONG StdPicture::Height() const
{
    return pixels_to_himetric(pixel_height());
}

double himetric_to_pixels(double himetric)
{
    return himetric * 96.0 / 2540.0;
}

LONG pixels_to_himetric(int pixels)
{
    return LONG(std::lround(pixels * 2540.0 / 96.0));
}

void paint_picture(Surface& surface, const StdPicture& picture, int x, int y)
{
    const QImage& image = picture.image();
    // Clip in 64 bits: the place may be anywhere.
    const int x0 = int(std::clamp<int64_t>(-int64_t(x), 0, image.width()));
    const int y0 = int(std::clamp<int64_t>(-int64_t(y), 0, image.height()));
    const int x1 = int(std::clamp<int64_t>(int64_t(surface.width()) - x, 0, image.width()));
    const int y1 = int(std::clamp<int64_t>(int64_t(surface.height()) - y, 0, image.height()));
    for (int py = y0; py < y1; ++py) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(py));
        for (int px = x0; px < x1; ++px) {
            const QRgb source = row[px];
            const int alpha = qAlpha(source);
            if (alpha == 0)
                continue;
            if (alpha == 255) {
                surface.set_pixel(x + px, y + py, RGB(qRed(source), qGreen(source), qBlue(source)));
                continue;
            }
            const COLORREF under = surface.pixel(x + px, y + py);
            auto mix = [alpha](int top, int bottom) { return uint8_t((top * alpha + bottom * (255 - alpha) + 127) / 255); };
            surface.set_pixel(x + px, y + py,
                              RGB(mix(qRed(source), GetRValue(under)), mix(qGreen(source), GetGValue(under)),
                                  mix(qBlue(source), GetBValue(under))));
        }
    }
}

} // namespace platform
