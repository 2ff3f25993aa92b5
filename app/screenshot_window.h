#pragma once
// Form3: the screenshot window.

#include "platform/forms/forms.h"

namespace app {

class ScreenshotWindow final : public platform::forms::FormCode {
public:
    explicit ScreenshotWindow(platform::forms::Form& form);

private:
    platform::forms::Form& Me;
};

} // namespace app
