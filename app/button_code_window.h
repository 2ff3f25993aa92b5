#pragma once
// Form2: the button-code window.

#include "platform/forms/forms.h"

namespace app {

class ButtonCodeWindow final : public platform::forms::FormCode {
public:
    explicit ButtonCodeWindow(platform::forms::Form& form);

private:
    platform::forms::Form& Me;
};

} // namespace app
