#include "platform/forms/user_control_widget.h"

#include "platform/gdi/colour.h"
#include "platform/forms/cursor_shape.h"
#include "platform/forms/download_wait.h"
#include "platform/forms/tooltip.h"
#include "platform/forms/virtual_keys.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>

#include <algorithm>
#include <span>

namespace platform::forms {

namespace {

enum { Down, Up, Move };

int16_t button_of(Qt::MouseButtons buttons)
{
    int16_t value = 0;
    if (buttons & Qt::LeftButton)
        value |= 1;
    if (buttons & Qt::RightButton)
        value |= 2;
    if (buttons & Qt::MiddleButton)
        value |= 4;
    return value;
}

QCursor cursor_of(const UserControl& host)
{
    const Picture& icon = host.MouseIcon();
    if (host.MousePointer() == 99 && icon) {
        const POINT hot = icon->hot_spot();
        return QCursor(QPixmap::fromImage(icon->image()), int(hot.x), int(hot.y));
    }
    return QCursor(Qt::ArrowCursor);
}

} // namespace

UserControlWidget::UserControlWidget(UserControl& host, QWidget* parent) : QWidget(parent), m_host(host)
{
    show_set_cursors();
    setMouseTracking(true);
    // The control read its properties before it had a widget: a disabled one takes no focus.
    enabled_changed(host.Enabled());
    back_style_changed(host.BackStyle());
    host.set_site(this);
    set_window_backend(host.hWnd(), this);
    register_window_widget(host.hWnd(), this);
    resize(host.pixel_width(), host.pixel_height());
    setCursor(cursor_of(host));
}

UserControlWidget::~UserControlWidget()
{
    let_capture_go();
    qApp->removeEventFilter(this); // also when the window went first, taking its capture along
    set_window_backend(m_host.hWnd(), nullptr);
    m_host.set_site(nullptr);
}

void UserControlWidget::image_refreshed()
{
    update();
}

void UserControlWidget::size_changed(int width_px, int height_px)
{
    resize(width_px, height_px);
}

void UserControlWidget::pointer_changed()
{
    setCursor(cursor_of(m_host));
}

void UserControlWidget::enabled_changed(bool enabled)
{
    // The host keeps drawing a disabled control; only its input stops, and with it the capture.
    setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
    if (!enabled)
        let_capture_go();
}

void UserControlWidget::back_style_changed(int style)
{
    // A transparent control lets its container paint first under it.
    setAttribute(Qt::WA_OpaquePaintEvent, style != 0);
    update();
}

POINT UserControlWidget::client_origin() const
{
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y()};
}

void UserControlWidget::region_changed(const Region* region, bool redraw)
{
    if (region)
        setMask(to_qregion(*region));
    else
        clearMask();
    if (redraw)
        update();
}

void UserControlWidget::capture_changed(bool captured)
{
    // The capture grabs no pointer: a press anywhere must reach what is under it. The moves
    // that other widgets of the program get are passed on here instead; while a mouse button
    // is held, the window system keeps the pointer's events here anyway.
    if (captured) {
        qApp->installEventFilter(this);
        return;
    }
    qApp->removeEventFilter(this);
    capture_released();
}

bool UserControlWidget::holds_capture() const
{
    return GetCapture() == m_host.hWnd();
}

bool UserControlWidget::hit(QPoint local) const
{
    const QRegion region = mask();
    return rect().contains(local) && (region.isEmpty() || region.contains(local));
}

void UserControlWidget::let_capture_go()
{
    if (holds_capture())
        ReleaseCapture();
}

bool UserControlWidget::event(QEvent* event)
{
    // A modal window takes the mouse from the windows it blocks.
    if (event->type() == QEvent::WindowBlocked)
        let_capture_go();
    return QWidget::event(event);
}

bool UserControlWidget::eventFilter(QObject* watched, QEvent* event)
{
    // Widgets only: what reaches a window reaches one of its widgets next.
    if (!watched->isWidgetType() || !holds_capture())
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (watched == this)
            break; // its own, as without the capture
        // A press comes with the move that took the pointer there, before the press itself.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::MouseButtons held = event->type() == QEvent::MouseMove ? mouse->buttons()
                                                                         : mouse->buttons() & ~mouse->button();
        follow_elsewhere(mouse->globalPosition().toPoint(), held, mouse->modifiers());
        break;
    }
    case QEvent::Leave:
        // Where no move follows the pointer (out of this control, which then gets no more of
        // its own, or out of the program's windows) the leave stands in for the move.
        if (watched == this || static_cast<QWidget*>(watched)->isWindow())
            follow_elsewhere(QCursor::pos(), QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers());
        break;
    default:
        break;
    }
    return false;
}

void UserControlWidget::paintEvent(QPaintEvent*)
{
    const Surface& surface = m_host.surface();
    if (surface.width() == 0 || surface.height() == 0)
        return;
    const std::span<const uint32_t> pixels = surface.pixels();
    const QImage opaque(reinterpret_cast<const uchar*>(pixels.data()), surface.width(), surface.height(),
                        qsizetype(surface.width()) * 4, QImage::Format_RGB32);
    QPainter painter(this);
    if (m_host.BackStyle() != 0) {
        painter.drawImage(0, 0, opaque); // a plain copy
        return;
    }
    // A transparent control shows its container where the image holds the mask colour.
    if (m_transparent.size() != opaque.size())
        m_transparent = QImage(opaque.size(), QImage::Format_ARGB32_Premultiplied);
    const uint32_t mask = Surface::stored(resolve_colour(m_host.MaskColor()));
    auto* out = reinterpret_cast<uint32_t*>(m_transparent.bits());
    std::transform(pixels.begin(), pixels.end(), out, [mask](uint32_t p) { return p == mask ? 0u : p; });
    painter.drawImage(0, 0, m_transparent);
}

