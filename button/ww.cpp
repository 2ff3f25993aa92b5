// Properties, presets and defaults of the button.

#include "button/ww.h"

#include "platform/errors.h"

#include <limits>

namespace button {

ww::ww(std::string display_name) : UserControl(std::move(display_name))
{
    UserControl.set_handlers(this);
    UserControl.set_Name("ww");
}

ww::~ww()
{
    UserControl.set_handlers(nullptr);
}

platform::HDC ww::hdc()
{
    return UserControl.hDC();
}

LONG ww::hWnd() const
{
    return LONG(UserControl.hWnd());
}

void ww::Refresh()
{
    UserControl.Refresh();
}

void ww::let_ButtonShape(LONG EBS)
{
    let(ButtonShape, EBS, "ButtonShape");
}

void ww::let_ButtonStyleColors(LONG EBSC)
{
    let(ButtonStyleColors, EBSC, "ButtonStyleColors");
}

void ww::let_ButtonType(LONG EBT)
{
    let(ButtonType, EBT, "ButtonType");
}

void ww::let_CaptionAlignment(LONG ECA)
{
    let(CaptionAlignment, ECA, "CaptionAlignment");
}

void ww::let_CaptionEffect(LONG ECE)
{
    let(CaptionEffect, ECE, "CaptionEffect");
}

void ww::let_CaptionStyle(LONG ECS)
{
    let(CaptionStyle, ECS, "CaptionStyle");
}

void ww::let_DropDown(LONG EDD)
{
    let(DropDown, EDD, "DropDown");
}

void ww::let_PictureAlignment(LONG EPA)
{
    let(PictureAlignment, EPA, "PictureAlignment");
}

void ww::let_BackColor(OLE_COLOR New_Color)
{
    let(BackColor, New_Color, "BackColor");
}

void ww::let_BackColorPressed(OLE_COLOR New_Color)
{
    let(BackColorPressed, New_Color, "BackColorPressed");
}

void ww::let_BackColorHover(OLE_COLOR New_Color)
{
    let(BackColorHover, New_Color, "BackColorHover");
}

void ww::let_BorderColor(OLE_COLOR New_Color)
{
    let(BorderColor, New_Color, "BorderColor");
}

void ww::let_BorderColorPressed(OLE_COLOR New_Color)
{
    let(BorderColorPressed, New_Color, "BorderColorPressed");
}

void ww::let_BorderColorHover(OLE_COLOR New_Color)
{
    let(BorderColorHover, New_Color, "BorderColorHover");
}

void ww::let_ForeColor(OLE_COLOR New_Color)
{
    let(ForeColor, New_Color, "ForeColor");
}

void ww::let_ForeColorPressed(OLE_COLOR New_Color)
{
    let(ForeColorPressed, New_Color, "ForeColorPressed");
}

void ww::let_ForeColorHover(OLE_COLOR New_Color)
{
    let(ForeColorHover, New_Color, "ForeColorHover");
}

void ww::let_EffectColor(OLE_COLOR New_Color)
{
    let(EffectColor, New_Color, "EffectColor");
}

void ww::let_Caption(std::string NewCaption)
{
    let(Caption, std::move(NewCaption), "Caption");
}

void ww::let_FocusRect(bool New_FocusRect)
{
    let(FocusRect, New_FocusRect, "FocusRect");
}

void ww::let_Value(bool New_Value)
{
    let(Value, New_Value, "Value");
}

void ww::let_HandPointer(bool New_HandPointer)
{
    let(HandPointer, New_HandPointer, "HandPointer");
}

void ww::let_PictureGray(bool New_PictureGray)
{
    let(PictureGray, New_PictureGray, "PictureGray");
}

void ww::let_ButtonStyle(LONG EBS)
{
    ButtonStyle = EBS;
    UserControl.PropertyChanged("ButtonStyle");
    // Style preset: the three face colours, and for 4 and 6 the fill unless it is none.
    switch (ButtonStyle) {
    case 1:
    case 2:
    case 3:
        BackColor = BackColorHover = BackColorPressed = 0x8000000F;
        break;
    case 4:
        BackColor = BackColorHover = 0x8000000F;
        BackColorPressed = 0x999999;
        if (ButtonStyleColors != FillNone)
            ButtonStyleColors = FillSolid;
        break;
    case 5:
        BackColor = 0x8000000F;
        BackColorHover = 0xB6A59F;
        BackColorPressed = 0xAF8C80;
        break;
    case 6:
        BackColor = 0xD2DEDD;
        BackColorHover = BackColorPressed = 0xFFFFFF;
        if (ButtonStyleColors != FillNone)
            ButtonStyleColors = FillVertical;
        break;
    case 7:
        BackColor = 0xD8D8D8;
        BackColorHover = 0xF7DBA5;
        BackColorPressed = 0xEFCE92;
        break;
    case 8:
        BackColor = BackColorHover = BackColorPressed = 0x80000001;
        break;
    default:
        break;
    }
    UserControl_Paint();
}

namespace {

struct Theme {
    OLE_COLOR back, hover, pressed, border;
};

constexpr Theme themes[] = {
    {0xF1B39A, 0xFDF7F4, 0xFAE6DD, 0xF1B39A},
    {0x3DB4A2, 0xDFF4F2, 0xB8E7E0, 0x3DB4A2},
    {0xB5A09D, 0xF7F5F4, 0xECE7E6, 0xB5A09D},
    {0xABC2C2, 0xF2F8F8, 0xE6EDEE, 0xABC2C2},
    {0x02C5F5, 0xE2F9FF, 0xAFEFFE, 0x02C5F5},
    {0x26368B, 0x4763FF, 0x425CEE, 0x0000FF},
    {0x578B2E, 0x9FFF54, 0x80CD43, 0x00FF00},
    {0x8B4027, 0xFF7648, 0xCD5F3A, 0xFF0000},
};

} // namespace

void ww::let_ButtonTheme(LONG EBT)
{
    ButtonTheme = EBT;
    UserControl.PropertyChanged("ButtonTheme");
    if (ButtonTheme >= 1 && ButtonTheme <= 8) {
        const Theme& theme = themes[ButtonTheme - 1];
        BackColor = theme.back;
        BackColorHover = theme.hover;
        BackColorPressed = theme.pressed;
        BorderColor = BorderColorHover = BorderColorPressed = theme.border;
    }
    UserControl_Paint();
}

void ww::set_Picture(platform::Picture New_Picture)
{
    Picture = std::move(New_Picture);
    UserControl.PropertyChanged("Picture");
    UserControl_Paint();
}

bool ww::get_Enabled() const
{
    return UserControl.Enabled();
}

void ww::let_Enabled(bool New_Enabled)
{
    UserControl.set_Enabled(New_Enabled);
    UserControl.PropertyChanged("Enabled");
    UserControl_Paint();
}

const std::shared_ptr<platform::StdFont>& ww::get_Font() const
{
    return UserControl.Font();
}

void ww::set_Font(std::shared_ptr<platform::StdFont> New_Font)
{
    UserControl.set_Font(std::move(New_Font));
    UserControl.PropertyChanged("Font");
    UserControl_Paint();
}

LONG ww::get_MousePointer() const
{
    return UserControl.MousePointer();
}

void ww::let_MousePointer(LONG New_MousePointer)
{
    // The host keeps 16 bits: a wider value fails before the host is asked.
    if (New_MousePointer < std::numeric_limits<int16_t>::min() ||
        New_MousePointer > std::numeric_limits<int16_t>::max())
        throw platform::overflow_error();
    UserControl.set_MousePointer(int16_t(New_MousePointer));
    UserControl.PropertyChanged("MousePointer");
    UserControl_Paint();
}

const platform::Picture& ww::get_MouseIcon() const
{
    return UserControl.MouseIcon();
}

void ww::set_MouseIcon(platform::Picture New_MouseIcon)
{
    UserControl.set_MouseIcon(std::move(New_MouseIcon));
    UserControl.PropertyChanged("MouseIcon");
    UserControl_Paint();
}

void ww::ShowAbout() {}

void ww::UserControl_InitProperties()
{
    UserControl.set_Width(1200);
    UserControl.set_Height(500);
    ButtonStyle = 1;
    ButtonStyleColors = FillSolid;
    ButtonShape = ShapeRectangle;
    CaptionAlignment = AlignCenter;
    PictureAlignment = AlignCenter;
    ButtonTheme = 0;
    BackColor = BackColorPressed = BackColorHover = 0x8000000F;
    ButtonType = PushButton;
    CaptionStyle = TextPlain;
    CaptionEffect = EffectNone;
    DropDown = DropDownNone;
    ForeColor = 0;
    ForeColorPressed = 0xFF;
    ForeColorHover = 0xFF0000;
    EffectColor = 0xFFFFFF;
    Caption = UserControl.Ambient.DisplayName;
    FocusRect = true;
    Value = false;
    HandPointer = false;
    Picture = nullptr;
    PictureGray = false;
    UserControl.set_Enabled(true);
    UserControl.Font()->name = "Tahoma";
    UserControl_Paint();
}

} // namespace button
