#include "platform/host/user_control.h"

#include "platform/gdi/colour.h"
#include "platform/errors.h"

#include <cmath>

namespace platform {

namespace {

constexpr int ERR_INVALID_PROPERTY_VALUE = 380;

int twips_to_pixels(float twips)
{
    if (!std::isfinite(twips) || twips < 0 || twips > 15.0f * 32767)
        throw RuntimeError(ERR_INVALID_PROPERTY_VALUE, "Invalid property value");
    return int(std::lround(twips / twips_per_pixel));
}

} // namespace

UserControl::UserControl(std::string display_name)
    : m_window(create_window()), m_dc(m_surface), m_font(std::make_shared<StdFont>())
{
    Ambient.DisplayName = std::move(display_name);
    m_dc.pen = m_dc.text_colour = resolve_colour(m_fore_colour);
    m_surface.reset(0, 0, resolve_colour(m_back_colour));
}

UserControl::~UserControl()
{
    destroy_window(m_window);
}

HDC UserControl::hDC()
{
    sync_font();
    return &m_dc;
}

void UserControl::sync_font()
{
    if (m_font && !(m_dc.font == *m_font))
        m_dc.font = *m_font;
}

float UserControl::ScaleWidth() const
{
    return m_scale_mode == vbTwips ? Width() : float(m_surface.width());
}

float UserControl::ScaleHeight() const
{
    return m_scale_mode == vbTwips ? Height() : float(m_surface.height());
}

void UserControl::set_Width(float twips)
{
    resize_pixels(twips_to_pixels(twips), m_surface.height());
}

void UserControl::set_Height(float twips)
{
    resize_pixels(m_surface.width(), twips_to_pixels(twips));
}

void UserControl::resize_pixels(int width, int height)
{
    if (width == m_surface.width() && height == m_surface.height())
        return;
    m_surface.reset(width, height, resolve_colour(m_back_colour));
    if (m_site)
        m_site->size_changed(width, height);
    raise_Resize();
}

void UserControl::Cls()
{
    m_surface.fill(resolve_colour(m_back_colour));
    m_dc.position = {0, 0};
}

void UserControl::Refresh()
{
    ++m_refreshes;
    if (m_site)
        m_site->image_refreshed();
}

void UserControl::set_BackColor(OLE_COLOR colour)
{
    m_back_colour = colour;
    Cls();
}

void UserControl::set_ForeColor(OLE_COLOR colour)
{
    m_fore_colour = colour;
    m_dc.pen = m_dc.text_colour = resolve_colour(colour);
}

void UserControl::set_BackStyle(int style)
{
    if (style == m_back_style)
        return;
    m_back_style = style;
    if (m_site)
        m_site->back_style_changed(style);
}

void UserControl::set_Enabled(bool enabled)
{
    m_enabled = enabled;
    if (m_site)
        m_site->enabled_changed(enabled);
}

void UserControl::set_MousePointer(int16_t pointer)
{
    m_mouse_pointer = pointer;
    if (m_site)
        m_site->pointer_changed();
}

void UserControl::set_MouseIcon(Picture icon)
{
    m_mouse_icon = std::move(icon);
    if (m_site)
        m_site->pointer_changed();
}

void UserControl::set_Font(std::shared_ptr<StdFont> font)
{
    // A host always has a font; setting none leaves a default one.
    m_font = font ? std::move(font) : std::make_shared<StdFont>();
    sync_font();
}

void UserControl::PaintPicture(const Picture& picture, float x, float y)
{
    if (!picture)
        throw RuntimeError(ERR_INVALID_PICTURE, "Invalid picture");
    paint_picture(m_surface, *picture, int(std::lround(x)), int(std::lround(y)));
}

double UserControl::ScaleX(double value, int from, int to)
{
    auto to_pixels = [](double v, int unit) {
        switch (unit) {
        case vbHimetric: return himetric_to_pixels(v);
        case vbTwips: return v / twips_per_pixel;
        default: return v;
        }
    };
    const double pixels = to_pixels(value, from);
    switch (to) {
    case vbHimetric: return pixels * 2540.0 / 96.0;
    case vbTwips: return pixels * twips_per_pixel;
    default: return pixels;
    }
}

void UserControl::raise_Click()
{
    if (m_handlers && m_enabled)
        m_handlers->UserControl_Click();
}

void UserControl::raise_DblClick()
{
    if (m_handlers && m_enabled)
        m_handlers->UserControl_DblClick();
}

void UserControl::raise_GotFocus()
{
    if (m_handlers)
        m_handlers->UserControl_GotFocus();
}

void UserControl::raise_LostFocus()
{
    if (m_handlers)
        m_handlers->UserControl_LostFocus();
}

void UserControl::raise_KeyDown(int16_t& KeyCode, int16_t& Shift)
{
    if (m_handlers && m_enabled)
        m_handlers->UserControl_KeyDown(KeyCode, Shift);
}

void UserControl::raise_KeyPress(int16_t& KeyAscii)
{
    if (m_handlers && m_enabled)
        m_handlers->UserControl_KeyPress(KeyAscii);
}

void UserControl::raise_KeyUp(int16_t& KeyCode, int16_t& Shift)
{
    if (m_handlers && m_enabled)
        m_handlers->UserControl_KeyUp(KeyCode, Shift);
}

void UserControl::raise_MouseDown(int16_t& Button, int16_t& Shift, float& x, float& y)
{
    if (m_handlers && m_enabled)
        m_handlers->UserControl_MouseDown(Button, Shift, x, y);
}

void UserControl::raise_MouseMove(int16_t& Button, int16_t& Shift, float& x, float& y)
{
    if (m_handlers && m_enabled)
        m_handlers->UserControl_MouseMove(Button, Shift, x, y);
}

void UserControl::raise_MouseUp(int16_t& Button, int16_t& Shift, float& x, float& y)
{
    if (m_handlers && m_enabled)
        m_handlers->UserControl_MouseUp(Button, Shift, x, y);
}

void UserControl::raise_Paint()
{
    if (m_handlers)
        m_handlers->UserControl_Paint();
}

void UserControl::raise_Resize()
{
    if (m_handlers)
        m_handlers->UserControl_Resize();
}

void UserControl::raise_Show()
{
    if (m_handlers)
        m_handlers->UserControl_Show();
}

void UserControl::raise_InitProperties()
{
    if (m_handlers)
        m_handlers->UserControl_InitProperties();
}

void UserControl::raise_ReadProperties(PropertyBag& bag)
{
    if (m_handlers)
        m_handlers->UserControl_ReadProperties(bag);
}

void UserControl::raise_WriteProperties(PropertyBag& bag)
{
    if (m_handlers)
        m_handlers->UserControl_WriteProperties(bag);
}

void UserControl::raise_Terminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    if (m_handlers)
        m_handlers->UserControl_Terminate();
}

} // namespace platform
