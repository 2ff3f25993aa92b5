#include "platform/host/picture.h"

#include "platform/host/picture_file.h"
#include "platform/host/populated_image.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

const char* qt_format(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Gif: return "gif";
    case PictureFormat::Jpeg: return "jpeg";
    case PictureFormat::Png: return "png";
    case PictureFormat::Bmp: return "bmp";
    case PictureFormat::Icon:
    case PictureFormat::Cursor: return "ico";
    case PictureFormat::None: break;
    }
    return "";
}

StdPicture::Kind kind_of(PictureFormat format)
{
    if (format == PictureFormat::Icon)
        return StdPicture::Kind::Icon;
    if (format == PictureFormat::Cursor)
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

bool fits(PixelSize size, int64_t budget)
{
    return size.width > 0 && size.height > 0 && size.width <= budget && size.pixels() <= budget;
}

PixelSize size_of(const QImage& image) { return {image.width(), image.height()}; }

// A reader of exactly the format the bytes were found to be: nothing else is tried on them.
class Reader {
public:
    Reader(std::span<const uint8_t> bytes, PictureFormat format)
        : m_data(QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))),
          m_buffer(&m_data), m_reader(&m_buffer, qt_format(format))
    {
        // The second guard, under the size checks made before each read.
        static const bool limited = [] {
            QImageReader::setAllocationLimit(int(PICTURE_PIXEL_CAP * 4 >> 20));
            return true;
        }();
        (void)limited;
        m_buffer.open(QIODevice::ReadOnly);
        m_reader.setAutoDetectImageFormat(false);
    }
    QImageReader& operator*() { return m_reader; }
    QImageReader* operator->() { return &m_reader; }

private:
    QByteArray m_data; // the caller's bytes, not a copy
    QBuffer m_buffer;
    QImageReader m_reader;
};

// Below this many pixels a picture is decoded into the reader's own memory.
constexpr int64_t populated_pixels = 1 << 18;

// A large JPEG decodes into an ARGB32 image mapped at once, through an RGB32 view of its
// pixels: the reader's RGB32 pixel is 0xffRRGGBB, the same as an opaque ARGB32 one, and a
// conversion would copy the pixels. Nothing changes when the reader makes its own image.
QImage read_populated_jpeg(QImageReader& reader, PixelSize size)
{
    if (size.pixels() < populated_pixels || reader.imageFormat() != QImage::Format_RGB32)
        return reader.read();
    QImage image = populated_image(int(size.width), int(size.height), QImage::Format_ARGB32);
    if (image.isNull())
        return reader.read();
    QImage target(image.bits(), image.width(), image.height(), image.bytesPerLine(), QImage::Format_RGB32);
    if (!reader.read(&target))
        return {};
    if (target.constBits() != image.constBits() || target.format() != QImage::Format_RGB32)
        return target; // the reader made an image of its own
    return image;
}

// A GIF is drawn at its screen size; the other readers report the size they decode to.
QImage read_bitmap(std::span<const uint8_t> bytes, PictureFormat format)
{
    if (format == PictureFormat::Jpeg && jpeg_scan_count(bytes, JPEG_SCAN_CAP + 1) > JPEG_SCAN_CAP)
        return {};
    Reader reader(bytes, format);
    std::optional<PixelSize> declared;
    if (format == PictureFormat::Gif) {
        declared = gif_screen_size(bytes);
    } else {
        const QSize reported = reader->size(); // from the header, nothing decoded yet
        declared = PixelSize {reported.width(), reported.height()};
    }
    if (!declared || !fits(*declared, PICTURE_PIXEL_CAP))
        return {};
    QImage image = format == PictureFormat::Jpeg ? read_populated_jpeg(*reader, *declared) : reader->read();
    return fits(size_of(image), PICTURE_PIXEL_CAP) ? image : QImage();
}

