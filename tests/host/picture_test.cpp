#include "platform/host/picture.h"

#include "tests/support/picture_files.h"

#include <QBuffer>
#include <QImageWriter>
#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform;

Picture decode(const std::vector<uint8_t>& bytes)
{
    return StdPicture::from_bytes(bytes);
}

// A 1 x 1 frame on a GIF screen of the given size: a few bytes that decode to the whole screen.
std::vector<uint8_t> gif_on_screen(int width, int height)
{
    return {'G', 'I', 'F', '8', '9', 'a', uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
            0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
}

std::vector<uint8_t> file_of(const QImage& image, const char* file_format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, file_format)) << file_format;
    return std::vector<uint8_t>(data.begin(), data.end());
}

// A plain image of the given size saved by Qt; small files, since every pixel is alike.
std::vector<uint8_t> saved(int width, int height, QImage::Format format, const char* file_format)
{
    QImage image(width, height, format);
    image.fill(0);
    return file_of(image, file_format);
}

// A progressive JPEG of a plain 16 x 16 image, its last scan repeated up to `scans` scans:
// a decoder takes repeats with a warning and makes another pass for each.
std::vector<uint8_t> jpeg_of_scans(int scans)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(90, 120, 150));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    EXPECT_TRUE(writer.write(image));
    const QByteArray scan_marker("\xFF\xDA", 2);
    const qsizetype last = data.lastIndexOf(scan_marker);
    const QByteArray last_scan = data.mid(last, data.size() - 2 - last); // up to the end marker
    for (qsizetype written = data.count(scan_marker); written < scans; ++written)
        data.insert(data.size() - 2, last_scan);
    return std::vector<uint8_t>(data.begin(), data.end());
}

TEST(Picture, DecodesByContentAndKeepsTheFile)
{
    const auto png = test_pictures::png(16, 16, qRgb(1, 2, 3));
    Picture picture = decode(png);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->kind(), StdPicture::Kind::Bitmap);
    EXPECT_EQ(picture->Width(), 423); // 16 px in HIMETRIC at 96 dpi
    EXPECT_EQ(picture->bytes(), png);
}

// Whatever layout a reader decodes to, the picture's image is ARGB32 with the pixels Qt
// decodes, both when the picture keeps its file and when it keeps only its pixels.
TEST(Picture, ImagesAreArgb32WithThePixelsOfTheFile)
{
    QImage colours(6, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            colours.setPixel(x, y, qRgb(40 * x, 60 * y, 200 - 30 * x));
    QImage indexed(3, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(0, 0, 0, 0), qRgb(250, 10, 10), qRgba(10, 20, 250, 128)});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            indexed.setPixel(x, y, uint((x + y) % 3));
    // Past a quarter megapixel a JPEG decodes into memory of its own.
    QImage large(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < large.height(); ++y)
        for (int x = 0; x < large.width(); ++x)
            large.setPixel(x, y, qRgb(x % 251, y % 241, (x * y) % 239));
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    const Case cases[] = {
        {"JPEG, read as RGB32", file_of(colours, "JPEG")},
        {"large JPEG", file_of(large, "JPEG")},
        {"large grey JPEG", file_of(large.convertToFormat(QImage::Format_Grayscale8), "JPEG")},
        {"grey JPEG, read as Grayscale8", file_of(colours.convertToFormat(QImage::Format_Grayscale8), "JPEG")},
        {"BMP, read as RGB32", file_of(colours, "BMP")},
        {"PNG with alpha, read as ARGB32", test_pictures::png(5, 3, qRgba(10, 200, 30, 90))},
        {"indexed PNG with clear and half-clear colours", file_of(indexed, "PNG")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage qt = QImage::fromData(c.file.data(), int(c.file.size())).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(qt.isNull());
        for (const Picture& picture : {StdPicture::from_bytes(c.file), StdPicture::loaded_from(c.file)}) {
            ASSERT_NE(picture, nullptr);
            EXPECT_EQ(picture->image().format(), QImage::Format_ARGB32);
            EXPECT_EQ(picture->image(), qt);
        }
        EXPECT_EQ(StdPicture::from_bytes(c.file)->bytes(), c.file);
        EXPECT_TRUE(StdPicture::loaded_from(c.file)->bytes().empty());
    }
}

// A large JPEG's pixels live as long as any copy of its image, and a cut one decodes as far
// as Qt's own reader takes it.
TEST(Picture, ALargeJpegsPixelsOutliveThePictureAndACutOneDecodesAsQtDoes)
{
    QImage photo(700, 500, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x * 3) % 256, (y * 5) % 256, (x + y) % 256));
    const std::vector<uint8_t> file = file_of(photo, "JPEG");
    const std::vector<uint8_t> cut(file.begin(), file.begin() + std::ptrdiff_t(file.size() / 2));
    for (const std::vector<uint8_t>* bytes : {&file, &cut}) {
        SCOPED_TRACE(bytes == &file ? "whole" : "cut");
        const QImage qt = QImage::fromData(bytes->data(), int(bytes->size())).convertToFormat(QImage::Format_ARGB32);
        Picture picture = StdPicture::loaded_from(*bytes);
        ASSERT_EQ(picture != nullptr, !qt.isNull());
        if (!picture)
            continue;
        const QImage kept = picture->image();
        picture.reset();
        EXPECT_EQ(kept.format(), QImage::Format_ARGB32);
        EXPECT_EQ(kept, qt);
    }
}

