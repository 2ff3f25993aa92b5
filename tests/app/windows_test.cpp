#include "app/main_window.h"
#include "app/program.h"
#include "button/ww.h"
#include "platform/forms/form_widget.h"
#include "tests/services/registry_sandbox.h"

#include <QApplication>
#include <QString>
#include <gtest/gtest.h>

namespace {

using platform::forms::Form;
using platform::forms::Forms;

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest()
    {
        app::register_program(forms);
        forms.set_message_box_hook([this](const std::string& prompt, int, const std::string&) {
            messages.push_back(prompt);
            return 1;
        });
        forms.set_on_main_unloaded([this] { ended = true; });
    }
    ~ProgramTest() override
    {
        forms.collect();
    }
    test_support::RegistrySandbox registry; // the main window reads and writes settings
    Forms forms;
    std::vector<std::string> messages;
    bool ended = false;
};

TEST_F(ProgramTest, EveryWindowLoadsFromItsDefinition)
{
    for (const char* name : {"Form8", "Form1", "Form2", "Form3", "Form4", "Form5", "Form6", "Form7"}) {
        EXPECT_NO_THROW(forms[name]) << name;
        EXPECT_TRUE(forms.is_loaded(name)) << name;
    }
}

TEST_F(ProgramTest, SplashShowsTheVersionAndHandsOverOnce)
{
    Form& splash = forms["Form8"];
    splash.Show();
    EXPECT_EQ(splash.label("lblVersion").Caption(), "Версия 2.0.0");
    EXPECT_FALSE(forms.is_loaded("Form1"));
    splash.timer("Timer1").tick();
    EXPECT_TRUE(forms["Form1"].Visible());
    EXPECT_FALSE(forms.is_loaded("Form8"));
}

TEST_F(ProgramTest, ASecondTickDuringTheHandOverChangesNothing)
{
    // The main window's load runs a modal box, during which the splash timer ticks again.
    forms.add("Form1", app::embedded_definition("Form1"), [this](Form& form) {
        auto code = std::make_unique<app::MainWindow>(form);
        form.on("Form_Load", [this] { forms.MsgBox("notice", 64, ""); });
        return code;
    });
    int nested_ticks = 0;
    forms.set_message_box_hook([&](const std::string&, int, const std::string&) {
        if (forms.is_loaded("Form8")) {
            ++nested_ticks;
            forms["Form8"].timer("Timer1").tick();
        }
        return 1;
    });
    forms["Form8"].Show();
    forms["Form8"].timer("Timer1").tick();
    EXPECT_EQ(nested_ticks, 1);
    EXPECT_TRUE(forms["Form1"].Visible());
    EXPECT_FALSE(forms.is_loaded("Form8"));
}

TEST_F(ProgramTest, TheCaptionFollowsTheSiteBoxUntrimmed)
{
    Form& main = forms["Form1"];
    for (const std::string site : {"example.org", "", "  два пробела  ", "a&b#c"}) {
        main.text("Text1").set_Text(site);
        EXPECT_EQ(main.Caption(), "Работаем с сайтом: " + site);
    }
}

TEST_F(ProgramTest, AClickInTheSiteBoxSelectsItAll)
{
    Form& main = forms["Form1"];
    main.text("Text1").set_Text("сайт.рф");
    main.text("Text1").set_SelStart(2);
    main.text("Text1").set_SelLength(1);
    main.raise("Text1_Click");
    EXPECT_EQ(main.text("Text1").SelStart(), 0);
    EXPECT_EQ(main.text("Text1").SelLength(), 7); // characters, not bytes
}

TEST_F(ProgramTest, EachWayOutUnloadsTheMainWindowAndEndsTheProgram)
{
    const std::function<void(Form&)> ways[] = {
        [](Form& main) { main.menu("exit").click(); },
        [](Form& main) { main.custom<button::ww>("ww6").UserControl.raise_Click(); },
        [](Form& main) { main.widget()->close(); },
    };
    for (const auto& way_out : ways) {
        Forms run; // a new run of the program
        app::register_program(run);
        run.set_message_box_hook([](const std::string&, int, const std::string&) { return 1; });
        bool run_ended = false;
        run.set_on_main_unloaded([&] { run_ended = true; });
        run["Form1"].Show();
        run["Form2"].Hide(); // a hidden window does not keep the program alive
        way_out(run["Form1"]);
        EXPECT_TRUE(run_ended);
        EXPECT_FALSE(run.is_loaded("Form1"));
        EXPECT_FALSE(run.is_loaded("Form2"));
        run["Form2"].Show(); // nothing brings a window back
        EXPECT_FALSE(run.is_loaded("Form2"));
        run.collect();
    }
}

// The buttons read their saved sets from the definitions.
TEST_F(ProgramTest, ButtonsTakeTheirSavedSets)
{
    struct Row {
        const char* form;
        const char* name;
        int width, height; // pixels
        const char* caption;
        bool enabled;
        bool glyph;
        int16_t weight;
    };
    const Row rows[] = {
        {"Form1", "ww1", 161, 25, "Узнать", true, false, 700},
        {"Form1", "ww2", 150, 25, "Получить код", false, false, 700},
        {"Form1", "ww3", 161, 25, "Скриншот сайта", true, false, 700},
        {"Form1", "ww4", 25, 25, "", true, true, 400},
        {"Form1", "ww9", 33, 25, "", true, true, 400},
        {"Form2", "ww1", 25, 25, "", true, true, 400},
        {"Form5", "ww1", 25, 25, "", true, true, 400},
        {"Form6", "ww1", 25, 25, "", true, true, 400},
        {"Form7", "ww1", 41, 65, "OK", true, false, 700},
    };
    for (const auto& row : rows) {
        auto& b = forms[row.form].custom<button::ww>(row.name);
        const std::string where = std::string(row.form) + "." + row.name;
        EXPECT_EQ(b.UserControl.pixel_width(), row.width) << where;
        EXPECT_EQ(b.UserControl.pixel_height(), row.height) << where;
        EXPECT_EQ(b.get_Caption(), row.caption) << where;
        EXPECT_EQ(b.get_Enabled(), row.enabled) << where;
        EXPECT_EQ(b.get_Picture() != nullptr, row.glyph) << where;
        EXPECT_EQ(b.get_ButtonStyle(), 7) << where;
        EXPECT_EQ(b.get_Font()->name, "Tahoma") << where;
        EXPECT_EQ(b.get_Font()->weight, row.weight) << where;
        EXPECT_EQ(b.get_MousePointer(), 99) << where;
        ASSERT_NE(b.get_MouseIcon(), nullptr) << where;
        EXPECT_EQ(b.get_BorderColor(), row.enabled ? 0x8F8F8Eu : 0xB5B2ADu) << where;
        EXPECT_EQ(forms[row.form].user_control(row.name).hWnd(), platform::HWND(b.hWnd())) << where; // one window
    }
}

} // namespace