void UserControlWidget::pointer_moved(QPoint global)
{
    m_pointer = global;
    SetCursorPos(global.x(), global.y());
}

void UserControlWidget::follow_elsewhere(QPoint global, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    // A move that reaches several widgets (a parent after its child), or a press where the
    // pointer was seen already, is one move.
    if (global == m_pointer)
        return;
    const QPoint local = mapFromGlobal(global);
    pointer_moved(global);
    int16_t button = button_of(buttons);
    int16_t shift = shift_bits(modifiers);
    float x = float(local.x()), y = float(local.y());
    m_host.raise_MouseMove(button, shift, x, y);
}

void UserControlWidget::mouse_event(QMouseEvent* event, int kind)
{
    const QPoint local = event->position().toPoint();
    const bool pressed_inside = m_pressed_inside;
    if (kind == Up)
        m_pressed_inside = false;
    // Without the capture a window gets only what happens over it; Qt would also send here
    // what a held button does elsewhere.
    if (!holds_capture() && !hit(local))
        return;
    pointer_moved(event->globalPosition().toPoint());
    int16_t button = button_of(kind == Move ? event->buttons() : event->button());
    int16_t shift = shift_bits(event->modifiers());
    float x = float(event->position().x()), y = float(event->position().y());
    QPointer<UserControlWidget> alive(this);
    switch (kind) {
    case Down:
        m_pressed_inside = true;
        m_host.raise_MouseDown(button, shift, x, y);
        break;
    case Up:
        m_host.raise_MouseUp(button, shift, x, y);
        // A handler may have closed the window that holds this control.
        if (alive && pressed_inside && rect().contains(local) && event->button() == Qt::LeftButton)
            m_host.raise_Click();
        break;
    default:
        m_host.raise_MouseMove(button, shift, x, y);
        break;
    }
}

void UserControlWidget::mousePressEvent(QMouseEvent* event)
{
    mouse_event(event, Down);
}

void UserControlWidget::mouseReleaseEvent(QMouseEvent* event)
{
    mouse_event(event, Up);
}

void UserControlWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click: the host's DblClick, then the release follows.
    if (!holds_capture() && !hit(event->position().toPoint()))
        return;
    pointer_moved(event->globalPosition().toPoint());
    m_pressed_inside = false;
    m_host.raise_DblClick();
}

void UserControlWidget::mouseMoveEvent(QMouseEvent* event)
{
    mouse_event(event, Move);
}

void UserControlWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) { // Tab moves the focus on
        QWidget::keyPressEvent(event);
        return;
    }
    int16_t code = virtual_key(*event);
    int16_t shift = shift_state(*event);
    if (event->nativeScanCode() != 0)
        m_keys_down[event->nativeScanCode()] = code;
    QPointer<UserControlWidget> alive(this);
    m_host.raise_KeyDown(code, shift);
    for (int16_t ascii : key_ascii_codes(*event)) {
        if (!alive)
            return;
        m_host.raise_KeyPress(ascii);
    }
}

void UserControlWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    // A key comes up with the code it went down with, even if its keyboard mapping changed
    // meanwhile (as tools that type by remapping a spare key do).
    int16_t code = virtual_key(*event);
    if (auto it = m_keys_down.find(event->nativeScanCode()); it != m_keys_down.end()) {
        code = it->second;
        m_keys_down.erase(it);
    }
    int16_t shift = shift_state(*event);
    m_host.raise_KeyUp(code, shift);
}

namespace {

// A menu of the bar, a context menu or the bar in keyboard mode: they take Qt's focus, but
// the platform's focus stays with the control.
bool is_menu(const QWidget* widget)
{
    return widget && (qobject_cast<const QMenu*>(widget) || qobject_cast<const QMenuBar*>(widget) ||
                      widget->window()->windowType() == Qt::Popup);
}

bool lent_to_menu(Qt::FocusReason reason)
{
    return reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason;
}

} // namespace

// The window manager moves the focus, and shows a window again, during a download too: the
// control hears of it after the handler that fetched.
void UserControlWidget::focusInEvent(QFocusEvent*)
{
    // Back from a menu: the control never lost the focus.
    if (m_focus_lent) {
        end_focus_loan();
        return;
    }
    outside_downloads(this, [this] { m_host.raise_GotFocus(); });
}

void UserControlWidget::focusOutEvent(QFocusEvent* event)
{
    if (!lent_to_menu(event->reason())) {
        end_focus_loan();
        outside_downloads(this, [this] { m_host.raise_LostFocus(); });
        return;
    }
    // Lost for real only when the focus goes on from the menu to another widget.
    if (!m_focus_lent)
        m_focus_lent = QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now && now != this && !is_menu(now)) {
                end_focus_loan();
                outside_downloads(this, [this] { m_host.raise_LostFocus(); });
            }
        });
}

void UserControlWidget::end_focus_loan()
{
    QObject::disconnect(m_focus_lent);
}

void UserControlWidget::showEvent(QShowEvent*)
{
    outside_downloads(this, [this] { m_host.raise_Show(); });
}

void UserControlWidget::hideEvent(QHideEvent*)
{
    let_capture_go();
}

} // namespace platform::forms
