#pragma once
// The widget that shows a custom control's host on screen: it paints the host's image,
// masks itself with the window region, and turns Qt's input into the host's events.

#include "platform/user_control.h"
#include "platform/window.h"

#include <QWidget>

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
    // WindowBackend
    POINT client_origin() const override;
    void region_changed(const Region* region, bool redraw) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void mouse_event(QMouseEvent* event, int kind);
    void pointer_moved(QPoint global);

    UserControl& m_host;
    bool m_pressed_inside = false;
};

// The virtual key code of a Qt key, as the host events carry it; 0 when there is none.
int16_t key_code_of(int qt_key);

} // namespace platform::forms
