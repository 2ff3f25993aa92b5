#pragma once
// Form4: the information window, with a link label to the author's site.

#include "platform/forms/forms.h"

namespace app {

class InformationWindow final : public platform::forms::FormCode {
public:
    explicit InformationWindow(platform::forms::Form& form);

    void Label5_Click();

private:
    platform::forms::Form& Me;
};

} // namespace app
