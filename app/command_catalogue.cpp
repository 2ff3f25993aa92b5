// Placeholder: the catalogue is being written.
#include "app/command_catalogue.h"

namespace app {
void bind_command_catalogue(platform::forms::Form&) {}
} // namespace app
