// The forms run time's side of a download on the window's thread: what runs while it waits.

#include "platform/forms/download_wait.h"

#include "platform/forms/cursor_shape.h"
#include "platform/services/http.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <utility>
#include <vector>

namespace platform::forms {

namespace {

// What the event loop does while a transfer waits: the window system's own events (exposes,
// the window manager's pings, maps and moves), the repaints they and the handler asked for,
// and Qt's own posted work. Input stays in its queue, in order; timers and socket
// notifiers wait.
constexpr QEventLoop::ProcessEventsFlags waiting_events {QEventLoop::ExcludeUserInputEvents |
                                                         QEventLoop::X11ExcludeTimers |
                                                         QEventLoop::ExcludeSocketNotifiers};

class DownloadWaits;

QPointer<DownloadWaits>& instance()
{
    static QPointer<DownloadWaits> waits;
    return waits;
}

class DownloadWaits final : public QObject {
public:
    explicit DownloadWaits(QObject* application) : QObject(application)
    {
        // The hooks run on whatever thread fetches; only the application's own has windows.
        QThread* const windows = thread();
        const auto on = [windows](void (DownloadWaits::*step)()) {
            return [windows, step] {
                if (QThread::currentThread() == windows)
                    if (DownloadWaits* waits = instance())
                        (waits->*step)();
            };
        };
        set_http_wait_hooks({on(&DownloadWaits::begin), on(&DownloadWaits::turn), on(&DownloadWaits::end)});
    }
    ~DownloadWaits() override { set_http_wait_hooks({}); }

    bool under_way() const { return m_transfers > 0; }

    void hold(QPointer<QObject> context, std::function<void()> work)
    {
        m_held.emplace_back(std::move(context), std::move(work));
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    void begin()
    {
        if (m_transfers++ > 0)
            return;
        QCoreApplication::instance()->installEventFilter(this);
        if (!std::exchange(m_busy_cursor, true))
            show_busy_cursor(true);
        // The cursor, and what the handler changed before it fetched, show at once.
        turn();
    }

    void turn()
    {
        if (m_transfers == 0 || m_turning)
            return;
        m_turning = true;
        QCoreApplication::processEvents(waiting_events);
        m_turning = false;
    }

    void end()
    {
        if (m_transfers == 0 || --m_transfers > 0)
            return;
        QCoreApplication::instance()->removeEventFilter(this);
        for (auto& [context, work] : std::exchange(m_held, {}))
            if (context)
                after_handler(context, std::move(work));
        // The busy cursor stays over the gaps between a handler's downloads.
        after_handler(this, [this] {
            if (std::exchange(m_busy_cursor, false))
                show_busy_cursor(false);
        });
    }

    int m_transfers = 0;
    bool m_turning = false;
    bool m_busy_cursor = false;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_held;
};

} // namespace

void keep_windows_alive_in_downloads()
{
    if (!instance() && QCoreApplication::instance())
        instance() = new DownloadWaits(QCoreApplication::instance());
}

bool downloading()
{
    DownloadWaits* waits = instance();
    return waits && waits->under_way();
}

void after_handler(QObject* context, std::function<void()> work)
{
    QTimer::singleShot(0, context, [context = QPointer<QObject>(context), work = std::move(work)]() mutable {
        if (DownloadWaits* waits = instance(); waits && waits->under_way()) {
            waits->hold(context, std::move(work));
            return;
        }
        work();
    });
}

void outside_downloads(QObject* context, std::function<void()> work)
{
    if (downloading())
        after_handler(context, std::move(work));
    else
        work();
}

} // namespace platform::forms
