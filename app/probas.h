#pragma once
// PROBas: the program's procedure module.

#include "platform/forms/forms.h"

#include <string>

namespace app {

// Hands the address, unchanged, to the desktop to open with its default handler, on
// behalf of the window. Nothing is waited for and nothing is reported.
void OpenURL(const platform::forms::Form& frm, const std::string& sURL);

} // namespace app
