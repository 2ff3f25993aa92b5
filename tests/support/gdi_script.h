#pragma once
// Replays a drawing script in the GDI oracle's language (shared/tools/gdi-oracle) with our
// own calls and prints what the oracle prints, so an oracle answer is a fixture as it stands.

#include "platform/gdi/region.h"
#include "platform/gdi/surface.h"

#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// Throws std::runtime_error on a malformed script.
std::string replay_gdi_script(std::string_view script);

// "dump W H" followed by H rows of W hex colours.
std::string dump_surface(const platform::Surface& surface);
// "mask W H" followed by H rows of '#' (inside) and '.' (outside).
std::string dump_mask(const platform::Region& region, int width, int height);

// The blocks of one kind ("dump" or "mask") of an oracle answer file, each with its rows.
std::vector<std::string> oracle_blocks(const std::string& out_file, std::string_view kind);
// The "dump W H" blocks.
std::vector<std::string> oracle_dumps(const std::string& out_file);

// A readable account of where two replies differ, line by line; empty when equal.
std::string describe_difference(const std::string& expected, const std::string& actual);

} // namespace test_support
