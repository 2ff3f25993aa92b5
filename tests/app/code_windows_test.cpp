#include "app/program.h"
#include "button/ww.h"
#include "platform/forms/form_widget.h"
#include "tests/services/registry_sandbox.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QString>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::forms::Form;
using platform::forms::Forms;

constexpr const char* line_break = "\r\r\n";

// Site addresses as users type them: plain, none, with its own scheme, with blanks,
// quotes and characters an address would encode, and Cyrillic.
const std::string sites[] = {
    "velmora.example",
    "",
    "http://velmora.example",
    "my \"site\" & co#top?q=1",
    "сайт.рф",
};

struct Message {
    std::string prompt;
    int flags;
    std::string title;
};

// Whether an address is "http://", some host, then exactly `path`: the hosts are
// configuration, the paths are not.
::testing::AssertionResult is_service_address(const std::string& address, const std::string& path)
{
    const std::string scheme = "http://";
    if (!address.starts_with(scheme) || address.size() < scheme.size() + path.size() || !address.ends_with(path))
        return ::testing::AssertionFailure() << '"' << address << "\" is not http://HOST" << path;
    const std::string host = address.substr(scheme.size(), address.size() - scheme.size() - path.size());
    if (host.empty() || host.find_first_of("/?&") != std::string::npos)
        return ::testing::AssertionFailure() << '"' << address << "\" has no plain host before " << path;
    return ::testing::AssertionSuccess();
}

int characters(const std::string& text)
{
    return int(QString::fromStdString(text).size());
}

// What the user does: press and release the left button in the middle of a widget.
void click(QWidget* widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

class CodeWindowsTest : public ::testing::Test {
protected:
    CodeWindowsTest()
    {
        app::register_program(forms);
        forms.set_message_box_hook([this](const std::string& prompt, int flags, const std::string& title) {
            messages.push_back({prompt, flags, title});
            return 1;
        });
        main(); // its own load may show a notice
        messages.clear();
    }
    ~CodeWindowsTest() override { forms.collect(); }

    Form& main() { return forms["Form1"]; }
    void set_site(const std::string& site) { main().text("Text1").set_Text(site); }
    std::string main_text(const char* box) { return main().text(box).Text(); }
    void run_get_code() { main().menu("codd").action()->trigger(); }
    void close(const char* window) { forms[window].widget()->close(); }

    // The citation-index code for the site, piece by piece.
    std::string citation_index_code(const std::string& site)
    {
        return std::string("<a href=\"") + main_text("Text2") + site + "\" target=_blank> <img src=\"" +
               main_text("Text4") + site + "\" border=\"0\"alt=\"Тиц " + "Яндекс" +
               "\" width=\"88\"height=\"31\"></a>";
    }
    std::string page_rank_code(const std::string& site)
    {
        return std::string("<a href=\"") + main_text("Text9") + "\" target=_blank> <img src=\"" + main_text("Text5") +
               site + "\" border=\"0\"alt=\"PageRank\" width=\"80\"height=\"15\"></a>";
    }

    test_support::RegistrySandbox registry;
    Forms forms;
    std::vector<Message> messages;
};

// ---- The button-code window ----

TEST_F(CodeWindowsTest, TheServiceAddressesHaveTheirPaths)
{
    EXPECT_TRUE(is_service_address(main_text("Text2"), "/cy?base=0&host="));
    EXPECT_TRUE(is_service_address(main_text("Text4"), "/cycounter?"));
    EXPECT_TRUE(is_service_address(main_text("Text5"), "/prx.php?s=http://"));
    EXPECT_TRUE(is_service_address(main_text("Text9"), ""));
    EXPECT_EQ(forms["Form2"].label("Label1").Caption(), "Код кнопки ЯНДЕКС:");
}

TEST_F(CodeWindowsTest, EachCodeIsItsPiecesThenThreeLineBreakCharacters)
{
    for (const std::string& site : sites) {
        SCOPED_TRACE("site \"" + site + "\"");
        set_site(site);
        run_get_code();
        Form& codes = forms["Form2"];
        EXPECT_TRUE(codes.Visible());
        EXPECT_EQ(codes.text("Text1").Text(), citation_index_code(site) + line_break);
        EXPECT_EQ(codes.text("Text2").Text(), page_rank_code(site) + line_break);
        close("Form2"); // the next site starts with empty boxes
        EXPECT_FALSE(forms.is_loaded("Form2"));
    }
}

TEST_F(CodeWindowsTest, AnEmptySiteLeavesTheFragmentsTouching)
{
    set_site("");
    run_get_code();
    const std::string citation = forms["Form2"].text("Text1").Text();
    EXPECT_NE(citation.find("/cy?base=0&host=\" target=_blank> <img src=\""), std::string::npos) << citation;
    EXPECT_NE(citation.find("/cycounter?\" border=\"0\"alt=\"Тиц "), std::string::npos) << citation;
    EXPECT_NE(forms["Form2"].text("Text2").Text().find("?s=http://\" border"), std::string::npos);
}

TEST_F(CodeWindowsTest, RunsAccumulateInTheirOrderWithTheCaretAfterTheLast)
{
    set_site("first.example");
    run_get_code();
    set_site("second.example");
    run_get_code();
    auto& box1 = forms["Form2"].text("Text1");
    auto& box2 = forms["Form2"].text("Text2");
    const std::string expected1 =
        citation_index_code("first.example") + line_break + citation_index_code("second.example") + line_break;
    EXPECT_EQ(box1.Text(), expected1);
    EXPECT_EQ(box2.Text(),
              page_rank_code("first.example") + line_break + page_rank_code("second.example") + line_break);
    EXPECT_EQ(box1.SelStart(), characters(expected1)); // characters, "Тиц" included
    EXPECT_EQ(box1.SelLength(), 0);
}

TEST_F(CodeWindowsTest, AClickSelectsAllSoTheNextRunReplacesOnlyThatBox)
{
    set_site("first.example");
    run_get_code();
    auto& box1 = forms["Form2"].text("Text1");
    box1.set_SelStart(5);
    click(static_cast<QPlainTextEdit*>(box1.widget())->viewport());
    EXPECT_EQ(box1.SelStart(), 0);
    EXPECT_EQ(box1.SelLength(), characters(box1.Text()));
    EXPECT_EQ(box1.SelText(), box1.Text());
    static_cast<QPlainTextEdit*>(box1.widget())->copy(); // what the user takes away, 13, 13, 10 included
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), box1.Text());

    set_site("second.example");
    run_get_code();
    EXPECT_EQ(box1.Text(), citation_index_code("second.example") + line_break);
    EXPECT_EQ(forms["Form2"].text("Text2").Text(),
              page_rank_code("first.example") + line_break + page_rank_code("second.example") + line_break);

    forms["Form2"].raise("Text2_Click");
    EXPECT_EQ(forms["Form2"].text("Text2").SelStart(), 0);
    EXPECT_EQ(forms["Form2"].text("Text2").SelLength(), characters(forms["Form2"].text("Text2").Text()));
}

