#include "tests/button/button_fixture.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace button_test {

// Records the events the control raises, in order.
class InputTest : public ButtonTest {
protected:
    InputTest()
    {
        make(80, 25);
        b.events.Click = [this] { log.push_back("Click"); };
        b.events.MouseDown = [this](int16_t& bt, int16_t& sh, float& x, float& y) {
            log.push_back("MouseDown " + std::to_string(bt) + std::to_string(sh) + std::to_string(int(x)) +
                          std::to_string(int(y)));
        };
        b.events.MouseUp = [this](int16_t&, int16_t&, float&, float&) { log.push_back("MouseUp"); };
        b.events.MouseMove = [this](int16_t&, int16_t&, float&, float&) { log.push_back("MouseMove"); };
        b.events.KeyDown = [this](int16_t& code, int16_t&) { log.push_back("KeyDown " + std::to_string(code)); };
        b.events.KeyUp = [this](int16_t& code, int16_t&) { log.push_back("KeyUp " + std::to_string(code)); };
    }
    int paints() const { return b.UserControl.refresh_count(); }
    std::vector<std::string> log;
};

TEST_F(InputTest, PushButtonClickSequence)
{
    mouse_down();
    EXPECT_TRUE(b.is_down());
    mouse_up();
    EXPECT_FALSE(b.is_down());
    EXPECT_EQ(GetCapture(), b.UserControl.hWnd()); // taken back on release
    click();
    EXPECT_FALSE(b.get_Value());
    EXPECT_EQ(log, (std::vector<std::string> {"MouseDown 1000", "MouseUp", "Click"}));
}

TEST_F(InputTest, ToggleButtonFlipsItsValueAndStaysDrawnPressedUntilReleased)
{
    b.let_ButtonType(button::ToggleButton);
    // On: the release's repaint presses it again, and the click reads that.
    mouse_down();
    mouse_up();
    click();
    EXPECT_TRUE(b.get_Value());
    EXPECT_TRUE(b.is_down());
    // Off: the value goes False but the paint had already left it pressed.
    mouse_down();
    mouse_up();
    EXPECT_TRUE(b.is_down());
    click();
    EXPECT_FALSE(b.get_Value());
    EXPECT_TRUE(b.is_down());
    // Only the next release lets it up.
    mouse_up();
    EXPECT_FALSE(b.is_down());
    // The click stores the value directly.
    EXPECT_EQ(b.UserControl.changed_properties(), std::vector<std::string> {"ButtonType"});
}

TEST_F(InputTest, SpaceReleasesButEnterPressesAgainWithAZeroMouseDown)
{
    key_down(32);
    EXPECT_TRUE(b.is_down());
    key_up(32);
    EXPECT_FALSE(b.is_down());

    key_down(13);
    log.clear();
    const int before = paints();
    key_up(13);
    EXPECT_TRUE(b.is_down());
    EXPECT_EQ(paints(), before + 2);
    EXPECT_EQ(log, (std::vector<std::string> {"MouseDown 0000", "KeyUp 13"}));
}

TEST_F(InputTest, OtherKeysPassThroughAndAnyReleaseLetsAPressedButtonUp)
{
    const int before = paints();
    key_down(65);
    EXPECT_FALSE(b.is_down());
    EXPECT_EQ(paints(), before);
    mouse_down();
    key_up(16); // Shift
    EXPECT_FALSE(b.is_down());
    EXPECT_EQ(log.back(), "KeyUp 16");
}

TEST_F(InputTest, HoverBoundsAreInclusiveAndTheFirstOutsideMoveChangesNothing)
{
    const int before = paints();
    move_to(-1, 5);
    EXPECT_FALSE(b.mouse_over().has_value());
    EXPECT_EQ(paints(), before);
    EXPECT_EQ(log, std::vector<std::string> {"MouseMove"});

    move_to(80, 25); // px = W, py = H
    EXPECT_EQ(b.mouse_over(), std::optional<bool>(true));
    EXPECT_EQ(paints(), before + 1);
    EXPECT_EQ(GetCapture(), b.UserControl.hWnd());

    move_to(81, 25);
    EXPECT_EQ(b.mouse_over(), std::optional<bool>(false));
    EXPECT_EQ(GetCapture(), 0u);
}

TEST_F(InputTest, LeavingAPressedButtonLetsItUp)
{
    move_to(10, 10);
    mouse_down();
    move_to(200, 10);
    EXPECT_FALSE(b.is_down());
    EXPECT_EQ(GetCapture(), 0u);
}

TEST_F(InputTest, DesignerMovesDoNothingButOtherInputWorks)
{
    b.UserControl.Ambient.UserMode = false;
    const int before = paints();
    move_to(10, 10);
    EXPECT_FALSE(b.mouse_over().has_value());
    EXPECT_EQ(paints(), before);
    EXPECT_TRUE(log.empty());
    mouse_down();
    EXPECT_TRUE(b.is_down());
    key_down(65);
    EXPECT_EQ(log.back(), "KeyDown 65");
}

