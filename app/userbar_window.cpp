#include "app/userbar_window.h"

#include "app/button_code_window.h"

#include <string>
#include <utility>

namespace app {

using platform::forms::Form;

namespace {

// The search engine's home page that the HTML help's example anchor links to.
constexpr const char* search_engine_host = "www.yandex.ru";
constexpr const char* paragraph_break = "\r\n\r\n";
constexpr int help_message_flags = platform::forms::vbQuestion + platform::forms::vbMsgBoxSetForeground;
constexpr int option_count = 10;

} // namespace

// Two paragraphs: the name and an example anchor, then what HTML can hold.
std::string html_help_text()
{
    return std::string("HTML (англ. ") + '"' + "Hyper Text Markup Language" + '"' +
           " — язык гипертекстовой разметки) — это набор специальных тэгов, с помощью которых создаются и "
           "форматируются страницы сайтов. Все теги заключены в символы <>, например фрагмент HTML-кода "
           "<a href=http://" +
           search_engine_host +
           ">Яndex</a> создаст на странице сайта ссылку вида Яndex — которая ведет на известный сайт поисковой "
           "системы." +
           paragraph_break + "С помощью HTML на страницы могут быть внедрены различные объекты — рисунки, таблицы, "
                             "меда-файлы и т.д. ";
}

std::string bbcode_help_text()
{
    return std::string("BBCODE — это специальный вариант HTML-тэгов для разметки текстов и внедрения в текст "
                       "различных объектов (изображений, гипертекстовых ссылок и т.п.), специально придуманный для "
                       "использования на различных форумах, блогах и других сайтах в сообщениях пользователей.") +
           paragraph_break +
           "Дело в том, что использование в сообщениях пользователя стандартного HTML  — то из чего состоит "
           "каждый сайт и сам Интернет — не всегда безопасно. Ведь злоумышленники, ипользуя возможности HTML, "
           "зачастую могут повредить сайт, форум или блог. Именно поэтому был придуман BBCODE — для замены "
           "стандартных тэгов HTML в сообщениях." +
           paragraph_break +
           "Естественно, BBCODE намного проще HTML, так как его задача — это урезать возможности языка "
           "гипертекстовой разметки оставив лишь те, которые не смогут повредить сайт.";
}

LinkCodeWindow::LinkCodeWindow(Form& form, std::string other_window) : Me(form), m_other_window(std::move(other_window))
{
    form.on("Form_Load", [this] { Form_Load(); });
    for (int k = 1; k <= option_count; ++k)
        form.on("Option" + std::to_string(k) + "_Click", [this, k] { Option_Click(k); });
    form.on("Image11_Click", [this] { Image11_Click(); });
    form.on("Image12_Click", [this] { Image12_Click(); });
    form.on("Text1_Click", [this] { Text1_Click(); });
    form.on("Text12_Click", [this] { Text12_Click(); });
    form.on("ww1_Click", [this] { ww1_Click(); });
}

// Read once: the label keeps this address while the window stays loaded.
void LinkCodeWindow::Form_Load()
{
    Me.label("Label3").set_Caption(Me.forms()["Form1"].text("Text1").Text());
}

// Both links replace their boxes whole, whatever the user typed there. The main window
// gives the scheme prefix (its Text15) and the site (its Text1).
void LinkCodeWindow::Option_Click(int k)
{
    Form& main = Me.forms()["Form1"];
    const std::string picture_box = "Text" + std::to_string(k + 1);
    const auto text = [](Form& form, const std::string& name) { return form.text(name).Text(); };
    const std::string html = text(Me, "Text13") + text(main, "Text15") + text(main, "Text1") + text(Me, "Text14") +
                             text(Me, picture_box) + text(Me, "Text15");
    Me.text("Text1").set_Text(html);
    const std::string bbcode = text(Me, "Text16") + text(main, "Text15") + text(main, "Text1") + text(Me, "Text17") +
                               text(Me, picture_box) + text(Me, "Text18");
    Me.text("Text12").set_Text(bbcode);
}

void LinkCodeWindow::Image11_Click()
{
    Me.forms().MsgBox(html_help_text(), help_message_flags, "Что такое HTML?");
}

void LinkCodeWindow::Image12_Click()
{
    Me.forms().MsgBox(bbcode_help_text(), help_message_flags, "Что такое BBCODE?");
}

void LinkCodeWindow::Text1_Click()
{
    select_all(Me.text("Text1"));
}

void LinkCodeWindow::Text12_Click()
{
    select_all(Me.text("Text12"));
}

// The codes go with this window; the other one starts afresh.
void LinkCodeWindow::ww1_Click()
{
    auto& forms = Me.forms();
    Me.Unload();
    forms[m_other_window].Show();
}

} // namespace app
