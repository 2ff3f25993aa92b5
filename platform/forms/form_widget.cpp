#include "platform/forms/form_widget.h"

#include "platform/forms/classic_palette.h"
#include "platform/forms/menu_bar.h"
#include "platform/forms/taskbar.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>

namespace platform::forms {

namespace {

class ClientArea final : public QWidget {
public:
    explicit ClientArea(QWidget* parent) : QWidget(parent) {}
    QImage background;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (background.isNull())
            return;
        QPainter painter(this);
        painter.drawImage(0, 0, background);
    }
};

} // namespace

FormWidget::FormWidget() : m_client(new ClientArea(this))
{
    m_client->setAutoFillBackground(true);
    // The controls' colours; the menu bar, outside the client area, follows the desktop.
    m_client->setPalette(classic_palette());
}

QMenuBar* FormWidget::menu_bar()
{
    if (!m_menu_bar) {
        m_menu_bar = make_menu_bar(this);
        layout_client();
    }
    return m_menu_bar;
}

void FormWidget::set_client_size(int width, int height)
{
    m_client->resize(width, height);
    layout_client();
}

void FormWidget::layout_client()
{
    const int top = m_menu_bar ? m_menu_bar->sizeHint().height() : 0;
    if (m_menu_bar)
        m_menu_bar->setGeometry(0, 0, m_client->width(), top);
    m_client->move(0, top);
    setFixedSize(m_client->width(), top + m_client->height());
}

void FormWidget::set_background(QImage image)
{
    static_cast<ClientArea*>(m_client)->background = std::move(image);
    m_client->update();
}

void FormWidget::close_without_asking()
{
    m_closing = true;
    close();
    m_closing = false;
}

void FormWidget::closeEvent(QCloseEvent* event)
{
    if (m_closing || !m_close_handler || m_close_handler())
        event->accept();
    else
        event->ignore();
}

bool FormWidget::is_tab_stop(size_t place) const
{
    QWidget* widget = m_tab_order[place];
    if (!widget || widget->focusPolicy() == Qt::NoFocus || !widget->isEnabled() || !widget->isVisibleTo(this))
        return false;
    // A control placed outside the client area, where the user cannot see it, is passed by.
    if (!QRect(widget->mapTo(m_client, QPoint(0, 0)), widget->size()).intersects(m_client->rect()))
        return false;
    // A group of option buttons is one stop: its chosen button, or its first when none is.
    // (Qt's own rule, the button that last had the focus, shows in the buttons' policies.)
    auto* option = qobject_cast<QAbstractButton*>(widget);
    QButtonGroup* group = option ? option->group() : nullptr;
    if (!group)
        return widget->focusPolicy() & Qt::TabFocus;
    if (QAbstractButton* chosen = group->checkedButton())
        return chosen == option;
    for (size_t earlier = 0; earlier < place; ++earlier)
        if (auto* other = qobject_cast<QAbstractButton*>(m_tab_order[earlier].data()); other && other->group() == group)
            return false;
    return true;
}

bool FormWidget::focusNextPrevChild(bool next)
{
    const size_t count = m_tab_order.size();
    if (count == 0)
        return QWidget::focusNextPrevChild(next);
    // Where the focus is now: the control that has it, or holds the widget that has it.
    const QWidget* focused = focusWidget();
    size_t at = count;
    for (size_t place = 0; place < count && focused; ++place)
        if (QWidget* widget = m_tab_order[place]; widget && (widget == focused || widget->isAncestorOf(focused)))
            at = place;
    for (size_t step = 1; step <= count; ++step) {
        // From nowhere, forward starts at the first place and backward at the last.
        const size_t from = at == count ? (next ? count - 1 : 0) : at;
        const size_t place = next ? (from + step) % count : (from + count - step) % count;
        if (is_tab_stop(place)) {
            m_tab_order[place]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void FormWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // Before the window is mapped: the X11 window manager reads the mark and the place then.
    if (!m_shown_in_taskbar)
        keep_out_of_taskbar(*this);
    keep_on_screen();
    m_frame_pending = true;
    if (!focusWidget()) {
        for (size_t place = 0; place < m_tab_order.size(); ++place) {
            if (is_tab_stop(place)) {
                m_tab_order[place]->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
}

bool FormWidget::event(QEvent* event)
{
    // The window manager frames a window once it is mapped: where the frame pushes it past
    // the screen's edge, the window comes further in.
    if (m_frame_pending && (event->type() == QEvent::Paint || event->type() == QEvent::WindowActivate) &&
        windowHandle() && !windowHandle()->frameMargins().isNull()) {
        m_frame_pending = false;
        keep_on_screen();
    }
    return QWidget::event(event);
}

void FormWidget::keep_on_screen()
{
    // The frame as far as it is known: none before the window is first mapped.
    const QRect frame = geometry().marginsAdded(windowHandle() ? windowHandle()->frameMargins() : QMargins());
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // Into the area where it fits; from the area's left or top edge where it does not.
    const auto onto = [](int at, int length, int start, int room) {
        return length > room ? start : std::clamp(at, start, start + room - length);
    };
    const QPoint place(onto(frame.x(), frame.width(), area.x(), area.width()),
                       onto(frame.y(), frame.height(), area.y(), area.height()));
    if (place != frame.topLeft())
        move(place); // a window's position is its frame's
}

} // namespace platform::forms
