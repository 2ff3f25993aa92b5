#include "platform/forms/user_control_widget.h"

#include "platform/colour.h"
#include "platform/forms/tooltip.h"

#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>

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

int16_t shift_of(Qt::KeyboardModifiers modifiers)
{
    int16_t value = 0;
    if (modifiers & Qt::ShiftModifier)
        value |= 1;
    if (modifiers & Qt::ControlModifier)
        value |= 2;
    if (modifiers & Qt::AltModifier)
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

int16_t key_code_of(int qt_key)
{
    if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z)
        return int16_t('A' + (qt_key - Qt::Key_A));
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
        return int16_t('0' + (qt_key - Qt::Key_0));
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24)
        return int16_t(0x70 + (qt_key - Qt::Key_F1));
    switch (qt_key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

UserControlWidget::UserControlWidget(UserControl& host, QWidget* parent) : QWidget(parent), m_host(host)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    host.set_site(this);
    set_window_backend(host.hWnd(), this);
    register_window_widget(host.hWnd(), this);
    resize(host.pixel_width(), host.pixel_height());
    setCursor(cursor_of(host));
}

UserControlWidget::~UserControlWidget()
{
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
    // The host keeps drawing a disabled control; only its input stops.
    setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
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

void UserControlWidget::paintEvent(QPaintEvent*)
{
    const Surface& surface = m_host.surface();
    QImage image(surface.width(), surface.height(), QImage::Format_ARGB32);
    // A transparent control shows its container where the image holds the mask colour.
    const bool transparent = m_host.BackStyle() == 0;
    const COLORREF mask = resolve_colour(m_host.MaskColor());
    for (int y = 0; y < surface.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < surface.width(); ++x) {
            const COLORREF c = surface.pixel(x, y);
            row[x] = transparent && c == mask ? qRgba(0, 0, 0, 0) : qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        }
    }
    QPainter painter(this);
    if (transparent)
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, image);
}

void UserControlWidget::pointer_moved(QPoint global)
{
    SetCursorPos(global.x(), global.y());
}

void UserControlWidget::mouse_event(QMouseEvent* event, int kind)
{
    pointer_moved(event->globalPosition().toPoint());
    int16_t button = kind == Up ? button_of(event->button()) : kind == Down ? button_of(event->button())
                                                                            : button_of(event->buttons());
    int16_t shift = shift_of(event->modifiers());
    float x = float(event->position().x()), y = float(event->position().y());
    QPointer<UserControlWidget> alive(this);
    switch (kind) {
    case Down:
        m_pressed_inside = true;
        m_host.raise_MouseDown(button, shift, x, y);
        break;
    case Up: {
        const bool click = m_pressed_inside && rect().contains(event->position().toPoint());
        m_pressed_inside = false;
        m_host.raise_MouseUp(button, shift, x, y);
        // A handler may have closed the window that holds this control.
        if (alive && click && event->button() == Qt::LeftButton)
            m_host.raise_Click();
        break;
    }
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
    pointer_moved(event->globalPosition().toPoint());
    m_pressed_inside = false;
    m_host.raise_DblClick();
}

void UserControlWidget::mouseMoveEvent(QMouseEvent* event)
{
    mouse_event(event, Move);
}

void UserControlWidget::leaveEvent(QEvent*)
{
    // The move that leaves the control: the pointer is outside now.
    pointer_moved(QCursor::pos());
    const QPoint local = mapFromGlobal(QCursor::pos());
    if (rect().contains(local))
        SetCursorPos(mapToGlobal(QPoint(-1, -1)).x(), mapToGlobal(QPoint(-1, -1)).y());
    int16_t button = 0, shift = 0;
    float x = float(local.x()), y = float(local.y());
    m_host.raise_MouseMove(button, shift, x, y);
}

void UserControlWidget::keyPressEvent(QKeyEvent* event)
{
    int16_t code = key_code_of(event->key());
    int16_t shift = shift_of(event->modifiers());
    if (code == 9) { // Tab moves the focus on
        QWidget::keyPressEvent(event);
        return;
    }
    QPointer<UserControlWidget> alive(this);
    if (code)
        m_host.raise_KeyDown(code, shift);
    const QString text = event->text();
    if (alive && text.size() == 1 && text[0].unicode() < 0x100) {
        int16_t ascii = int16_t(text[0].unicode());
        m_host.raise_KeyPress(ascii);
    }
}

void UserControlWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    int16_t code = key_code_of(event->key());
    int16_t shift = shift_of(event->modifiers());
    if (code)
        m_host.raise_KeyUp(code, shift);
}

void UserControlWidget::focusInEvent(QFocusEvent*)
{
    m_host.raise_GotFocus();
}

void UserControlWidget::focusOutEvent(QFocusEvent*)
{
    m_host.raise_LostFocus();
}

void UserControlWidget::showEvent(QShowEvent*)
{
    m_host.raise_Show();
}

} // namespace platform::forms
