// Placeholder until regions land.
#include "platform/region.h"

#include <QRegion>

namespace platform {
QRegion to_qregion(const Region&) { return {}; }
} // namespace platform
