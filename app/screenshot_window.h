#pragma once
// Form3: the screenshot window: a small picture of the site; a click on it opens the site.

#include "platform/forms/forms.h"

namespace app {

class ScreenshotWindow final : public platform::forms::FormCode {
public:
    explicit ScreenshotWindow(platform::forms::Form& form);

    void Image1_Click();

private:
    platform::forms::Form& Me;
};

} // namespace app
