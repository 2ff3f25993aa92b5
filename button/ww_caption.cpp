// Picture and caption phases of a paint: the picture with its grey passes, the caption
// box, the caption text passes with their effect, and the caption colour ramps.

#include "button/ww.h"

#include "button/rounding.h"
#include "platform/gdi/colour.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/text.h"

#include <algorithm>
#include <utility>

namespace button {

using namespace platform;

namespace {

// The part of from..to (both inclusive) that lies on a surface of `size` pixels. A pass over
// a box reads and writes nothing off the surface, so it visits only that part: a caption in
// a huge font is far wider than its button.
std::pair<LONG, LONG> on_surface(LONG from, LONG to, int size)
{
    return {std::max<LONG>(from, 0), std::min<LONG>(to, LONG(size) - 1)};
}

// Places a box of size (w, h) on a W x H control by an alignment; `margin` is the
// picture's 4 or the caption's 5. Returns false for an alignment that keeps the place.
bool align_box(LONG alignment, double W, double H, double w, double h, double margin, LONG& x, LONG& y)
{
    switch (alignment) {
    case AlignTop:
        x = r((W - w) / 2);
        y = r((H - h) / H + margin);
        return true;
    case AlignLeft:
        x = r((W - w) / W + margin);
        y = r((H - h) / 2);
        return true;
    case AlignCenter:
        x = r((W - w) / 2);
        y = r((H - h) / 2);
        return true;
    case AlignRight:
        x = r(W - w - 5);
        y = r((H - h) / 2);
        return true;
    case AlignBottom:
        x = r((W - w) / 2);
        y = r(H - h - 5);
        return true;
    default:
        return false;
    }
}

COLORREF grey(LONG g)
{
    return RGB(uint8_t(g), uint8_t(g), uint8_t(g));
}

uint8_t byte_of(LONG v)
{
    return uint8_t(std::clamp<LONG>(v, 0, 255));
}

} // namespace

void ww::PaintPicturePhase()
{
    if (!Picture) {
        PictureRect.width = PictureRect.height = 0;
        return;
    }
    const double w = W(), h = H();
    PictureRect.width = r(UserControl.ScaleX(Picture->Width(), vbHimetric, vbPixels));
    PictureRect.height = r(UserControl.ScaleY(Picture->Height(), vbHimetric, vbPixels));
    align_box(PictureAlignment, w, h, PictureRect.width, PictureRect.height, 4, PictureRect.x, PictureRect.y);

    const LONG x = PictureRect.x, y = PictureRect.y;
    enum class Grey { None, RedByte, BlueByte } pass = Grey::None;
    if (get_Enabled() && pressed()) {
        UserControl.PaintPicture(Picture, float(x + 1), float(y + 1));
    } else if (get_Enabled() && hover()) {
        UserControl.PaintPicture(Picture, float(x), float(y));
        if (ButtonStyle == 5)
            UserControl.PaintPicture(Picture, float(x - 1), float(y - 1));
    } else if (get_Enabled()) {
        UserControl.PaintPicture(Picture, float(x), float(y));
        if (PictureGray)
            pass = Grey::RedByte;
    } else {
        UserControl.PaintPicture(Picture, float(x), float(y));
        pass = Grey::BlueByte;
    }
    if (pass == Grey::None)
        return;

    // One column and one row past the picture, both bounds inclusive; pixels equal to
    // the stored back colour (never a system colour reference) keep their colour.
    const HDC dc = UserControl.hDC();
    const auto [x0, x1] = on_surface(x, x + PictureRect.width, UserControl.pixel_width());
    const auto [y0, y1] = on_surface(y, y + PictureRect.height, UserControl.pixel_height());
    for (LONG px = x0; px <= x1; ++px) {
        for (LONG py = y0; py <= y1; ++py) {
            const COLORREF p = GetPixel(dc, px, py);
            if (p == BackColor)
                continue;
            SetPixel(dc, px, py, grey(pass == Grey::RedByte ? LONG(p & 0xFF) : LONG((p & 0xFF0000) / 65536)));
        }
    }
}

void ww::PlaceCaption()
{
    if (CaptionAlignment < AlignTop || CaptionAlignment > AlignBottom)
        return;
    SIZE extent {};
    GetTextExtentPoint32A(UserControl.hDC(), Caption.data(), int(Caption.size()), &extent);
    CaptionRect.width = extent.cx;
    CaptionRect.height = extent.cy;
    align_box(CaptionAlignment, W(), H(), CaptionRect.width, CaptionRect.height, 5, CaptionRect.x, CaptionRect.y);
}

void ww::DrawCaptionText()
{
    const HDC dc = UserControl.hDC();
    const LONG X = CaptionRect.x, Y = CaptionRect.y;
    auto pass = [&](OLE_COLOR colour, LONG x, LONG y) {
        SetPen(colour);
        TextOutA(dc, x, y, Caption.data(), int(Caption.size()));
    };

    if (!get_Enabled()) {
        if (ButtonStyle == 4 || ButtonStyle == 6 || ButtonStyle == 7 || ButtonStyle == 8) {
            pass(COLOR_BTNSHADOW, X, Y);
        } else {
            pass(COLOR_3DHIGHLIGHT, X + 1, Y + 1);
            pass(COLOR_BTNSHADOW, X, Y);
        }
        return;
    }

    const OLE_COLOR text = pressed() ? ForeColorPressed : hover() ? ForeColorHover : ForeColor;
    switch (CaptionEffect) {
    case EffectNone:
        if (pressed())
            pass(text, X + 1, Y + 1);
        else
            pass(text, X, Y);
        break;
    case EffectRaised:
        if (pressed()) {
            pass(EffectColor, X, Y);
            pass(text, X + 1, Y + 1);
        } else {
            pass(EffectColor, X - 1, Y - 1);
            pass(text, X, Y);
        }
        break;
    case EffectShadow:
        if (pressed()) {
            pass(EffectColor, X + 2, Y + 2);
            pass(text, X + 1, Y + 1);
        } else {
            pass(EffectColor, X + 1, Y + 1);
            pass(text, X, Y);
        }
        break;
    case EffectOutline: {
        const LONG d = pressed() ? 1 : 0;
        for (LONG i = -1; i <= 1; ++i) {
            for (LONG j = -1; j <= 1; ++j) {
                pass(EffectColor, X + i + d, Y + j + d);
                pass(text, X + d, Y + d);
            }
        }
        break;
    }
    default:
        break;
    }
}

void ww::PaintCaptionRamps()
{
    if (CaptionStyle != TextGradientHorizontal && CaptionStyle != TextGradientVertical)
        return;
    LONG F[3], S[3];
    SplitRGB(ForeColor, F[0], F[1], F[2]);
    SplitRGB(pressed() ? ForeColorPressed : hover() ? ForeColorHover : ForeColorPressed, S[0], S[1], S[2]);

    const HDC dc = UserControl.hDC();
    const double w = W(), h = H();
    const LONG X = CaptionRect.x, Y = CaptionRect.y;
    const auto [x0, x1] = on_surface(X, X + CaptionRect.width, UserControl.pixel_width());
    const auto [y0, y1] = on_surface(Y, Y + CaptionRect.height, UserControl.pixel_height());
    for (LONG px = x0; px <= x1; ++px) {
        for (LONG py = y0; py <= y1; ++py) {
            // Compared as numbers: a system colour reference in the pen matches no pixel.
            if (GetPixel(dc, px, py) != UserControl.ForeColor())
                continue;
            LONG c[3];
            for (int k = 0; k < 3; ++k) {
                // Red and green round the sum; blue rounds the step alone and adds the byte.
                if (CaptionStyle == TextGradientHorizontal)
                    c[k] = k < 2 ? r(F[k] + (double(S[k] - F[k]) / w) * px) : F[k] + r((double(S[k] - F[k]) / w) * px);
                else
                    c[k] = k < 2 ? r(S[k] + (double(F[k] - S[k]) / h) * py) : S[k] + r((double(F[k] - S[k]) / h) * py);
            }
            SetPixel(dc, px, py, RGB(byte_of(c[0]), byte_of(c[1]), byte_of(c[2])));
        }
    }
}

} // namespace button
