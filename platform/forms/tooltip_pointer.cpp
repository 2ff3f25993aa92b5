// A tip window following the pointer over its tools: the delays, showing, putting away.
#include "platform/forms/tooltip_window.h"

#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>

#include <algorithm>

namespace platform::tooltip_detail {

void TipWindow::watch(QWidget* widget)
{
    const bool watched_already =
        std::any_of(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.watched == widget; });
    if (watched_already)
        return;
    widget->installEventFilter(this);
    widget->setMouseTracking(true); // the tool window's every move, as a subclass sees them
    connect(widget, &QObject::destroyed, this, [this, widget] {
        QWidget* now = current_widget();
        if (m_current && (!now || now == widget))
            pointer_left();
    });
}

bool TipWindow::may_show(const Tool& tool) const
{
    const QWidget* widget = tool.watched.data();
    if (!widget || !widget->isVisible() || !widget->isEnabled() || tool.callback || tool.text.empty())
        return false;
    return (m_style & TTS_ALWAYSTIP) || widget->window()->isActiveWindow();
}

bool TipWindow::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        if (auto* enter = dynamic_cast<QEnterEvent*>(event))
            pointer_at(widget, enter->position().toPoint(), enter->globalPosition().toPoint());
        else
            pointer_at(widget, widget->mapFromGlobal(QCursor::pos()), QCursor::pos());
        break;
    case QEvent::MouseMove: {
        auto* move = static_cast<QMouseEvent*>(event);
        pointer_at(widget, move->position().toPoint(), move->globalPosition().toPoint());
        break;
    }
    case QEvent::Leave:
    case QEvent::Hide:
        if (current_widget() == widget)
            pointer_left();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click puts the tip away until the pointer comes back.
        if (current_widget() == widget)
            pop();
        break;
    default:
        break;
    }
    return false;
}

void TipWindow::pointer_at(QWidget* widget, QPoint local, QPoint global)
{
    m_pointer = global;
    const Tool* tool = tool_at(widget, local);
    if (!tool) {
        if (current_widget() == widget)
            pointer_left();
        return;
    }
    const std::pair key {tool->hwnd, tool->id};
    if (m_current == key) {
        if (m_hover == Hover::Waiting)
            m_wait.start(); // the pointer has to rest for the whole delay
        return;
    }
    // Moving on from a tip that was just shown brings the next one sooner.
    const bool reshow = m_hover == Hover::Shown || (m_since_shown.isValid() && m_since_shown.elapsed() < m_initial);
    hide_tip();
    m_current = key;
    m_hover = Hover::Waiting;
    m_wait.start(reshow ? m_reshow : m_initial);
}

void TipWindow::pointer_left()
{
    if (m_hover == Hover::Shown)
        m_since_shown.start();
    m_wait.stop();
    hide_tip();
    m_current.reset();
    m_hover = Hover::Idle;
}

void TipWindow::pop()
{
    m_wait.stop();
    hide_tip();
    if (m_current)
        m_hover = Hover::Done;
}

void TipWindow::initial_delay_over()
{
    // Not now: the next move over the tool starts the delay again.
    if (const Tool* tool = current(); tool && may_show(*tool))
        show_tip(*tool);
}

void TipWindow::show_tip(const Tool& tool)
{
    m_shown_text = tool.text;
    m_anchor = m_pointer;
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != m_topmost)
        setWindowFlag(Qt::WindowStaysOnTopHint, m_topmost);
    place();
    show();
    m_hover = Hover::Shown;
    m_since_shown.invalidate();
    m_visible.start(m_autopop);
}

void TipWindow::hide_tip()
{
    m_visible.stop();
    hide();
}

} // namespace platform::tooltip_detail
