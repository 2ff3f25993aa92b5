#pragma once
// The windows while a download holds their thread. The handler that fetches still runs to
// its end before anything else of the program: meanwhile the windows repaint what is exposed
// and answer the window manager, and the pointer shows the busy cursor over them. Input waits
// in the window system's queue in the order it came, timers wait until the transfer is over,
// and the run time's deferred work, like any handler that something else would raise, waits
// until the handler that fetched has returned. A drop onto a window meanwhile is refused: it
// cannot wait.

#include <QObject>

#include <functional>

namespace platform::forms {

// Puts the windows' side into the downloads of the application's thread; the forms run time
// does it, and doing it again changes nothing.
void keep_windows_alive_in_downloads();
// True while a transfer of the application's thread is under way.
bool downloading();
// Runs `work` from the event loop, after the handler now running has returned, in the order
// posted; never inside a download, whose handler it waits for. Nothing runs once `context`
// has gone.
void after_handler(QObject* context, std::function<void()> work);
// `work` at once, or, while a transfer is under way, after the handler that fetched.
void outside_downloads(QObject* context, std::function<void()> work);

} // namespace platform::forms
