#pragma once
// A button on its host, sized in pixels, with helpers that drive it as the host would.

#include "button/ww.h"
#include "platform/gdi/raster.h"
#include "platform/host/window.h"

#include <gtest/gtest.h>

#include <string>

namespace button {

// Reaches the working data of a paint that no member shows.
class wwTestAccess {
public:
    static const std::array<platform::TRIVERTEX, 2>& vertices(const ww& b) { return b.Vertex; }
};

} // namespace button

namespace button_test {

using namespace platform;
using button::ww;

class ButtonTest : public ::testing::Test {
protected:
    ButtonTest() { SetCursorPos(-1000, -1000); }

    // A new instance with its defaults, then resized to w x h pixels.
    void make(int w, int h)
    {
        b.UserControl_InitProperties();
        resize(w, h);
    }
    void resize(int w, int h)
    {
        b.UserControl.set_Width(float(w * twips_per_pixel));
        b.UserControl.set_Height(float(h * twips_per_pixel));
    }

    void mouse_down() { int16_t bt = 1, sh = 0; float x = 0, y = 0; b.UserControl.raise_MouseDown(bt, sh, x, y); }
    void mouse_up() { int16_t bt = 1, sh = 0; float x = 0, y = 0; b.UserControl.raise_MouseUp(bt, sh, x, y); }
    void click() { b.UserControl.raise_Click(); }
    // The pointer at client (x, y), then a mouse move reaches the control.
    void move_to(int x, int y)
    {
        SetCursorPos(x, y);
        int16_t bt = 0, sh = 0;
        float fx = float(x), fy = float(y);
        b.UserControl.raise_MouseMove(bt, sh, fx, fy);
    }
    void key_down(int16_t code) { int16_t sh = 0; b.UserControl.raise_KeyDown(code, sh); }
    void key_up(int16_t code) { int16_t sh = 0; b.UserControl.raise_KeyUp(code, sh); }
    void focus() { b.UserControl.raise_GotFocus(); }

    COLORREF pixel(int x, int y) const { return b.UserControl.surface().pixel(x, y); }
    int width() const { return b.UserControl.pixel_width(); }
    int height() const { return b.UserControl.pixel_height(); }

    ww b {"ww1"};
};

} // namespace button_test
