#pragma once
// Form6: the IP-button code window.

#include "platform/forms/forms.h"

namespace app {

class IpButtonWindow final : public platform::forms::FormCode {
public:
    explicit IpButtonWindow(platform::forms::Form& form);

private:
    platform::forms::Form& Me;
};

} // namespace app