TEST_F(CodeWindowsTest, EitherSwitchHidesTheWindowWithItsCodes)
{
    const std::pair<const char*, const char*> switches[] = {{"ww1", "Form5"}, {"ww2", "Form6"}};
    for (const auto& [button, target] : switches) {
        SCOPED_TRACE(button);
        set_site("kept.example");
        run_get_code();
        forms["Form2"].custom<button::ww>(button).UserControl.raise_Click();
        EXPECT_TRUE(forms.is_loaded("Form2"));
        EXPECT_FALSE(forms["Form2"].Visible());
        EXPECT_TRUE(forms[target].Visible());

        run_get_code();
        EXPECT_TRUE(forms["Form2"].Visible());
        EXPECT_EQ(forms["Form2"].text("Text1").Text(),
                  citation_index_code("kept.example") + line_break + citation_index_code("kept.example") + line_break);
        close("Form2");
        close(target);
    }
}

TEST_F(CodeWindowsTest, ClosingTheWindowLosesItsCodes)
{
    set_site("old.example");
    run_get_code();
    run_get_code();
    close("Form2");
    set_site("new.example");
    run_get_code();
    EXPECT_EQ(forms["Form2"].text("Text1").Text(), citation_index_code("new.example") + line_break);
    EXPECT_EQ(forms["Form2"].text("Text2").Text(), page_rank_code("new.example") + line_break);
}

TEST_F(CodeWindowsTest, TheMenuItemWorksWhileTheButtonIsDisabled)
{
    set_site("velmora.example");
    auto& button = main().custom<button::ww>("ww2");
    ASSERT_FALSE(button.get_Enabled());
    button.UserControl.raise_Click();
    EXPECT_FALSE(forms.is_loaded("Form2"));

    run_get_code();
    EXPECT_EQ(forms["Form2"].text("Text1").Text(), citation_index_code("velmora.example") + line_break);

    button.let_Enabled(true); // as after a lookup: the button runs the same command
    button.UserControl.raise_Click();
    EXPECT_EQ(forms["Form2"].text("Text2").Text(),
              page_rank_code("velmora.example") + line_break + page_rank_code("velmora.example") + line_break);
}

