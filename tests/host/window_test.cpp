#include "platform/host/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace platform;

TEST(Cursor, OnlyALoadedCursorOrNoneChangesTheShape)
{
    std::vector<HCURSOR> shown;
    set_cursor_sink([&](HCURSOR cursor) { shown.push_back(cursor); });
    const HCURSOR hand = LoadCursorA(0, IDC_HAND);
    ASSERT_NE(hand, 0u);
    SetCursor(hand);
    EXPECT_EQ(SetCursor(hand + 1), 0u) << "not a cursor handle";
    EXPECT_EQ(current_cursor(), hand);
    EXPECT_EQ(SetCursor(0), hand); // no cursor: the shape goes
    EXPECT_EQ(shown, (std::vector<HCURSOR> {hand, 0}));
    set_cursor_sink(nullptr);
}

} // namespace
