#include "app/program.h"
#include "platform/forms/form_widget.h"
#include "platform/services/shell.h"
#include "tests/services/registry_sandbox.h"
#include "tests/support/recording_opener.h"

#include <QApplication>
#include <QFont>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using platform::forms::Form;
using platform::forms::Forms;
using Strings = std::vector<std::string>;

class InformationWindowTest : public ::testing::Test {
protected:
    InformationWindowTest()
    {
        app::register_program(forms);
        forms.set_message_box_hook([this](const std::string& prompt, int, const std::string&) {
            messages.push_back(prompt);
            return 1;
        });
        platform::set_open_command({opener.script()});
        info().Show();
    }
    ~InformationWindowTest() override
    {
        platform::set_open_command(saved_opener);
        forms.collect();
    }

    Form& info() { return forms["Form4"]; }

    // A left click on the link, as the mouse gives it.
    void click_link()
    {
        QWidget* link = info().label("Label5").widget();
        const QPointF centre(link->width() / 2.0, link->height() / 2.0);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, centre, link->mapToGlobal(centre), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(link, &event);
        }
    }

    test_support::RegistrySandbox registry;
    Strings saved_opener = platform::open_command();
    test::RecordingOpener opener;
    Forms forms;
    std::vector<std::string> messages;
};

TEST_F(InformationWindowTest, EveryClickOnTheLinkOpensTheAuthorsSiteAndTheWindowStays)
{
    for (int i = 0; i < 3; ++i) {
        click_link();
        const auto call = opener.wait_for_call();
        ASSERT_TRUE(call) << "click " << i;
        EXPECT_EQ(call->args, Strings {"http://orlanwerk.example"});
        EXPECT_TRUE(info().Visible());
    }
    EXPECT_FALSE(opener.wait_for_call(300ms)); // one address per click
    EXPECT_TRUE(messages.empty());
}

TEST_F(InformationWindowTest, TheLinkOpensTheBoxTextAtTheClickAsItIs)
{
    const std::string texts[] = {
        "http://other.example/a b?x=1&y=2#top",
        " http://spaced.example/ ",
        "http://сайт.рф",
        "",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE("\"" + text + "\"");
        info().text("Text1").set_Text(text);
        click_link();
        const auto call = opener.wait_for_call();
        ASSERT_TRUE(call);
        EXPECT_EQ(call->args, Strings {text});
    }
}

TEST_F(InformationWindowTest, TheLinkLooksLikeOneAndTheAddressIsOutOfSight)
{
    const auto& link = info().label("Label5");
    EXPECT_EQ(link.Caption(), "ORLANWERK");
    EXPECT_EQ(link.ToolTipText(), "Сайт автора программы..");
    EXPECT_EQ(link.widget()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(link.widget()->font().bold());
    EXPECT_TRUE(link.widget()->font().underline());
    EXPECT_EQ(link.widget()->cursor().shape(), Qt::BitmapCursor); // the hand cursor

    // The address box lies below the 178-pixel client area.
    EXPECT_GE(info().text("Text1").widget()->y(), 178);
}

} // namespace
