#pragma once
// Form6: the IP-button code window, the userbar-code window's code over its own definition.

#include "app/userbar_window.h"

namespace app {

class IpButtonWindow final : public LinkCodeWindow {
public:
    explicit IpButtonWindow(platform::forms::Form& form) : LinkCodeWindow(form, "Form5") {}
};

} // namespace app
