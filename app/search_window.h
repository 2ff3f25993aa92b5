#pragma once
// Form7: the search window.

#include "platform/forms/forms.h"

namespace app {

class SearchWindow final : public platform::forms::FormCode {
public:
    explicit SearchWindow(platform::forms::Form& form);

private:
    platform::forms::Form& Me;
};

} // namespace app
