#include "app/site_lookup.h"

#include "app/url_picture.h"
#include "button/ww.h"

#include <string>

namespace app {

using platform::forms::Form;

namespace {

constexpr const char* missing_site_prompt = "Пожалуйста введите адрес сайта без http://";
constexpr const char* missing_site_title = "Ведите адрес";
constexpr const char* first_run_done = "Первый вход";

// A result area and where its picture comes from: the template box's text, followed by
// the site address for the pictures about the site.
struct ResultPicture {
    const char* area;
    const char* template_box;
    bool about_the_site;
};

// In the order they are fetched, each download finished before the next starts.
constexpr ResultPicture result_pictures[] = {
    {"Image6", "Text16", false}, // the visitor's IP address
    {"Image7", "Text17", false}, // the IP userbar
    {"Image1", "Text4", true},   // citation-index counter
    {"Image2", "Text5", true},   // PageRank badge
};

// Only the empty text is refused: blanks go into the addresses as typed. The outcome of
// the downloads is not looked at; a failed one leaves its area blank.
void ww1_Click(Form& Me)
{
    const std::string site = Me.text("Text1").Text();
    if (site == "") {
        Me.forms().MsgBox(missing_site_prompt, platform::forms::vbCritical, missing_site_title);
        return;
    }
    Me.image("Image8").set_Visible(false);
    for (const ResultPicture& result : result_pictures) {
        const std::string address = Me.text(result.template_box).Text() + (result.about_the_site ? site : "");
        Me.image(result.area).set_Picture(URLPicture(address));
    }
    Me.custom<button::ww>("ww2").let_Enabled(true);
    Me.text("Text39").set_Text(first_run_done);
}

// No check of the site box: an empty one asks the service for an empty url value.
void ww3_Click(Form& Me)
{
    Form& screenshot = Me.forms()["Form3"];
    screenshot.Show();
    const std::string address = Me.text("Text13").Text() + Me.text("Text1").Text() + Me.text("Text14").Text();
    screenshot.image("Image1").set_Picture(URLPicture(address));
}

} // namespace

void bind_site_lookup(Form& main)
{
    main.on("ww1_Click", [&main] { ww1_Click(main); });
    main.on("ww3_Click", [&main] { ww3_Click(main); });
}

} // namespace app
