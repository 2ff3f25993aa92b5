#pragma once
// The widget that shows a custom control's host on screen: it paints the host's image,
// masks itself with the window region, follows the pointer over all the program's windows
// while its window has the capture, and turns Qt's input into the host's events.

#include "platform/host/user_control.h"
#include "platform/host/window.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <map>

namespace platform::forms {

class UserControlWidget final : public QWidget, public UserControlSite, public WindowBackend {
public:
    UserControlWidget(UserControl& host, QWidget* parent);
    ~UserControlWidget() override;

    // UserControlSite
    void image_refreshed() override;
    void size_changed(int width_px, int height_px) override;
    void pointer_changed() override;
    void enabled_changed(bool enabled) override;
    void back_style_changed(int style) override;
    // WindowBackend
    POINT client_origin() const override;
    void region_changed(const Region* region, bool redraw) override;
    void capture_changed(bool captured) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void mouse_event(QMouseEvent* event, int kind);
    void pointer_moved(QPoint global);
    // The capture's move, for a pointer seen at `global` by another of the program's widgets.
    void follow_elsewhere(QPoint global, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    bool holds_capture() const;
    // Over the window's region, where the pointer's events are the window's own.
    bool hit(QPoint local) const;
    void let_capture_go();
    void end_focus_loan();

    UserControl& m_host;
    bool m_pressed_inside = false;
    // While a menu has Qt's focus that is still this control's: the watch for where it goes next.
    QMetaObject::Connection m_focus_lent;
    QPoint m_pointer;                        // where this control last saw the pointer, on screen
    std::map<uint32_t, int16_t> m_keys_down; // X keycode: the code its KeyDown carried
    QImage m_transparent;                    // the image of a transparent control, kept between paints
};

} // namespace platform::forms
