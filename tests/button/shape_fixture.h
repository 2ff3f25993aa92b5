#pragma once
// The oracle's pictures of the shape renderers, as the button shows them once its paint
// has dotted the focus outline.

#include "tests/support/gdi_script.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace button_test {

// The blocks of one kind ("dump" or "mask") of tests/gdi/fixtures/NAME.out.
inline std::vector<std::string> fixture_blocks(const std::string& name, const char* kind = "dump")
{
    return test_support::oracle_blocks((std::filesystem::path(VELMORA_FIXTURES_DIR) / (name + ".out")).string(),
                                       kind);
}

// The oracle draws the focus outline light grey; the paint's dotting then blackens its
// pixels whose coordinates are both odd (from 3 to W - 3) or both even (from 2 to W - 2).
// The diamond's own pass first takes every odd row of columns 2 to W - 2.
inline std::string dotted(const std::string& dump, bool diamond = false)
{
    std::istringstream in(dump);
    std::string tag;
    int w = 0, h = 0;
    in >> tag >> w >> h;
    std::vector<std::string> px(size_t(w * h));
    for (auto& p : px)
        in >> p;
    auto blacken = [&](int x, int y) {
        if (px[size_t(y * w + x)] == "d1d1d1")
            px[size_t(y * w + x)] = "000000";
    };
    if (diamond)
        for (int x = 2; x <= w - 2; ++x)
            for (int y = 1; y <= h - 1; y += 2)
                blacken(x, y);
    for (int first : {3, 2})
        for (int x = first; x <= w - first; x += 2)
            for (int y = first; y <= h - first; y += 2)
                blacken(x, y);
    std::string out = "dump " + std::to_string(w) + " " + std::to_string(h) + "\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out += px[size_t(y * w + x)] + (x + 1 < w ? " " : "\n");
    return out;
}

} // namespace button_test