TEST_F(InputTest, DoubleClickPressesUntilTheNextRelease)
{
    b.UserControl.raise_DblClick();
    EXPECT_TRUE(b.is_down());
    mouse_up();
    EXPECT_FALSE(b.is_down());
}

TEST_F(InputTest, FocusChangesRepaintWithoutEvents)
{
    const int before = paints();
    focus();
    EXPECT_TRUE(b.has_focus());
    b.UserControl.raise_LostFocus();
    EXPECT_FALSE(b.has_focus());
    EXPECT_EQ(paints(), before + 2);
    EXPECT_TRUE(log.empty());
}

TEST_F(InputTest, ArgumentsPassByReferenceToTheContainerAndBack)
{
    b.events.KeyDown = [](int16_t& code, int16_t& shift) {
        code = 0;
        shift = 7;
    };
    b.events.OLEGiveFeedback = [](int32_t& effect, bool& defaults) {
        effect = 3;
        defaults = false;
    };
    int16_t code = 13, shift = 0;
    b.UserControl.raise_KeyDown(code, shift);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(shift, 7);
    int32_t effect = 0;
    bool defaults = true;
    b.UserControl_OLEGiveFeedback(effect, defaults);
    EXPECT_EQ(effect, 3);
    EXPECT_FALSE(defaults);
}

TEST_F(InputTest, ADisabledButtonGetsNoInput)
{
    b.let_Enabled(false);
    mouse_down();
    click();
    EXPECT_FALSE(b.is_down());
    EXPECT_TRUE(log.empty());
}

// A container's handler runs inside the raising handler, after its repaint: it must see
// the new state on the surface already.
TEST_F(InputTest, EveryHandlerRepaintsBeforeItRaises)
{
    constexpr COLORREF idle = 0x000011, hover = 0x001100, down = 0x110000;
    // What a handler saw: its event, the face colour and how many paints had finished.
    auto seen_as = [](const std::string& event, COLORREF face, int paints) {
        char text[64];
        std::snprintf(text, sizeof text, "%s saw %06x after %d paints", event.c_str(), face, paints);
        return std::string(text);
    };
    std::vector<std::string> seen;
    auto record = [&](const char* event) { seen.push_back(seen_as(event, pixel(40, 12), paints())); };
    b.events.Click = [&] { record("Click"); };
    b.events.DblClick = [&] { record("DblClick"); };
    b.events.MouseDown = [&](int16_t&, int16_t&, float&, float&) { record("MouseDown"); };
    b.events.MouseUp = [&](int16_t&, int16_t&, float&, float&) { record("MouseUp"); };
    b.events.MouseMove = [&](int16_t&, int16_t&, float&, float&) { record("MouseMove"); };
    b.events.KeyDown = [&](int16_t&, int16_t&) { record("KeyDown"); };
    b.events.KeyUp = [&](int16_t&, int16_t&) { record("KeyUp"); };

    struct Row {
        const char* what;
        std::function<void()> before, act;
        std::vector<std::pair<const char*, COLORREF>> want;
    };
    const Row rows[] = {
        {"mouse down", [] {}, [&] { mouse_down(); }, {{"MouseDown", down}}},
        {"mouse up", [&] { mouse_down(); }, [&] { mouse_up(); }, {{"MouseUp", idle}}},
        {"toggle click", [&] { b.let_ButtonType(button::ToggleButton); }, [&] { click(); }, {{"Click", down}}},
        {"double click", [] {}, [&] { b.UserControl.raise_DblClick(); }, {{"DblClick", down}}},
        {"space down", [] {}, [&] { key_down(32); }, {{"KeyDown", down}}},
        {"enter down", [] {}, [&] { key_down(13); }, {{"KeyDown", down}}},
        {"space up", [&] { key_down(32); }, [&] { key_up(32); }, {{"KeyUp", idle}}},
        {"enter up", [&] { key_down(13); }, [&] { key_up(13); }, {{"MouseDown", down}, {"KeyUp", down}}},
        {"other key up", [&] { mouse_down(); }, [&] { key_up(16); }, {{"KeyUp", idle}}},
        {"pointer enters", [] {}, [&] { move_to(40, 12); }, {{"MouseMove", hover}}},
        {"pointer leaves", [&] { move_to(40, 12); }, [&] { move_to(-5, -5); }, {{"MouseMove", idle}}},
        {"leaves pressed", [&] { move_to(40, 12); mouse_down(); }, [&] { move_to(-5, -5); }, {{"MouseMove", idle}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        make(80, 25); // a push button again, its value False
        mouse_up();
        move_to(-5, -5);
        b.let_Caption("");
        b.let_ButtonStyle(0);
        b.let_BackColor(idle);
        b.let_BackColorHover(hover);
        b.let_BackColorPressed(down);
        row.before();
        seen.clear();
        row.act();
        std::vector<std::string> want;
        for (const auto& [event, face] : row.want)
            want.push_back(seen_as(event, face, paints()));
        EXPECT_EQ(seen, want);
    }
}

} // namespace button_test
