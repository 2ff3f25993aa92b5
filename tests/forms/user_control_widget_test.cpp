// A button on its host widget in a window, driven through Qt's own input paths.

#include "tests/forms/hosted_button.h"

#include "platform/forms/cursor_shape.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <functional>
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

// A download's busy cursor and the shape SetCursor sets share the screen: the busy one goes
// over the other while it lasts, whichever came first, and nothing of either stays after.
TEST_F(ShownButton, TheBusyCursorGoesOverTheSetShapeAndLeavesIt)
{
    show();
    const HCURSOR hand = LoadCursorA(0, IDC_HAND);
    for (bool hand_first : {true, false}) {
        SCOPED_TRACE(hand_first ? "the hand, then busy" : "busy, then the hand");
        if (hand_first)
            SetCursor(hand);
        forms::show_busy_cursor(true);
        if (!hand_first)
            SetCursor(hand);
        EXPECT_EQ(shown_cursor(), Qt::WaitCursor);
        forms::show_busy_cursor(false);
        EXPECT_EQ(shown_cursor(), Qt::PointingHandCursor);
        move_to(hand_first ? -20 : -30, 10); // no capture: the next move hands the screen back
        settle();
        EXPECT_EQ(shown_cursor(), std::nullopt);
    }
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
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "the hover grabs no pointer";
    // Held down and dragged off: the move that leaves is the button's, the rest are not.
    press_at(10, 10);
    move_to(-30, 10);
    move_to(-40, 10);
    release_at(-40, 10);
    EXPECT_EQ(log, (std::vector<std::string> {"MouseMove 10,10", "MouseMove -30,10"}));
    EXPECT_FALSE(b.is_down());
}

// Where the pointer goes after the button, with nothing held: another widget of the same
// window or another window of the program. Either way the button sees the pointer leave, and
// a press that comes without a move first still reaches what is under the pointer.
TEST_F(ShownButton, APressElsewhereReachesWhatIsUnderThePointerAndEndsTheHover)
{
    struct Target : QWidget {
        using QWidget::QWidget;
        std::vector<QPoint> presses;
        void mousePressEvent(QMouseEvent* event) override { presses.push_back(event->position().toPoint()); }
    };
    Target neighbour(&window); // in the button's window, below it
    neighbour.setGeometry(40, 100, 80, 25);
    Target other; // a window of its own
    other.setGeometry(window.geometry().translated(0, window.height() + 40));
    struct Case {
        const char* name;
        Target& target;
    };
    for (const Case& c : {Case {"a neighbour", neighbour}, Case {"another window", other}}) {
        SCOPED_TRACE(c.name);
        log.clear();
        b.events.MouseMove = [this](int16_t&, int16_t&, float&, float&) { log.push_back("MouseMove"); };
        show();
        other.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
        move_to(10, 10);
        ASSERT_EQ(b.mouse_over(), std::optional<bool>(true));
        // A tap: the press lands at once, where the pointer never moved before.
        const QPoint at(20, 12);
        QCursor::setPos(c.target.mapToGlobal(at));
        QTest::mousePress(c.target.window()->windowHandle(), Qt::LeftButton, {}, c.target.mapTo(c.target.window(), at));
        EXPECT_EQ(c.target.presses, std::vector<QPoint> {at});
        EXPECT_EQ(b.mouse_over(), std::optional<bool>(false));
        EXPECT_EQ(GetCapture(), 0u);
        EXPECT_EQ(log, (std::vector<std::string> {"MouseMove", "MouseMove"})) << "the move in and the move out";
        QTest::mouseRelease(c.target.window()->windowHandle(), Qt::LeftButton, {}, c.target.mapTo(c.target.window(), at));
        b.events.MouseMove = nullptr;
        other.hide();
    }
}

// The focus events the host raises, in order.
struct FocusLog final : UserControlHandlers {
    std::vector<std::string> events;
    void UserControl_GotFocus() override { events.push_back("GotFocus"); }
    void UserControl_LostFocus() override { events.push_back("LostFocus"); }
};

// A menu takes Qt's keyboard focus while it is open; the control keeps it all the same, and
// loses it only when the focus goes on to another control.
TEST_F(ShownButton, AMenuLeavesTheFocusWithTheButton)
{
    FocusLog focus;
    b.UserControl.set_handlers(&focus);
    QMenuBar bar(&window);
    QMenu* file = bar.addMenu("Файл");
    QAction* to_box = file->addAction("to the box");
    QLineEdit box(&window);
    box.setGeometry(40, 100, 80, 20);
    QMenu context;
    context.addAction("one");
    QObject::connect(to_box, &QAction::triggered, &box, [&box] { box.setFocus(); });
    show();
    const auto open_bar_menu = [&] {
        QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.actionGeometry(file->menuAction()).center());
        return file;
    };
    const auto open_context = [&] {
        context.popup(window.mapToGlobal(QPoint(60, 60)));
        return &context;
    };
    struct Case {
        const char* name;
        std::function<QMenu*()> open;
        std::function<void(QMenu*)> close;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"the bar's menu, left with Escape twice", open_bar_menu,
         [&bar](QMenu* menu) {
             QTest::keyClick(menu, Qt::Key_Escape); // back to the bar, in keyboard mode
             QTest::keyClick(&bar, Qt::Key_Escape);
         },
         {}},
        {"a context menu, closed with Escape", open_context,
         [](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); }, {}},
        {"a context menu, closed by code", open_context, [](QMenu* menu) { menu->hide(); }, {}},
        {"the bar's menu, whose command moves the focus on", open_bar_menu,
         [to_box](QMenu* menu) {
             to_box->trigger();
             menu->hide();
         },
         {"LostFocus"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        widget->setFocus();
        settle();
        focus.events.clear();
        QMenu* menu = c.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        settle();
        c.close(menu);
        settle();
        EXPECT_EQ(focus.events, c.expected);
        EXPECT_EQ(QApplication::focusWidget() == widget, c.expected.empty());
    }
    // A real move between the window's controls still counts.
    widget->setFocus();
    settle();
    focus.events.clear();
    box.setFocus();
    widget->setFocus();
    EXPECT_EQ(focus.events, (std::vector<std::string> {"LostFocus", "GotFocus"}));
    b.UserControl.set_handlers(&b);
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
        ASSERT_EQ(GetCapture(), b.UserControl.hWnd());
        if (disable)
            b.let_Enabled(false);
        else
            widget->hide();
        EXPECT_EQ(GetCapture(), 0u);
        b.let_Enabled(true);
        widget->show();
        move_to(-20, -20);
    }
}

} // namespace
