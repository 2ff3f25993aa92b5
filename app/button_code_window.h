#pragma once
// Form2: the button-code window, and the main window's get-code command that fills it.

#include "platform/forms/forms.h"

namespace app {

class ButtonCodeWindow final : public platform::forms::FormCode {
public:
    explicit ButtonCodeWindow(platform::forms::Form& form);

    void Text1_Click();
    void Text2_Click();
    void ww1_Click();
    void ww2_Click();

private:
    platform::forms::Form& Me;
};

// The get-code command: the citation-index and PageRank button code of the main window's
// site, each added at its box's caret in Form2 (loading it, hidden, if need be), then
// Form2 shown.
void get_code(platform::forms::Form& main);

// Binds the get-code command to the main window's button ww2 and menu item codd.
void bind_get_code(platform::forms::Form& main);

// Selects the whole text of a box, ready to copy.
void select_all(platform::forms::TextBox& box);

} // namespace app
