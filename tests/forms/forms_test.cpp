#include "platform/forms/forms.h"

#include "platform/errors.h"
#include "platform/forms/form_widget.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace platform;
using namespace platform::forms;

constexpr const char* window_text = R"(
form Main
    Caption = "Main"
    ClientWidth = 3000
    ClientHeight = 2000
    textbox Text1
        Left = 120
        Top = 120
        Width = 2000
        Height = 300
        Text = "start"
    end
    textbox Text2
        Left = 120
        Top = 600
        Width = 2000
        Height = 900
        MultiLine = true
        ScrollBars = 2
    end
    label Label1
        Caption = "label"
    end
    option Option1
        Caption = "one"
        Value = true
    end
    option Option2
        Caption = "two"
    end
    timer Timer1
        Interval = 0
    end
    menu file
        Caption = "File"
        menu open
            Caption = "Open"
        end
        menu sep1
            Caption = "-"
        end
        menu quit
            Caption = "Quit"
        end
    end
end
)";

// A window's code that logs every handler it has.
class LoggingCode final : public FormCode {
public:
    LoggingCode(Form& form, std::vector<std::string>& log) : m_log(log)
    {
        for (const char* name : {"Form_Load", "Text1_Change", "Text1_Click", "Option1_Click", "Option2_Click",
                                 "Timer1_Timer", "open_Click", "quit_Click"})
            form.on(name, [this, name] { m_log.push_back(name); });
        form.on_unload([this](int16_t& cancel) {
            m_log.push_back("Form_Unload");
            cancel = cancel_next;
        });
    }
    static inline int16_t cancel_next = 0;

private:
    std::vector<std::string>& m_log;
};

class FormsTest : public ::testing::Test {
protected:
    FormsTest()
    {
        LoggingCode::cancel_next = 0;
        forms.add("Main", parse_window_definition(window_text),
                  [this](Form& form) { return std::make_unique<LoggingCode>(form, log); });
        forms.add("Other", parse_window_definition("form Other\nend\n"), nullptr);
    }
    Forms forms;
    std::vector<std::string> log;
};

TEST_F(FormsTest, AControlReadLoadsTheWindowOnceAndRunsItsLoad)
{
    EXPECT_FALSE(forms.is_loaded("Main"));
    EXPECT_EQ(forms["Main"].text("Text1").Text(), "start");
    EXPECT_TRUE(forms.is_loaded("Main"));
    EXPECT_FALSE(forms["Main"].Visible());
    forms["Main"].label("Label1");
    EXPECT_EQ(log, std::vector<std::string> {"Form_Load"});
}

TEST_F(FormsTest, UnloadThenUseReloadsFromTheDefinition)
{
    forms["Main"].text("Text1").set_Text("changed");
    log.clear();
    EXPECT_TRUE(forms["Main"].Unload());
    EXPECT_FALSE(forms.is_loaded("Main"));
    EXPECT_EQ(forms["Main"].text("Text1").Text(), "start");
    EXPECT_EQ(log, (std::vector<std::string> {"Form_Unload", "Form_Load"}));
    forms.collect();
}

TEST_F(FormsTest, AWindowReadsItsDefinitionOnlyWhenItLoads)
{
    int reads = 0;
    forms.add("Lazy", Forms::DefinitionSource([&reads] {
                  ++reads;
                  return parse_window_definition("form Lazy\n    label Label1\n        Caption = \"read\"\n    end\nend\n");
              }),
              nullptr);
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(forms["Lazy"].label("Label1").Caption(), "read");
    forms["Lazy"].label("Label1");
    EXPECT_EQ(reads, 1);
    ASSERT_TRUE(forms["Lazy"].Unload());
    forms["Lazy"];
    EXPECT_EQ(reads, 2);
    forms.collect();

    forms.add("Unreadable", Forms::DefinitionSource([]() -> WindowDefinition { throw DefinitionError("damaged"); }),
              nullptr);
    EXPECT_THROW(forms["Unreadable"], DefinitionError);
    EXPECT_FALSE(forms.is_loaded("Unreadable"));
}

TEST_F(FormsTest, UnloadCanBeCancelled)
{
    forms["Main"].Show();
    LoggingCode::cancel_next = 1;
    EXPECT_FALSE(forms["Main"].Unload());
    EXPECT_TRUE(forms.is_loaded("Main"));
    EXPECT_TRUE(forms["Main"].Visible());
}

TEST_F(FormsTest, AssigningTextRaisesChange)
{
    auto& box = forms["Main"].text("Text1");
    log.clear();
    box.set_Text("other");
    box.set_Text("");
    EXPECT_EQ(log, (std::vector<std::string> {"Text1_Change", "Text1_Change"}));
}