// ---- The userbar and IP-button code windows ----

const char* const userbar_paths[] = {
    "/_res/userbar/blue-bar.gif", "/_res/userbar/bar.gif",    "/_res/userbar/ua-bar.gif",
    "/_res/userbar/bl-bar.gif",   "/_res/userbar/dg-bar.gif", "/_res/userbar/lg-bar.gif",
    "/_res/userbar/gr-bar.gif",   "/_res/userbar/rd-bar.gif", "/_res/userbar/gr2-bar.gif",
    "/_res/userbar/va-bar.gif",
};

struct CodeWindow {
    const char* name;
    const char* other;
    const char* picture_opening; // Text14
    // Options 6 to 10 are the userbars in both windows.
    std::vector<std::string> paths;
};

const CodeWindow code_windows[] = {
    {"Form5", "Form6", "\" target=\"_blank\"><img src=\"",
     {userbar_paths, userbar_paths + 10}},
    {"Form6", "Form5", "\" title=\"Ваш IP адрес\"><img src=\"",
     {"/_res/script/image.php?type=1&lang=ru", "/_res/script/image.php?type=2&lang=ru",
      "/_res/script/image.php?type=3&lang=ru", "/_res/script/image.php?type=4&lang=ru",
      "/_res/script/image.php?type=5&lang=ru", userbar_paths[5], userbar_paths[6], userbar_paths[7],
      userbar_paths[8], userbar_paths[9]}},
};

TEST_F(CodeWindowsTest, EveryOptionWritesItsHtmlAndBbcodeLinks)
{
    for (const CodeWindow& window : code_windows) {
        Form& form = forms[window.name];
        form.Show();
        for (const std::string& site : sites) {
            set_site(site);
            for (int k = 1; k <= 10; ++k) {
                SCOPED_TRACE(std::string(window.name) + " Option" + std::to_string(k) + " site \"" + site + "\"");
                const std::string picture = form.text("Text" + std::to_string(k + 1)).Text();
                ASSERT_TRUE(is_service_address(picture, window.paths[size_t(k - 1)]));
                form.option("Option" + std::to_string(k)).set_Value(true);
                EXPECT_EQ(form.text("Text1").Text(),
                          "<a href=\"http://" + site + window.picture_opening + picture + "\" border=\"0\"></a>");
                // Form6 fills this box too, though it lies outside the client area.
                EXPECT_EQ(form.text("Text12").Text(), "[URL=http://" + site + "][IMG]" + picture + "[/IMG][/URL]");
            }
        }
    }
}

TEST_F(CodeWindowsTest, APickReplacesWhatTheUserTyped)
{
    for (const CodeWindow& window : code_windows) {
        SCOPED_TRACE(window.name);
        set_site("");
        Form& form = forms[window.name];
        form.option("Option3").set_Value(true);
        const std::string html = form.text("Text1").Text();
        const std::string bbcode = form.text("Text12").Text();
        EXPECT_TRUE(html.starts_with(std::string("<a href=\"http://") + window.picture_opening)) << html;
        EXPECT_TRUE(bbcode.starts_with("[URL=http://][IMG]")) << bbcode;
        form.text("Text1").set_Text("edited");
        form.text("Text12").set_SelText("typed ");
        form.raise("Option3_Click"); // the same option picked again
        EXPECT_EQ(form.text("Text1").Text(), html);
        EXPECT_EQ(form.text("Text12").Text(), bbcode);
    }
}

TEST_F(CodeWindowsTest, TheSiteLabelKeepsTheAddressReadAtLoad)
{
    for (const CodeWindow& window : code_windows) {
        SCOPED_TRACE(window.name);
        set_site("at-load.example");
        Form& form = forms[window.name];
        form.Show();
        EXPECT_EQ(form.label("Label3").Caption(), "at-load.example");
        set_site("later.example");
        form.Show();
        EXPECT_EQ(form.label("Label3").Caption(), "at-load.example");
        form.option("Option1").set_Value(true);
        EXPECT_NE(form.text("Text1").Text().find("http://later.example\""), std::string::npos);
        close(window.name);
    }
}

