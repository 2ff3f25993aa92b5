// Form1's two settings, the first-run notice and the balloon tips.

#include "app/cregister.h"
#include "app/main_window.h"
#include "button/ww.h"

namespace app {

using platform::HKEY_LOCAL_MACHINE;
using platform::HWND;

namespace {

constexpr const char* first_run_notice = "Это ваш первый запуск программы Velmora.\r\n"
                                         "Пожалуйста подключите интернет и начните работу с нажатия на кнопку УЗНАТЬ.";
constexpr const char* first_run_title = "Первый запуск";

// Balloons with the information icon in the title, at most 100 pixels wide, after 500 ms, for 10 s.
constexpr int32_t tip_style = int32_t(platform::TTS_BALLOON);
constexpr int32_t tip_icon = int32_t(platform::TTI_INFO);
constexpr int32_t tip_width = 100;
constexpr int32_t tip_delay = 500;
constexpr int32_t tip_visible_time = 10000;
constexpr int32_t tip_own_colour = -1;

struct ButtonTip {
    const char* button;
    const char* text;
};

// In the order they are attached, after the site box's; ww2 has none.
constexpr ButtonTip button_tips[] = {
    {"ww4", "IP Юзербары для подписей на форумах"},
    {"ww5", "О программе Velmora"},
    {"ww6", "Выход из программы"},
    {"ww1", "Узнать индекс цитирования Яндекса и PageRank"},
    {"ww8", "IP кнопки для подписей на форумах и установки на сайтах"},
    {"ww7", "Зайти на сайт"},
    {"ww9", "Поиск в поисковиках"},
    {"ww3", "Смотреть скриншот сайта"},
};

constexpr const char* site_tip = "Вставте адрес сайта без http://";

} // namespace

std::string MainWindow::SettingsSection() const
{
    return "\\Software\\" + Me.forms().app.Title + "\\Settings";
}

// A value that cannot be read leaves its box as it is.
void MainWindow::LoadSettings()
{
    CRegister reg;
    auto& flag = Me.text("Text39");
    flag.set_Text(reg.REGGetSetting(HKEY_LOCAL_MACHINE, SettingsSection(), "Entry", flag.Text()));
    auto& site = Me.text("Text1");
    site.set_Text(reg.REGGetSetting(HKEY_LOCAL_MACHINE, SettingsSection(), "Site", site.Text()));
}

// What the boxes hold now is what is kept; a write that fails is not told.
void MainWindow::SaveSettings()
{
    CRegister reg;
    reg.REGSaveSetting(HKEY_LOCAL_MACHINE, SettingsSection(), "Entry", Me.text("Text39").Text());
    reg.REGSaveSetting(HKEY_LOCAL_MACHINE, SettingsSection(), "Site", Me.text("Text1").Text());
}

void MainWindow::ShowFirstRunNotice()
{
    Me.forms().MsgBox(first_run_notice, platform::forms::vbInformation | platform::forms::vbMsgBoxSetForeground,
                      first_run_title);
}

void MainWindow::AttachTips()
{
    const HWND form = Me.hWnd();
    if (!TT)
        TT = std::make_unique<cToolTipEx>(Me.forms().app.hInstance);
    TT->CreateToolTip(form, tip_style, tip_icon, Me.forms().app.Title, tip_width, tip_delay, tip_visible_time,
                      tip_own_colour, tip_own_colour);
    TT->AddToolTip(Me.text("Text1").hWnd(), site_tip, 0);
    for (const ButtonTip& tip : button_tips)
        TT->AddToolTip(HWND(Me.custom<button::ww>(tip.button).hWnd()), tip.text, 0);
}

} // namespace app
