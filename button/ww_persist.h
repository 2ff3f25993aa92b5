#pragma once
// An instance's stored set as its container keeps it: the container's own extent keys
// first, then the keys the control writes.

#include "button/ww.h"
#include "platform/host/property_bag.h"

#include <cstdint>

namespace button {

// A size in twips as HIMETRIC (0.01 mm), rounded to nearest, ties to even.
int32_t twips_to_himetric(double twips);
double himetric_to_twips(int32_t himetric);

// The set of an instance of the given size in twips.
platform::PropertyBag write_instance_set(ww& control, double twips_width, double twips_height);
// Sizes the host from the extent keys the set holds, then has the control read its keys.
void read_instance_set(ww& control, platform::PropertyBag& bag);

} // namespace button
