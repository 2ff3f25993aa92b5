#include "app/information_window.h"

#include "app/probas.h"

namespace app {

InformationWindow::InformationWindow(platform::forms::Form& form) : Me(form)
{
    form.on("Label5_Click", [this] { Label5_Click(); });
}

// The author's address is the hidden box's text at the moment of the click.
void InformationWindow::Label5_Click()
{
    OpenURL(Me, Me.text("Text1").Text());
}

} // namespace app