TEST_F(FormsTest, SelTextInsertsAtTheCaretOrReplacesTheSelection)
{
    auto& box = forms["Main"].text("Text1");
    box.set_Text("abcdef");
    box.set_SelStart(2);
    box.set_SelText("XY");
    EXPECT_EQ(box.Text(), "abXYcdef");
    EXPECT_EQ(box.SelStart(), 4); // the caret follows the new text
    box.set_SelStart(0);
    box.set_SelLength(3);
    EXPECT_EQ(box.SelText(), "abX");
    box.set_SelText("Ж");
    EXPECT_EQ(box.Text(), "ЖYcdef");

    auto& memo = forms["Main"].text("Text2");
    memo.set_SelText("line\r\r\n");
    memo.set_SelText("next");
    EXPECT_NE(memo.Text().find("next"), std::string::npos);
    EXPECT_EQ(memo.Text().find("line"), 0u);
}

TEST_F(FormsTest, SelectionPastTheEndStopsAtTheEnd)
{
    auto& box = forms["Main"].text("Text1");
    box.set_Text("Сайт");
    box.set_SelStart(0);
    box.set_SelLength(100);
    EXPECT_EQ(box.SelLength(), 4); // characters, not bytes
    box.set_SelStart(99);
    EXPECT_EQ(box.SelStart(), 4);
}

TEST_F(FormsTest, OptionButtonsOfAWindowAreOneGroup)
{
    Form& main = forms["Main"];
    EXPECT_TRUE(main.option("Option1").Value());
    log.clear();
    main.option("Option2").set_Value(true);
    EXPECT_FALSE(main.option("Option1").Value());
    EXPECT_EQ(log, std::vector<std::string> {"Option2_Click"});
}

// A left click in the middle of a widget, as the user makes it.
void click_on(QWidget* widget)
{
    const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

TEST_F(FormsTest, EveryUserClickOnAnOptionCountsOnce)
{
    Form& main = forms["Main"];
    main.Show();
    log.clear();
    click_on(main.option("Option2").widget());
    click_on(main.option("Option2").widget()); // already chosen: still a click
    click_on(main.option("Option1").widget());
    EXPECT_EQ(log, (std::vector<std::string> {"Option2_Click", "Option2_Click", "Option1_Click"}));
}

TEST_F(FormsTest, MenusTimersAndClicksReachTheirHandlersByName)
{
    Form& main = forms["Main"];
    log.clear();
    main.menu("open").click();
    main.timer("Timer1").tick();
    EXPECT_TRUE(main.menu("sep1").is_separator());
    EXPECT_EQ(main.menu("quit").Caption(), "Quit");
    EXPECT_EQ(log, (std::vector<std::string> {"open_Click", "Timer1_Timer"}));
}

TEST_F(FormsTest, UnknownNamesAreRunTimeErrors)
{
    EXPECT_THROW(forms["Nowhere"], RuntimeError);
    EXPECT_THROW(forms["Main"].text("Label1"), RuntimeError);
    EXPECT_THROW(forms["Main"].label("Nothing"), RuntimeError);
}

TEST_F(FormsTest, MessageBoxesGoThroughTheHookWithTheirFlags)
{
    std::vector<std::tuple<std::string, int, std::string>> shown;
    forms.set_message_box_hook([&](const std::string& prompt, int flags, const std::string& title) {
        shown.emplace_back(prompt, flags, title);
        return 1;
    });
    forms.MsgBox("Введите адрес сайта", vbCritical, "");
    forms.MsgBox("help", vbQuestion | vbMsgBoxSetForeground, "Помощь");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(std::get<1>(shown[0]), vbCritical);
    EXPECT_EQ(std::get<2>(shown[0]), "Velmora"); // the application's title by default
    EXPECT_EQ(std::get<1>(shown[1]), vbQuestion | vbMsgBoxSetForeground);
}

TEST_F(FormsTest, MessageBoxFlagsChooseTheIcon)
{
    struct Row {
        int flags;
        QMessageBox::Icon icon;
    };
    const Row rows[] = {
        {vbCritical, QMessageBox::Critical},
        {vbQuestion | vbMsgBoxSetForeground, QMessageBox::Question},
        {vbInformation | vbMsgBoxSetForeground, QMessageBox::Information},
        {0, QMessageBox::NoIcon},
    };
    for (const auto& row : rows) {
        QMessageBox::Icon seen = QMessageBox::NoIcon;
        QString title;
        // Answer the modal box from inside its own loop, as a user would.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen = box->icon();
                title = box->windowTitle();
                box->accept();
            }
        });
        answer.start(10);
        forms.MsgBox("prompt", row.flags, "Заголовок");
        EXPECT_EQ(seen, row.icon) << row.flags;
        EXPECT_EQ(title, QString::fromUtf8("Заголовок"));
    }
}

TEST_F(FormsTest, WhenTheMainWindowGoesEveryWindowGoesAndNoneComesBack)
{
    bool ended = false;
    forms.set_main("Main");
    forms.set_on_main_unloaded([&] { ended = true; });
    forms["Other"].Show();
    forms["Main"].Show();
    forms["Main"].Unload();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(forms.is_loaded("Other"));
    forms["Main"].Show();
    EXPECT_FALSE(forms.is_loaded("Main"));
    QApplication::processEvents();
}

TEST_F(FormsTest, ABadDefinitionIsReportedNotShown)
{
    forms.add("Broken", parse_window_definition("form Broken\n  gadget G1\n  end\nend\n"), nullptr);
    EXPECT_THROW(forms["Broken"], DefinitionError);
}

} // namespace
