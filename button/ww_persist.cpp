// The saved property set: the keys the button reads and writes, and the container's
// extent keys around them.

#include "button/ww_persist.h"

#include "platform/errors.h"

#include <cmath>
#include <cstdint>
#include <iterator>

namespace button {

using platform::Nothing;
using platform::PropertyBag;

namespace {

struct LongKey {
    const char* name;
    LONG default_value;
};

struct ColourKey {
    const char* name;
    OLE_COLOR default_value;
};

// The first ten keys in their order; the field lists below follow the same order. A
// missing key reads as its default, and a field at its default writes no entry.
constexpr LongKey long_keys[] = {
    {"ButtonShape", 0},      {"ButtonStyle", 1},      {"ButtonStyleColors", 1},
    {"ButtonTheme", 0},      {"ButtonType", 0},       {"CaptionAlignment", 2},
    {"CaptionEffect", 0},    {"CaptionStyle", 0},     {"DropDown", 0},
    {"PictureAlignment", 2},
};

// The next ten: the colours.
constexpr ColourKey colour_keys[] = {
    {"BackColor", 0x8000000F}, {"BackColorPressed", 0x8000000F}, {"BackColorHover", 0x8000000F},
    {"BorderColor", 0},        {"BorderColorPressed", 0},        {"BorderColorHover", 0},
    {"ForeColor", 0},          {"ForeColorPressed", 0xFF},       {"ForeColorHover", 0xFF0000},
    {"EffectColor", 0xFFFFFF},
};

constexpr bool default_FocusRect = true;
constexpr bool default_Value = false;
constexpr bool default_HandPointer = false;
constexpr bool default_PictureGray = false;
constexpr bool default_Enabled = true;
constexpr int16_t default_MousePointer = 0;

} // namespace

void ww::UserControl_ReadProperties(PropertyBag& PropBag)
{
    // Fields take their values as they are: no preset, no change report, no repaint.
    LONG* const longs[] = {&ButtonShape,      &ButtonStyle,   &ButtonStyleColors, &ButtonTheme, &ButtonType,
                           &CaptionAlignment, &CaptionEffect, &CaptionStyle,      &DropDown,    &PictureAlignment};
    static_assert(std::size(longs) == std::size(long_keys));
    for (size_t i = 0; i < std::size(longs); ++i)
        *longs[i] = PropBag.ReadProperty(long_keys[i].name, long_keys[i].default_value).to_long();

    OLE_COLOR* const colours[] = {&BackColor,          &BackColorPressed, &BackColorHover, &BorderColor,
                                  &BorderColorPressed, &BorderColorHover, &ForeColor,      &ForeColorPressed,
                                  &ForeColorHover,     &EffectColor};
    static_assert(std::size(colours) == std::size(colour_keys));
    for (size_t i = 0; i < std::size(colours); ++i)
        *colours[i] = OLE_COLOR(PropBag.ReadProperty(colour_keys[i].name, colour_keys[i].default_value).to_long());

    Caption = PropBag.ReadProperty("Caption", UserControl.Name()).to_string();
    FocusRect = PropBag.ReadProperty("FocusRect", default_FocusRect).to_bool();
    Value = PropBag.ReadProperty("Value", default_Value).to_bool();
    HandPointer = PropBag.ReadProperty("HandPointer", default_HandPointer).to_bool();
    Picture = PropBag.ReadProperty("Picture", Nothing {}).to_picture();
    PictureGray = PropBag.ReadProperty("PictureGray", default_PictureGray).to_bool();
    // The host itself, not ww.Enabled: reading reports no change.
    UserControl.set_Enabled(PropBag.ReadProperty("Enabled", default_Enabled).to_bool());
    // These two go through their Set procedures, each reporting its change and repainting.
    set_Font(PropBag.ReadProperty("Font", UserControl.Ambient.Font).to_font());
    set_MouseIcon(PropBag.ReadProperty("MouseIcon", Nothing {}).to_picture());
    UserControl.set_MousePointer(PropBag.ReadProperty("MousePointer", default_MousePointer).to_integer());
}

void ww::UserControl_WriteProperties(PropertyBag& PropBag)
{
    const LONG longs[] = {ButtonShape,      ButtonStyle,   ButtonStyleColors, ButtonTheme, ButtonType,
                          CaptionAlignment, CaptionEffect, CaptionStyle,      DropDown,    PictureAlignment};
    static_assert(std::size(longs) == std::size(long_keys));
    for (size_t i = 0; i < std::size(longs); ++i)
        PropBag.WriteProperty(long_keys[i].name, longs[i], long_keys[i].default_value);

    // The border colours are what the last repaint left in the fields.
    const OLE_COLOR colours[] = {BackColor,          BackColorPressed, BackColorHover, BorderColor,
                                 BorderColorPressed, BorderColorHover, ForeColor,      ForeColorPressed,
                                 ForeColorHover,     EffectColor};
    static_assert(std::size(colours) == std::size(colour_keys));
    for (size_t i = 0; i < std::size(colours); ++i)
        PropBag.WriteProperty(colour_keys[i].name, colours[i], colour_keys[i].default_value);

    PropBag.WriteProperty("Caption", Caption, UserControl.Name());
    PropBag.WriteProperty("FocusRect", FocusRect, default_FocusRect);
    PropBag.WriteProperty("Value", Value, default_Value);
    PropBag.WriteProperty("HandPointer", HandPointer, default_HandPointer);
    PropBag.WriteProperty("Picture", Picture, Nothing {});
    PropBag.WriteProperty("PictureGray", PictureGray, default_PictureGray);
    PropBag.WriteProperty("Enabled", UserControl.Enabled(), default_Enabled);
    PropBag.WriteProperty("Font", UserControl.Font(), UserControl.Ambient.Font);
    PropBag.WriteProperty("MouseIcon", UserControl.MouseIcon(), Nothing {});
    PropBag.WriteProperty("MousePointer", UserControl.MousePointer(), default_MousePointer);
}

void ww::UserControl_Terminate()
{
    // Nothing of the control's own to release: the window region a shape renderer handed
    // over belongs to the window, and goes with it.
}

int32_t twips_to_himetric(double twips)
{
    const double himetric = std::nearbyint(twips * 2540.0 / 1440.0);
    if (!(himetric >= double(INT32_MIN) && himetric <= double(INT32_MAX)))
        throw platform::overflow_error();
    return int32_t(himetric);
}

double himetric_to_twips(int32_t himetric)
{
    return himetric * 1440.0 / 2540.0;
}

PropertyBag write_instance_set(ww& control, double twips_width, double twips_height)
{
    PropertyBag bag;
    // The container's keys carry no default: they are always there.
    bag.WriteProperty("_ExtentX", twips_to_himetric(twips_width), Nothing {});
    bag.WriteProperty("_ExtentY", twips_to_himetric(twips_height), Nothing {});
    control.UserControl.raise_WriteProperties(bag);
    return bag;
}

void read_instance_set(ww& control, PropertyBag& bag)
{
    platform::UserControl& host = control.UserControl;
    const int32_t width = bag.ReadProperty("_ExtentX", twips_to_himetric(host.Width())).to_long();
    const int32_t height = bag.ReadProperty("_ExtentY", twips_to_himetric(host.Height())).to_long();
    host.set_Width(float(himetric_to_twips(width)));
    host.set_Height(float(himetric_to_twips(height)));
    host.raise_ReadProperties(bag);
}

} // namespace button
