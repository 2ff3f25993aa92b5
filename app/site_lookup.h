#pragma once
// The main window's Find-out and screenshot buttons: the result pictures for a site.

#include "platform/forms/forms.h"

namespace app {

// Binds ww1_Click (find out) and ww3_Click (screenshot) on the main window.
void bind_site_lookup(platform::forms::Form& main);

} // namespace app
