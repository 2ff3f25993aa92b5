#include "app/search_window.h"

#include "app/cregister.h"
#include "app/probas.h"

#include <string>

namespace app {

using platform::forms::Form;

namespace {

// The engine box's design text, which asks for a choice.
constexpr const char* no_engine = "Поисковик";

// Each label as in the engine box's list; the search address is the prefix box's text,
// the word, then the suffix box's text where the engine has one.
struct Engine {
    const char* label;
    const char* prefix;
    const char* suffix;
};

constexpr Engine engines[] = {
    {"Яндекс", "Text2", "Text3"},
    {"Google", "Text4", nullptr},
    {"Rambler", "Text6", "Text7"},
    {"Апорт", "Text8", nullptr},
    {"Yahoo!", "Text5", "Text9"},
    {"TUT.BY", "Text10", nullptr},
};

} // namespace

SearchWindow::SearchWindow(Form& form) : Me(form)
{
    form.on("Form_Load", [this] { Form_Load(); });
    form.on_unload([this](int16_t& Cancel) { Form_Unload(Cancel); });
    form.on("ww1_Click", [this] { ww1_Click(); });
}

void SearchWindow::Form_Load()
{
    LoadEngine();
}

void SearchWindow::Form_Unload(int16_t& /*Cancel*/)
{
    SaveEngine();
}

// The box's text is compared exactly: no trimming, letter case counting. Whatever it
// holds is saved, a choice or not.
void SearchWindow::ww1_Click()
{
    const std::string engine = Me.combo("Combo1").Text();
    if (engine == no_engine) {
        Me.forms().MsgBox("Пожалуйста выберите поисковик для поиска.", platform::forms::vbCritical, "Поиск");
    } else {
        for (const Engine& e : engines) {
            if (engine != e.label)
                continue;
            const std::string word = Me.text("Text1").Text();
            OpenURL(Me, Me.text(e.prefix).Text() + word + (e.suffix ? Me.text(e.suffix).Text() : std::string()));
            break;
        }
    }
    SaveEngine();
}

// A value that cannot be read, or is stored empty, leaves the box as it is.
void SearchWindow::LoadEngine()
{
    CRegister reg;
    auto& box = Me.combo("Combo1");
    box.set_Text(reg.REGGetSetting(platform::HKEY_LOCAL_MACHINE, section(), "Poisk", box.Text()));
}

void SearchWindow::SaveEngine()
{
    CRegister reg;
    reg.REGSaveSetting(platform::HKEY_LOCAL_MACHINE, section(), "Poisk", Me.combo("Combo1").Text());
}

std::string SearchWindow::section() const
{
    return "\\Software\\" + Me.forms().app.Title + "\\Settings";
}

} // namespace app
