#include "platform/picture.h"

#include "tests/support/picture_files.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

Picture decode(const std::vector<uint8_t>& bytes)
{
    return StdPicture::from_bytes(bytes);
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

TEST(Picture, BytesThatAreNoPictureGiveNone)
{
    for (const std::vector<uint8_t>& bad : {std::vector<uint8_t> {}, std::vector<uint8_t>(100, 0x41),
                                            std::vector<uint8_t> {0, 0, 1, 0, 9, 0}, std::vector<uint8_t> {0xFF, 0xD8}})
        EXPECT_EQ(decode(bad), nullptr);
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
