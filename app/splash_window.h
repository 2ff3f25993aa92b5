#pragma once
// Form8: the splash window shown at start; its timer hands over to the main window.

#include "platform/forms/forms.h"

namespace app {

class SplashWindow final : public platform::forms::FormCode {
public:
    explicit SplashWindow(platform::forms::Form& form);

    void Form_Load();
    void Timer1_Timer();

private:
    platform::forms::Form& Me;
    bool m_handing_over = false;
};

} // namespace app
