#pragma once
// The program's windows, registered with the forms run time.

#include "platform/forms/forms.h"

namespace app {

// Registers the eight windows from their embedded definitions, and the button control.
void register_program(platform::forms::Forms& forms);

// An embedded window definition by window name (":/windows/NAME.window").
platform::WindowDefinition embedded_definition(const std::string& name);

} // namespace app
