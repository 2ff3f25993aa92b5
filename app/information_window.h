#pragma once
// Form4: the information window.

#include "platform/forms/forms.h"

namespace app {

class InformationWindow final : public platform::forms::FormCode {
public:
    explicit InformationWindow(platform::forms::Form& form);

private:
    platform::forms::Form& Me;
};

} // namespace app
