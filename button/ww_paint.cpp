// The paint driver: one complete repaint in seventeen phases, and the phases that
// prepare the surface and draw the background and the style's gradient.

#include "button/ww.h"

#include "button/rounding.h"
#include "platform/gdi/colour.h"
#include "platform/gdi/gradient.h"
#include "platform/gdi/raster.h"

namespace button {

using namespace platform;

void ww::UserControl_Paint()
{
    SetUpSurface();
    ApplySizeRules();
    SetHandCursor();
    ApplyToggleRule();
    ChooseFillColours();
    FillBackground();
    PaintStyleLook();
    PaintPicturePhase();
    PlaceCaption();
    DrawCaptionText();
    PaintCaptionRamps();
    SetMaskAndPen();
    DrawShape();
    DotFocusOutline();
    DrawCaptionFocusRect();
    DrawDropDownArrow();
    FinishPaint();
}

void ww::SetUpSurface()
{
    UserControl.set_AutoRedraw(true);
    UserControl.set_ScaleMode(vbPixels);
    UserControl.Cls();
}

// A size change raises the host's Resize, whose handler paints a complete image
// before this paint goes on; every later phase reads the size afresh.
void ww::ApplySizeRules()
{
    if (UserControl.Width() < 375)
        UserControl.set_Width(375);
    if (UserControl.Height() < 375)
        UserControl.set_Height(375);
    if (ButtonShape != ShapeRectangle && ButtonShape != ShapeRoundedRectangle)
        UserControl.set_Height(UserControl.Width());
}

void ww::SetHandCursor()
{
    const bool hand = pressed() ? HasFocus && HandPointer : hover() ? HandPointer : HasFocus && HandPointer;
    if (hand)
        platform::SetCursor(platform::LoadCursorA(0, platform::IDC_HAND));
}

void ww::ApplyToggleRule()
{
    if (ButtonType == ToggleButton && Value)
        ButtonDown = true;
}

void ww::SplitRGB(OLE_COLOR Color, LONG& R, LONG& G, LONG& B)
{
    OleTranslateColor(Color, nullptr, &Color);
    R = LONG(Color & 0xFF);
    G = LONG((Color & 0xFF00) / 256);
    B = LONG((Color & 0xFF0000) / 65536);
}

void ww::SplitPair(OLE_COLOR c0, OLE_COLOR c1)
{
    const OLE_COLOR colours[2] = {c0, c1};
    for (int i = 0; i < 2; ++i) {
        LONG red = 0, green = 0, blue = 0;
        SplitRGB(colours[i], red, green, blue);
        // The byte in the high eight bits of each 16-bit channel.
        Vertex[i].Red = COLOR16(red << 8);
        Vertex[i].Green = COLOR16(green << 8);
        Vertex[i].Blue = COLOR16(blue << 8);
        Vertex[i].Alpha = 0;
    }
}

void ww::Gradient(uint32_t mode, POINT v0, POINT v1)
{
    Vertex[0].x = v0.x;
    Vertex[0].y = v0.y;
    Vertex[1].x = v1.x;
    Vertex[1].y = v1.y;
    const GRADIENT_RECT rect {1, 0};
    GradientFill(UserControl.hDC(), Vertex.data(), 2, &rect, 1, mode);
}

void ww::ChooseFillColours()
{
    const OLE_COLOR c1 = pressed() ? BackColorPressed : hover() ? BackColorHover : BackColorPressed;
    SplitPair(BackColor, c1);
}

void ww::FillBackground()
{
    constexpr uint32_t H_ = GRADIENT_FILL_RECT_H, V_ = GRADIENT_FILL_RECT_V;
    const double w = W(), h = H();
    switch (ButtonStyleColors) {
    case FillNone:
        UserControl.set_BackStyle(0);
        return;
    case FillSolid:
        UserControl.set_BackStyle(1);
        UserControl.set_BackColor(pressed() ? BackColorPressed : hover() ? BackColorHover : BackColor);
        return;
    case FillHorizontal:
        UserControl.set_BackStyle(1);
        Gradient(H_, {0, r(h)}, {r(w), 0});
        return;
    case FillVertical:
        UserControl.set_BackStyle(1);
        Gradient(V_, {0, r(h)}, {r(w), 0});
        return;
    case FillVerticalCenter:
        UserControl.set_BackStyle(1);
        Gradient(V_, {r(w), 0}, {0, r(h / 2)});
        Gradient(V_, {0, r(h)}, {r(w), r(h / 2)});
        return;
    case FillVerticalEdges:
        UserControl.set_BackStyle(1);
        Gradient(V_, {0, r(h / 2)}, {r(w), 0});
        Gradient(V_, {0, r(h / 2)}, {r(w), r(h)});
        return;
    case FillHorizontalCenter:
        UserControl.set_BackStyle(1);
        Gradient(H_, {0, 0}, {r(w / 2), r(h)});
        Gradient(H_, {r(w), r(h)}, {r(w / 2), 0});
        return;
    case FillHorizontalEdges:
        UserControl.set_BackStyle(1);
        Gradient(H_, {r(w / 2), 0}, {0, r(h)});
        Gradient(H_, {r(w / 2), r(h)}, {r(w), 0});
        return;
    default:
        return;
    }
}

// Border colours of the style, then (with a fill) the style's own gradient.
void ww::PaintStyleLook()
{
    switch (ButtonStyle) {
    case 1:
    case 2:
        BorderColor = BorderColorHover = COLOR_3DDKSHADOW;
        BorderColorPressed = COLOR_3DHIGHLIGHT;
        break;
    case 3:
        BorderColor = BackColor;
        BorderColorHover = COLOR_3DDKSHADOW;
        BorderColorPressed = COLOR_3DHIGHLIGHT;
        break;
    case 4:
        BorderColor = BorderColorHover = BorderColorPressed = COLOR_BTNSHADOW;
        break;
    case 5:
        BorderColor = COLOR_BTNFACE;
        BorderColorHover = BorderColorPressed = 0;
        break;
    case 6:
        BorderColor = BorderColorHover = BorderColorPressed = 0;
        break;
    case 7:
        BorderColor = 0x8F8F8E;
        BorderColorHover = 0xB17F3C;
        BorderColorPressed = 0x5C411D;
        break;
    case 8:
        BorderColor = BackColor;
        BorderColorHover = BackColorHover;
        BorderColorPressed = BackColorPressed;
        break;
    default:
        return;
    }
    if (ButtonStyle < 5 || ButtonStyleColors == FillNone)
        return;

    const bool enabled = UserControl.Enabled();
    switch (ButtonStyle) {
    case 5:
        if (pressed())
            SplitPair(0xA57F71, BackColorPressed);
        else if (hover())
            SplitPair(0xAC9891, BackColorHover);
        else
            SplitPair(BackColor, BackColor);
        break;
    case 6:
        if (pressed()) {
            SplitPair(BackColor, 0xE0E6E6);
        } else if (enabled) {
            SplitPair(BackColor, BackColorPressed);
        } else {
            SplitPair(0xDBE7E7, 0xDBE7E7);
            BorderColor = 0x8DABAB;
        }
        break;
    case 7:
        if (pressed()) {
            SplitPair(BackColorPressed, 0xF8ECD5);
        } else if (hover()) {
            SplitPair(BackColorHover, 0xFEFCF7);
        } else if (enabled) {
            SplitPair(BackColor, 0xEFEFEF);
        } else {
            SplitPair(0xF0F0F0, 0xF4F4F4);
            BorderColor = 0xB5B2AD;
        }
        break;
    case 8:
        if (pressed()) {
            SplitPair(BackColorPressed, 0xFFFFFF);
        } else if (hover()) {
            SplitPair(BackColorHover, 0xFFFFFF);
        } else if (enabled) {
            SplitPair(BackColor, 0xFFFFFF);
        } else {
            SplitPair(0xA4B6B7, 0xFFFFFF);
            BorderColor = 0xA4B6B7;
        }
        break;
    }

    constexpr uint32_t H_ = GRADIENT_FILL_RECT_H, V_ = GRADIENT_FILL_RECT_V;
    const double w = W(), h = H();
    // Shapes pointing up or down shade across, the others downwards.
    const bool across = ButtonShape == ShapeTriangleUp || ButtonShape == ShapeTriangleDown ||
                        ButtonShape == ShapeArrowUp || ButtonShape == ShapeArrowDown;
    switch (ButtonStyle) {
    case 5:
    case 6:
        Gradient(V_, {0, r(h)}, {r(w), 0});
        break;
    case 7:
        if (across) {
            Gradient(H_, {r(w / 1.5), 0}, {0, r(h)});
            Gradient(H_, {r(w / 2), r(h)}, {r(w + 25), 0});
        } else {
            Gradient(V_, {0, r(h / 1.5)}, {r(w), 0});
            Gradient(V_, {0, r(h / 2)}, {r(w), r(h + 25)});
        }
        break;
    case 8:
        if (across) {
            Gradient(H_, {r(w), 0}, {r(-w / 6), r(h)});
            Gradient(H_, {r(w / 2), r(h)}, {r(w / 3 + w), 0});
        } else {
            Gradient(V_, {0, r(h)}, {r(w), r(-h / 6)});
            Gradient(V_, {0, r(h / 2)}, {r(w), r(h / 3 + h)});
        }
        break;
    }
}

void ww::SetMaskAndPen()
{
    UserControl.set_MaskColor(UserControl.BackColor());
    SetPen(pressed() ? BorderColorPressed : hover() ? BorderColorHover : BorderColor);
}

void ww::DrawShape()
{
    switch (ButtonShape) {
    case ShapeRectangle: DrawRectangle(); break;
    case ShapeRoundedRectangle: DrawRoundedRectangle(); break;
    case ShapeEllipse: DrawEllipse(); break;
    case ShapeDiamond: DrawDiamond(); break;
    case ShapeTriangleUp: DrawTriangleUp(); break;
    case ShapeTriangleLeft: DrawTriangleLeft(); break;
    case ShapeTriangleRight: DrawTriangleRight(); break;
    case ShapeTriangleDown: DrawTriangleDown(); break;
    case ShapeArrowUp: DrawArrowUp(); break;
    case ShapeArrowLeft: DrawArrowLeft(); break;
    case ShapeArrowRight: DrawArrowRight(); break;
    case ShapeArrowDown: DrawArrowDown(); break;
    default: break; // no renderer: no outline, and the window keeps the region it had
    }
}

void ww::Polyline(std::initializer_list<POINT> points)
{
    const HDC dc = UserControl.hDC();
    auto p = points.begin();
    if (p == points.end())
        return;
    MoveToEx(dc, p->x, p->y, &PrevPoint);
    for (++p; p != points.end(); ++p)
        LineTo(dc, p->x, p->y);
}

void ww::FinishPaint()
{
    UserControl.set_MaskPicture(UserControl.Image());
    UserControl.Refresh();
}

} // namespace button
