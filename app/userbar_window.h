#pragma once
// Form5: the userbar-code window; and the code that it shares with Form6, the IP-button
// code window: picking a picture writes its HTML and BBCODE link to the main window's site.

#include "platform/forms/forms.h"

#include <string>

namespace app {

// A code window of either kind: the two differ only in their definitions and in which
// window their switch button opens.
class LinkCodeWindow : public platform::forms::FormCode {
public:
    void Form_Load();
    // Option1 to Option10 each pick the picture address of the box Text(k + 1).
    void Option_Click(int k);
    void Image11_Click();
    void Image12_Click();
    void Text1_Click();
    void Text12_Click();
    void ww1_Click();

protected:
    LinkCodeWindow(platform::forms::Form& form, std::string other_window);

private:
    platform::forms::Form& Me;
    std::string m_other_window;
};

class UserbarWindow final : public LinkCodeWindow {
public:
    explicit UserbarWindow(platform::forms::Form& form) : LinkCodeWindow(form, "Form6") {}
};

// The help texts of the two help icons.
std::string html_help_text();
std::string bbcode_help_text();

} // namespace app
