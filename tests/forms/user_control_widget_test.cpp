// A button on its host widget in a window, driven through Qt's own input paths.

#include "tests/forms/hosted_button.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

#include <string>
#include <vector>

namespace {

using namespace hosted_button;

QRgb rgb(QRgb pixel)
{
    return pixel & 0xFFFFFF;
}

class ShownButton : public HostedButton {
protected:
    QImage screen() { return window.screen()->grabWindow(window.winId()).toImage(); }
    QRgb on_screen(int x, int y) { return rgb(screen().pixel(origin + QPoint(x, y))); }
    std::vector<std::string> log;
};

TEST_F(ShownButton, ATransparentButtonShowsItsContainerWhereNothingIsDrawn)
{
    struct Case {
        const char* name;
        std::vector<int> fills; // ButtonStyleColors, the last one shown
        QRgb background;        // at a spot of the face that nothing draws on
        int width = 80;
    };
    const QRgb face = 0xD4D0C8;
    const std::vector<Case> cases = {
        {"transparent from the first paint", {0}, container},
        {"opaque, then transparent", {1, 0}, container},
        {"transparent, then opaque", {0, 1}, face},
        {"transparent, wider than it was shown before", {0}, container, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        b.UserControl.set_Width(float(c.width * twips_per_pixel));
        for (int fill : c.fills) {
            b.let_ButtonStyleColors(fill);
            show();
        }
        EXPECT_EQ(on_screen(10, 12), c.background);
        EXPECT_EQ(on_screen(c.width - 10, 5), c.background);
        EXPECT_NE(on_screen(0, 12), container) << "the outline stays";
        window.hide();
    }
}

TEST_F(ShownButton, TheHandShowsOverAHoveredButtonAndGoesWhenThePointerLeaves)
{
    b.let_HandPointer(true);
    show();
    move_to(-20, 10);
    EXPECT_EQ(shown_cursor(), std::nullopt);
    move_to(10, 10);
    EXPECT_EQ(shown_cursor(), Qt::PointingHandCursor);
    move_to(50, 20); // moves inside keep it
    EXPECT_EQ(shown_cursor(), Qt::PointingHandCursor);
    move_to(100, 10); // the move that leaves
    settle();
    EXPECT_EQ(shown_cursor(), std::nullopt);
}

TEST_F(ShownButton, AFocusedHandButtonShowsTheHandUntilThePointerMoves)
{
    show();
    widget->setFocus();
    settle();
    b.let_HandPointer(true); // its paint sets the hand, wherever the pointer is
    EXPECT_EQ(shown_cursor(), Qt::PointingHandCursor);
    move_to(-20, 10);
    EXPECT_EQ(shown_cursor(), std::nullopt);
}

TEST_F(ShownButton, AShapedButtonKeepsItsHoverUntilThePointerLeavesItsBox)
{
    b.let_ButtonShape(button::ShapeEllipse); // 80 x 80, round
    show();
    ASSERT_FALSE(widget->mask().contains(QPoint(2, 2)));
    struct Step {
        QPoint at;
        bool hover;
    };
    const std::vector<Step> steps = {
        {{40, 40}, true},  // the middle
        {{2, 2}, true},    // a corner, off the shape but in the box
        {{80, 80}, true},  // the far corner counts as in
        {{2, 78}, true},
        {{81, 40}, false}, // out
    };
    for (const Step& step : steps) {
        move_to(step.at.x(), step.at.y());
        EXPECT_EQ(b.mouse_over(), std::optional<bool>(step.hover)) << step.at.x() << "," << step.at.y();
    }
    EXPECT_EQ(GetCapture(), 0u);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    // Off the shape without the capture, the pointer is the container's again.
    move_to(2, 2);
    EXPECT_EQ(b.mouse_over(), std::optional<bool>(false));
}

TEST_F(ShownButton, WhileItHoldsTheCaptureTheButtonGetsThePointerEverywhere)
{
    b.events.MouseMove = [this](int16_t&, int16_t&, float& x, float& y) {
        log.push_back("MouseMove " + std::to_string(int(x)) + "," + std::to_string(int(y)));
    };
    b.events.MouseUp = [this](int16_t&, int16_t&, float&, float&) { log.push_back("MouseUp"); };
    b.events.Click = [this] { log.push_back("Click"); };
    show();
    move_to(10, 10);
    EXPECT_EQ(GetCapture(), b.UserControl.hWnd());
    EXPECT_EQ(QWidget::mouseGrabber(), widget);
    // Held down and dragged off: the move that leaves is the button's, the rest are not.
    press_at(10, 10);
    move_to(-30, 10);
    move_to(-40, 10);
    release_at(-40, 10);
    EXPECT_EQ(log, (std::vector<std::string> {"MouseMove 10,10", "MouseMove -30,10"}));
    EXPECT_FALSE(b.is_down());
}

TEST_F(ShownButton, ThePointerLeavingTheWindowsWithoutAMoveStillEndsTheHover)
{
    show();
    move_to(40, 10);
    ASSERT_EQ(b.mouse_over(), std::optional<bool>(true));
    // Where the window system keeps no grab, no move comes from outside the program's
    // windows: only the window's leave.
    QCursor::setPos(window.mapToGlobal(QPoint(-50, -50)));
    settle();
    EXPECT_EQ(b.mouse_over(), std::optional<bool>(false));
    EXPECT_EQ(GetCapture(), 0u);
}

TEST_F(ShownButton, AModalWindowTakesTheCaptureAway)
{
    show();
    move_to(10, 10);
    ASSERT_EQ(GetCapture(), b.UserControl.hWnd());
    QDialog dialog(&window);
    dialog.setModal(true);
    dialog.show();
    EXPECT_EQ(GetCapture(), 0u);
    EXPECT_NE(QWidget::mouseGrabber(), widget);
}

TEST_F(ShownButton, DisablingOrHidingTheButtonLetsTheCaptureGo)
{
    for (bool disable : {true, false}) {
        SCOPED_TRACE(disable ? "disabled" : "hidden");
        show();
        move_to(10, 10);
        ASSERT_EQ(QWidget::mouseGrabber(), widget);
        if (disable)
            b.let_Enabled(false);
        else
            widget->hide();
        EXPECT_EQ(GetCapture(), 0u);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
        b.let_Enabled(true);
        widget->show();
        move_to(-20, -20);
    }
}

} // namespace
