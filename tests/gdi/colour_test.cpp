#include "platform/gdi/colour.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

struct Translation {
    OLE_COLOR in;
    int32_t result;
    COLORREF out; // what lands in the target; 0xDEADBEEF = left untouched
};

TEST(Colour, OleTranslateColorResolvesSystemColoursAndPassesDirectOnes)
{
    const Translation table[] = {
        {0x00123456, S_OK, 0x00123456},
        {0x00000000, S_OK, 0x00000000},
        {0x00FFFFFF, S_OK, 0x00FFFFFF},
        {COLOR_BTNFACE, S_OK, RGB(212, 208, 200)},
        {COLOR_BTNSHADOW, S_OK, RGB(128, 128, 128)},
        {COLOR_3DHIGHLIGHT, S_OK, RGB(255, 255, 255)},
        {COLOR_3DDKSHADOW, S_OK, RGB(64, 64, 64)},
        {COLOR_DESKTOP, S_OK, RGB(58, 110, 165)},
        // Unknown references fail and leave the target alone.
        {0x800000FF, E_INVALIDARG, 0xDEADBEEF},
        {0x80010005, E_INVALIDARG, 0xDEADBEEF},
        {0x40000005, E_INVALIDARG, 0xDEADBEEF},
        {0xFFFFFFFF, E_INVALIDARG, 0xDEADBEEF},
    };
    for (const auto& row : table) {
        COLORREF out = 0xDEADBEEF;
        EXPECT_EQ(OleTranslateColor(row.in, nullptr, &out), row.result) << std::hex << row.in;
        EXPECT_EQ(out, row.out) << std::hex << row.in;
    }
}

TEST(Colour, ResolveFallsBackToTheValueItself)
{
    EXPECT_EQ(resolve_colour(COLOR_BTNSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(resolve_colour(0x800000FF), 0x800000FFu);
    EXPECT_EQ(OleTranslateColor(COLOR_BTNFACE, nullptr, nullptr), S_OK);
}

} // namespace
