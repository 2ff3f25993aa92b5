#pragma once
// The main window's command catalogue: its menu commands and the buttons that open
// services and windows.

#include "platform/forms/forms.h"

namespace app {

// Binds the catalogue's handlers on the main window.
void bind_command_catalogue(platform::forms::Form& main);

} // namespace app
