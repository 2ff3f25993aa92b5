#include "app/screenshot_window.h"

#include "app/probas.h"

namespace app {

using platform::forms::Form;

ScreenshotWindow::ScreenshotWindow(Form& form) : Me(form)
{
    form.on("Image1_Click", [this] { Image1_Click(); });
}

// The site box is read now, not when the screenshot was fetched: the user may have
// typed another address since.
void ScreenshotWindow::Image1_Click()
{
    Form& main = Me.forms()["Form1"];
    OpenURL(Me, main.text("Text15").Text() + main.text("Text1").Text());
}

} // namespace app
