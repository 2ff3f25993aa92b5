#include "app/button_code_window.h"

#include <QString>

#include <initializer_list>
#include <string>

namespace app {

using platform::forms::Form;
using platform::forms::TextBox;

namespace {

// Not the pair 13, 10: the box shows all three as one line end and keeps them.
constexpr const char* code_line_break = "\r\r\n";

// The texts of the window's boxes, in the order named, joined with nothing between them.
std::string join_boxes(Form& form, std::initializer_list<const char*> names)
{
    std::string joined;
    for (const char* name : names)
        joined += form.text(name).Text();
    return joined;
}

// As if typed: replaces the selection, or goes in at the caret, which then follows it.
void add_code(TextBox& box, const std::string& code)
{
    box.set_SelText(code);
    box.set_SelText(code_line_break);
}

} // namespace

ButtonCodeWindow::ButtonCodeWindow(Form& form) : Me(form)
{
    form.on("Text1_Click", [this] { Text1_Click(); });
    form.on("Text2_Click", [this] { Text2_Click(); });
    form.on("ww1_Click", [this] { ww1_Click(); });
    form.on("ww2_Click", [this] { ww2_Click(); });
}

void ButtonCodeWindow::Text1_Click()
{
    select_all(Me.text("Text1"));
}

void ButtonCodeWindow::Text2_Click()
{
    select_all(Me.text("Text2"));
}

// Hiding keeps the boxes' codes for the next run of the command.
void ButtonCodeWindow::ww1_Click()
{
    Me.Hide();
    Me.forms()["Form5"].Show();
}

void ButtonCodeWindow::ww2_Click()
{
    Me.Hide();
    Me.forms()["Form6"].Show();
}

void get_code(Form& main)
{
    // Text1 is the site address; the others are fragments and service addresses.
    const std::string citation_index =
        join_boxes(main, {"Text6", "Text2", "Text1", "Text7", "Text4", "Text1", "Text8"});
    Form& codes = main.forms()["Form2"];
    add_code(codes.text("Text1"), citation_index);
    const std::string page_rank = join_boxes(main, {"Text6", "Text9", "Text7", "Text5", "Text1", "Text10"});
    add_code(codes.text("Text2"), page_rank);
    codes.Show();
}

void bind_get_code(Form& main)
{
    main.on("ww2_Click", [&main] { get_code(main); });
    main.on("codd_Click", [&main] { get_code(main); });
}

void select_all(TextBox& box)
{
    box.set_SelStart(0);
    box.set_SelLength(int32_t(QString::fromStdString(box.Text()).size()));
}

} // namespace app
