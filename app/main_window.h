#pragma once
// Form1: the main window: the site box, the result pictures, the buttons and the menus.

#include "app/tooltip_ex.h"
#include "platform/forms/forms.h"

#include <memory>
#include <string>

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
    void ShowFirstRunNotice();
    void AttachTips();
    std::string SettingsSection() const;

    platform::forms::Form& Me;
    // The balloon tips: made only on a run that starts with the first-run flag set, kept until the window goes.
    std::unique_ptr<cToolTipEx> TT;
};

} // namespace app
