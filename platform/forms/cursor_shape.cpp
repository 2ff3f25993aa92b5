#include "platform/forms/cursor_shape.h"

#include "platform/forms/download_wait.h"
#include "platform/host/window.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>

#include <optional>

namespace platform::forms {

namespace {

std::optional<Qt::CursorShape> shape_of(HCURSOR cursor)
{
    if (cursor == 0)
        return Qt::BlankCursor; // no cursor at all
    switch (cursor_id(cursor)) {
    case IDC_HAND: return Qt::PointingHandCursor;
    case IDC_ARROW: return Qt::ArrowCursor;
    default: return std::nullopt;
    }
}

class CursorShapes final : public QObject {
public:
    explicit CursorShapes(QObject* parent) : QObject(parent)
    {
        qApp->installEventFilter(this);
        set_cursor_sink([this](HCURSOR cursor) { show(cursor); });
    }
    ~CursorShapes() override { set_cursor_sink(nullptr); }

    void show(HCURSOR cursor)
    {
        const std::optional<Qt::CursorShape> shape = shape_of(cursor);
        if (!shape)
            return;
        m_set = shape;
        apply();
    }

    void hand_back()
    {
        if (!m_set || GetCapture() != 0)
            return;
        m_set.reset();
        apply();
    }

    void set_busy(bool busy)
    {
        m_busy = busy;
        apply();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Every pointer move reaches a window first, before any widget in it.
        if (event->type() == QEvent::MouseMove && watched->isWindowType())
            hand_back();
        return false;
    }

private:
    // Qt's override cursors are one stack: this is its only user, with one entry at most.
    void apply()
    {
        const std::optional<Qt::CursorShape> wanted = m_busy ? std::optional(Qt::WaitCursor) : m_set;
        if (wanted && m_shown) {
            QGuiApplication::changeOverrideCursor(QCursor(*wanted));
        } else if (wanted) {
            QGuiApplication::setOverrideCursor(QCursor(*wanted));
            m_shown = true;
        } else if (m_shown) {
            QGuiApplication::restoreOverrideCursor();
            m_shown = false;
        }
    }

    std::optional<Qt::CursorShape> m_set; // what SetCursor put on the screen
    bool m_busy = false;                  // a download is under way: its cursor goes over it
    bool m_shown = false;
};

QPointer<CursorShapes>& instance()
{
    static QPointer<CursorShapes> shapes;
    return shapes;
}

} // namespace

void show_set_cursors()
{
    if (!instance() && qApp)
        instance() = new CursorShapes(qApp);
}

void show_busy_cursor(bool busy)
{
    show_set_cursors();
    if (CursorShapes* shapes = instance())
        shapes->set_busy(busy);
}

void capture_released()
{
    if (CursorShapes* shapes = instance())
        after_handler(shapes, [shapes] { shapes->hand_back(); });
}

} // namespace platform::forms
