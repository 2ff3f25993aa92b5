#include "app/main_window.h"

#include "app/button_code_window.h"
#include "app/command_catalogue.h"
#include "app/site_lookup.h"

#include <QString>

namespace app {

MainWindow::MainWindow(platform::forms::Form& form) : Me(form)
{
    form.on("Form_Load", [this] { Form_Load(); });
    form.on_unload([this](int16_t& Cancel) { Form_Unload(Cancel); });
    form.on("exit_Click", [this] { exit_Click(); });
    form.on("ww6_Click", [this] { ww6_Click(); });
    form.on("Text1_Change", [this] { Text1_Change(); });
    form.on("Text1_Click", [this] { Text1_Click(); });
    bind_command_catalogue(form);
    bind_site_lookup(form);
    bind_get_code(form);
}

void MainWindow::Form_Load()
{
    LoadSettings();
    if (Me.text("Text39").Text() == "")
        ShowFirstRunNotice();
    else
        AttachTips();
}

void MainWindow::Form_Unload(int16_t& /*Cancel*/)
{
    SaveSettings();
}

void MainWindow::exit_Click()
{
    SaveSettings();
    Me.Unload();
}

void MainWindow::ww6_Click()
{
    SaveSettings();
    Me.Unload();
}

void MainWindow::Text1_Change()
{
    Me.set_Caption(Me.text("Text38").Text() + Me.text("Text1").Text());
}

void MainWindow::Text1_Click()
{
    auto& box = Me.text("Text1");
    box.set_SelStart(0);
    box.set_SelLength(int32_t(QString::fromStdString(box.Text()).size()));
}

} // namespace app