TEST_F(CodeWindowsTest, TheSwitchClosesTheWindowAndTheOtherStartsAfresh)
{
    for (const CodeWindow& window : code_windows) {
        SCOPED_TRACE(window.name);
        set_site("before.example");
        forms[window.other].Show(); // loaded before, so it must be closed and made anew
        forms[window.other].option("Option2").set_Value(true);
        close(window.other);
        forms[window.name].Show();
        forms[window.name].option("Option2").set_Value(true);
        set_site("now.example");

        forms[window.name].custom<button::ww>("ww1").UserControl.raise_Click();
        EXPECT_FALSE(forms.is_loaded(window.name));
        Form& other = forms[window.other];
        EXPECT_TRUE(other.Visible());
        EXPECT_EQ(other.text("Text1").Text(), "");
        EXPECT_EQ(other.text("Text12").Text(), "");
        EXPECT_EQ(other.label("Label3").Caption(), "now.example");
        for (int k = 1; k <= 10; ++k)
            EXPECT_FALSE(other.option("Option" + std::to_string(k)).Value()) << k;
        close(window.other);
    }
}

TEST_F(CodeWindowsTest, AClickInAResultBoxSelectsAllOfIt)
{
    for (const CodeWindow& window : code_windows) {
        Form& form = forms[window.name];
        form.Show();
        set_site("сайт.рф");
        form.option("Option1").set_Value(true);
        for (const char* box_name : {"Text1", "Text12"}) {
            SCOPED_TRACE(std::string(window.name) + "." + box_name);
            auto& box = form.text(box_name);
            box.set_SelStart(3);
            form.raise(std::string(box_name) + "_Click");
            EXPECT_EQ(box.SelStart(), 0);
            EXPECT_EQ(box.SelLength(), characters(box.Text())); // characters, not bytes
        }
    }
}

const std::string html_help =
    "HTML (англ. \"Hyper Text Markup Language\" — язык гипертекстовой разметки) — это набор специальных тэгов, "
    "с помощью которых создаются и форматируются страницы сайтов. Все теги заключены в символы <>, например "
    "фрагмент HTML-кода <a href=http://www.yandex.ru>Яndex</a> создаст на странице сайта ссылку вида Яndex — "
    "которая ведет на известный сайт поисковой системы.\r\n\r\n"
    "С помощью HTML на страницы могут быть внедрены различные объекты — рисунки, таблицы, меда-файлы и т.д. ";

const std::string bbcode_help =
    "BBCODE — это специальный вариант HTML-тэгов для разметки текстов и внедрения в текст различных объектов "
    "(изображений, гипертекстовых ссылок и т.п.), специально придуманный для использования на различных форумах, "
    "блогах и других сайтах в сообщениях пользователей.\r\n\r\n"
    "Дело в том, что использование в сообщениях пользователя стандартного HTML  — то из чего состоит каждый сайт "
    "и сам Интернет — не всегда безопасно. Ведь злоумышленники, ипользуя возможности HTML, зачастую могут "
    "повредить сайт, форум или блог. Именно поэтому был придуман BBCODE — для замены стандартных тэгов HTML в "
    "сообщениях.\r\n\r\n"
    "Естественно, BBCODE намного проще HTML, так как его задача — это урезать возможности языка гипертекстовой "
    "разметки оставив лишь те, которые не смогут повредить сайт.";

size_t count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

TEST_F(CodeWindowsTest, TheHelpIconsShowTheirTextsWithAQuestionBroughtForward)
{
    for (const CodeWindow& window : code_windows) {
        SCOPED_TRACE(window.name);
        Form& form = forms[window.name];
        form.Show();
        messages.clear();
        click(form.image("Image11").widget());
        click(form.image("Image12").widget());
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].title, "Что такое HTML?");
        EXPECT_EQ(messages[0].prompt, html_help);
        EXPECT_EQ(messages[0].flags, 0x10020);
        EXPECT_EQ(messages[1].title, "Что такое BBCODE?");
        EXPECT_EQ(messages[1].prompt, bbcode_help);
        EXPECT_EQ(messages[1].flags, 0x10020);
        EXPECT_EQ(form.text("Text1").Text(), ""); // nothing else changes
    }
    // The shape a retyped text would most likely lose: paragraphs, em dashes, the double blank.
    EXPECT_EQ(count(html_help, "\r\n\r\n"), 1u);
    EXPECT_EQ(count(bbcode_help, "\r\n\r\n"), 2u);
    EXPECT_EQ(count(html_help, "—"), 4u);
    EXPECT_EQ(count(bbcode_help, "—"), 5u);
    EXPECT_EQ(count(bbcode_help, "HTML  —"), 1u);
}

} // namespace