TEST(Picture, BytesThatAreNoPictureGiveNone)
{
    for (const std::vector<uint8_t>& bad : {std::vector<uint8_t> {}, std::vector<uint8_t>(100, 0x41),
                                            std::vector<uint8_t> {0, 0, 1, 0, 9, 0}, std::vector<uint8_t> {0xFF, 0xD8}})
        EXPECT_EQ(decode(bad), nullptr);
    // Pictures of formats outside the loader's six, though Qt reads them.
    for (const char* format : {"PPM", "XPM", "XBM"}) {
        SCOPED_TRACE(format);
        EXPECT_EQ(decode(saved(4, 4, QImage::Format_RGB32, format)), nullptr);
    }
}

TEST(Picture, AnIconShowsItsThirtyTwoPixelImageAndAnAreaTheNearestOne)
{
    Picture icon = decode(test_pictures::multi_image_icon()); // 16, 32 and 48 pixels
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->kind(), StdPicture::Kind::Icon);
    EXPECT_EQ(icon->pixel_width(), 32);
    EXPECT_EQ(icon->image_for(48, 48).width(), 48);
    EXPECT_EQ(icon->image_for(20, 20).width(), 16);
}

TEST(Picture, NoFileDecodesToMorePixelsThanTheCap)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        int width; // 0: no picture
    };
    const Case cases[] = {
        {"GIF screen at the cap", gif_on_screen(4096, 4096), 4096},
        {"GIF screen a column over", gif_on_screen(4097, 4096), 0},
        {"GIF screen of one long row over", gif_on_screen(65535, 257), 0},
        {"PNG over", saved(4097, 4096, QImage::Format_Grayscale8, "PNG"), 0},
        {"JPEG over", saved(4096, 4097, QImage::Format_Grayscale8, "JPEG"), 0},
        {"BMP over", saved(8192, 4096, QImage::Format_Mono, "BMP"), 0},
        {"PNG image of an icon over", test_pictures::png_icon(saved(4097, 4096, QImage::Format_Grayscale8, "PNG")), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture picture = decode(c.file);
        EXPECT_EQ(picture ? picture->pixel_width() : 0, c.width);
    }
}

TEST(Picture, AJpegOfMoreScansThanTheCapIsNoPicture)
{
    EXPECT_NE(decode(jpeg_of_scans(10)), nullptr);
    EXPECT_NE(decode(jpeg_of_scans(100)), nullptr);
    EXPECT_EQ(decode(jpeg_of_scans(101)), nullptr);
}

TEST(Picture, OfAnIconOnlyTheImagesNearestTheShownSizeAreDecoded)
{
    // Thousands of entries that all point at one image decode it once.
    const auto repeated = test_pictures::repeated_entry_icon(4000, 256);
    const Picture one = decode(repeated);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->image_count(), 1u);
    EXPECT_EQ(one->pixel_width(), 256);

    // Forty sizes, 1 to 40 pixels: the eight nearest 32 are kept, 28 to 35.
    std::vector<test_pictures::IcoImage> sizes;
    for (int size = 1; size <= 40; ++size)
        sizes.push_back({size, qRgba(0, size, 0, 255)});
    const Picture many = decode(test_pictures::ico(1, sizes));
    ASSERT_NE(many, nullptr);
    EXPECT_EQ(many->image_count(), ICON_IMAGE_CAP);
    EXPECT_EQ(many->pixel_width(), 32);
    EXPECT_EQ(many->image_for(1, 1).width(), 28);
    EXPECT_EQ(many->image_for(100, 100).width(), 35);
}

TEST(Picture, ACursorKeepsItsHotSpot)
{
    Picture cursor = decode(test_pictures::hand_cursor());
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->kind(), StdPicture::Kind::Cursor);
    EXPECT_EQ(cursor->hot_spot(), (POINT {10, 3}));
}

TEST(Picture, PaintingBlendsAlphaAndClipsAnywhere)
{
    Picture picture = decode(test_pictures::png(4, 4, qRgba(255, 0, 0, 255))); // pixel (0, 0) clear
    Surface surface(3, 3, 0x00FF00);
    paint_picture(surface, *picture, 0, 0);
    EXPECT_EQ(surface.pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(surface.pixel(1, 1), 0x0000FFu);
    paint_picture(surface, *picture, INT32_MIN, INT32_MAX);
    paint_picture(surface, *picture, INT32_MAX, -3);
    EXPECT_EQ(surface.pixel(2, 2), 0x0000FFu);
}

} // namespace
