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
        if (m_shown) {
            QGuiApplication::changeOverrideCursor(QCursor(*shape));
        } else {
            QGuiApplication::setOverrideCursor(QCursor(*shape));
            m_shown = true;
        }
    }

    void hand_back()
    {
        if (!m_shown || GetCapture() != 0)
            return;
        QGuiApplication::restoreOverrideCursor();
        m_shown = false;
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

void capture_released()
{
    if (CursorShapes* shapes = instance())
        after_handler(shapes, [shapes] { shapes->hand_back(); });
}

} // namespace platform::forms
