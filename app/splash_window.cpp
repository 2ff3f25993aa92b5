#include "app/splash_window.h"

#include <string>

namespace app {

SplashWindow::SplashWindow(platform::forms::Form& form) : Me(form)
{
    form.on("Form_Load", [this] { Form_Load(); });
    form.on("Timer1_Timer", [this] { Timer1_Timer(); });
}

void SplashWindow::Form_Load()
{
    const auto& App = Me.forms().app;
    Me.label("lblVersion")
        .set_Caption("Версия " + std::to_string(App.Major) + "." + std::to_string(App.Minor) + "." +
                     std::to_string(App.Revision));
}

void SplashWindow::Timer1_Timer()
{
    // The main window's load may show a modal notice, during which the timer could tick
    // again: one hand-over only.
    if (m_handing_over)
        return;
    m_handing_over = true;
    Me.timer("Timer1").set_Enabled(false);
    Me.forms()["Form1"].Show();
    Me.Unload();
}

} // namespace app
