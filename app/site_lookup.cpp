// Placeholder: being written.
#include "app/site_lookup.h"

namespace app {
void bind_site_lookup(platform::forms::Form&) {}
} // namespace app
