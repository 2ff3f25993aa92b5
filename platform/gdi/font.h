#pragma once
// The font object: what a caption is drawn in.

#include <cstdint>
#include <string>

namespace platform {

struct StdFont {
    std::string name = "MS Sans Serif"; // UTF-8
    double size = 8.25;                 // points
    int16_t weight = 400;
    int16_t charset = 0;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    bool bold() const { return weight > 550; }
    void set_bold(bool bold) { weight = bold ? 700 : 400; }

    friend bool operator==(const StdFont&, const StdFont&) = default;
};

// Points to pixels at 96 dots per inch, rounded to nearest (8.25 pt = 11 px).
int font_pixel_size(double points);

} // namespace platform
