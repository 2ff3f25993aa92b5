// The twelve shapes at sizes whose halves round the two ways (27 up, 33 and 81 down):
// the picture and the window region as Windows gives them for the renderers' calls.

#include "tests/button/button_fixture.h"

#include "tests/button/shape_fixture.h"
#include "tests/support/gdi_script.h"

#include <ostream>
#include <string>
#include <vector>

namespace button_test {

namespace {

struct Case {
    int size;
    LONG shape;
};

const char* const shape_names[] = {"rectangle",      "rounded_rectangle", "ellipse",     "diamond",
                                   "triangle_up",    "triangle_left",     "triangle_right", "triangle_down",
                                   "arrow_up",       "arrow_left",        "arrow_right", "arrow_down"};

void PrintTo(const Case& c, std::ostream* out) { *out << shape_names[c.shape] << " at " << c.size; }

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (int size : {27, 33, 81})
        for (LONG shape = button::ShapeRectangle; shape <= button::ShapeArrowDown; ++shape)
            all.push_back({size, shape});
    return all;
}

class ShapeAtSize : public ButtonTest, public ::testing::WithParamInterface<Case> {};

// Style 1 idle with the focus (tests/gdi/fixtures/shape-twelve-SIZE): the outline,
// the shadow and highlight lines and the dotted focus outline on the face.
TEST_P(ShapeAtSize, MatchesWindowsPixelForPixel)
{
    const Case& c = GetParam();
    const std::string fixture = "shape-twelve-" + std::to_string(c.size);
    const auto dumps = fixture_blocks(fixture);
    const auto masks = fixture_blocks(fixture, "mask");
    ASSERT_EQ(dumps.size(), 12u) << fixture;
    ASSERT_EQ(masks.size(), 11u) << fixture;

    make(c.size, c.size);
    b.let_Caption("");
    b.let_ButtonShape(c.shape);
    focus();
    ASSERT_EQ(width(), c.size);
    ASSERT_EQ(height(), c.size);

    const std::string want = dotted(dumps[size_t(c.shape)], c.shape == button::ShapeDiamond);
    const std::string got = test_support::dump_surface(b.UserControl.surface());
    EXPECT_TRUE(want == got) << test_support::describe_difference(want, got);

    const Region* region = window_region(b.UserControl.hWnd());
    if (c.shape == button::ShapeRectangle) {
        EXPECT_EQ(region, nullptr) << "the rectangle takes the window region away";
        return;
    }
    ASSERT_NE(region, nullptr);
    const std::string want_mask = masks[size_t(c.shape - 1)];
    const std::string got_mask = test_support::dump_mask(*region, c.size, c.size);
    EXPECT_TRUE(want_mask == got_mask) << test_support::describe_difference(want_mask, got_mask);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ShapeAtSize, ::testing::ValuesIn(cases()), [](const auto& info) {
    return std::string(shape_names[info.param.shape]) + "_" + std::to_string(info.param.size);
});

} // namespace

} // namespace button_test
