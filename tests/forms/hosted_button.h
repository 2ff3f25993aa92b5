#pragma once
// A button on its host widget, in a window of a plain colour, with helpers that drive it
// through Qt's input paths as a user's pointer would.

#include "button/ww.h"
#include "platform/forms/user_control_widget.h"
#include "platform/host/window.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <optional>

namespace hosted_button {

using namespace platform;
using platform::forms::UserControlWidget;

class HostedButton : public ::testing::Test {
protected:
    static constexpr QRgb container = 0x00A000;
    const QPoint origin {40, 40}; // the button's top-left corner in the window

    HostedButton()
    {
        b.UserControl_InitProperties();
        b.UserControl.set_Width(80 * twips_per_pixel);
        b.UserControl.set_Height(25 * twips_per_pixel);
        window.resize(200, 160);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(container));
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        widget = new UserControlWidget(b.UserControl, &window);
        widget->move(origin);
    }
    ~HostedButton() override
    {
        ReleaseCapture();
        if (!handle())
            return;
        QTest::mouseRelease(handle(), Qt::LeftButton, {}, QPoint(1, 1));
        move_to(-origin.x() + 2, -origin.y() + 2); // hands any cursor shape back
    }

    void show()
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        settle();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    QWindow* handle() { return window.windowHandle(); }

    // The pointer at (x, y) of the button's client area.
    void move_to(int x, int y)
    {
        QCursor::setPos(window.mapToGlobal(origin + QPoint(x, y)));
        QTest::mouseMove(handle(), origin + QPoint(x, y));
    }
    void press_at(int x, int y) { QTest::mousePress(handle(), Qt::LeftButton, {}, origin + QPoint(x, y)); }
    void release_at(int x, int y) { QTest::mouseRelease(handle(), Qt::LeftButton, {}, origin + QPoint(x, y)); }

    // The shape SetCursor put on the screen over every window; none when each window's
    // own cursor shows.
    static std::optional<Qt::CursorShape> shown_cursor()
    {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        return cursor ? std::optional(cursor->shape()) : std::nullopt;
    }

    button::ww b {"ww1"};
    QWidget window;
    UserControlWidget* widget = nullptr;
};

} // namespace hosted_button
