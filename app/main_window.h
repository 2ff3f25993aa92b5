#pragma once
// Form1: the main window: the site box, the result pictures, the buttons and the menus.

#include "platform/forms/forms.h"

namespace app {

class MainWindow final : public platform::forms::FormCode {
public:
    explicit MainWindow(platform::forms::Form& form);

    void Form_Load();
    void Form_Unload(int16_t& Cancel);
    void exit_Click();
    void ww6_Click();
    void Text1_Change();
    void Text1_Click();

    void LoadSettings();
    void SaveSettings();

private:
    platform::forms::Form& Me;
};

} // namespace app
