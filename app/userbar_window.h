#pragma once
// Form5: the userbar-code window.

#include "platform/forms/forms.h"

namespace app {

class UserbarWindow final : public platform::forms::FormCode {
public:
    explicit UserbarWindow(platform::forms::Form& form);

private:
    platform::forms::Form& Me;
};

} // namespace app