// The entries worth decoding: the first of each size, of the sizes nearest the shown
// one, within the cap on their number.
std::vector<IconEntry> chosen_entries(std::vector<IconEntry> entries, int shown_size)
{
    const auto distance = [shown_size](const IconEntry& e) {
        return std::abs(e.size.width - shown_size) + std::abs(e.size.height - shown_size);
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const IconEntry& a, const IconEntry& b) {
        return distance(a) < distance(b);
    });
    std::vector<IconEntry> chosen;
    for (const IconEntry& entry : entries) {
        if (chosen.size() == ICON_IMAGE_CAP)
            break;
        const auto same_size = [&](const IconEntry& c) { return c.size == entry.size; };
        if (std::none_of(chosen.begin(), chosen.end(), same_size))
            chosen.push_back(entry);
    }
    return chosen;
}

// The chosen images of an icon or cursor file, in file order, within the pixel cap.
std::vector<QImage> read_icon_images(std::span<const uint8_t> bytes, PictureFormat format, int shown_size)
{
    Reader reader(bytes, format);
    std::vector<std::pair<int, QImage>> kept;
    int64_t budget = PICTURE_PIXEL_CAP;
    for (const IconEntry& entry : chosen_entries(icon_entries(bytes), shown_size)) {
        if (!fits(entry.size, budget) || !reader->jumpToImage(entry.index))
            continue;
        QImage image = reader->read();
        if (image.isNull() || !fits(size_of(image), budget))
            continue;
        budget -= size_of(image).pixels();
        kept.emplace_back(entry.index, std::move(image));
    }
    std::sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<QImage> images;
    for (auto& [index, image] : kept)
        images.push_back(std::move(image));
    return images;
}

// The image nearest the size wanted; at equal distance the earlier one.
size_t nearest_frame(const std::vector<QImage>& frames, int width, int height)
{
    const auto distance = [&](const QImage& f) { return std::abs(f.width() - width) + std::abs(f.height() - height); };
    size_t best = 0;
    for (size_t i = 1; i < frames.size(); ++i)
        if (distance(frames[i]) < distance(frames[best]))
            best = i;
    return best;
}

// An icon shows at the classic system icon size where it has that image.
constexpr int icon_size = 32;

} // namespace

struct StdPicture::Decoded {
    Kind kind;
    std::vector<QImage> frames;
    POINT hot_spot;
};

StdPicture::StdPicture(Kind kind, QImage image, POINT hot_spot, std::vector<uint8_t> bytes)
    : m_kind(kind), m_image(std::move(image)), m_hot_spot(hot_spot), m_bytes(std::move(bytes))
{
}

std::optional<StdPicture::Decoded> StdPicture::decode(std::span<const uint8_t> bytes)
{
    const PictureFormat format = picture_format(bytes);
    if (format == PictureFormat::None)
        return std::nullopt;
    Decoded decoded {kind_of(format), {}, {}};
    if (decoded.kind == Kind::Bitmap)
        decoded.frames.push_back(read_bitmap(bytes, format));
    else
        decoded.frames = read_icon_images(bytes, format, icon_size);
    if (decoded.frames.empty() || decoded.frames.front().isNull())
        return std::nullopt;
    // In place where the layouts allow (a JPEG's RGB32 does): a copy would hold a large
    // picture's pixels twice.
    for (auto& frame : decoded.frames)
        frame.convertTo(QImage::Format_ARGB32);
    if (decoded.kind == Kind::Cursor)
        decoded.hot_spot = cursor_hot_spot(bytes);
    return decoded;
}

std::shared_ptr<StdPicture> StdPicture::made(Decoded decoded, std::vector<uint8_t> bytes)
{
    const size_t shown = nearest_frame(decoded.frames, icon_size, icon_size);
    auto picture = std::shared_ptr<StdPicture>(
        new StdPicture(decoded.kind, decoded.frames[shown], decoded.hot_spot, std::move(bytes)));
    if (decoded.frames.size() > 1)
        picture->m_frames = std::move(decoded.frames);
    return picture;
}

std::shared_ptr<StdPicture> StdPicture::from_bytes(std::span<const uint8_t> bytes)
{
    // The file is copied only when it is a picture.
    std::optional<Decoded> decoded = decode(bytes);
    if (!decoded)
        return nullptr;
    return made(std::move(*decoded), std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::shared_ptr<StdPicture> StdPicture::loaded_from(std::span<const uint8_t> file)
{
    std::optional<Decoded> decoded = decode(file);
    if (!decoded)
        return nullptr;
    return made(std::move(*decoded), {});
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
