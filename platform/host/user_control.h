#pragma once
// The host object of a self-drawing control: its child window, a persistent drawing
// surface with its device context, host and ambient properties, and the host events,
// which it hands to the control's handlers. Works without any window system (tests);
// a window shows it through a UserControlSite.

#include "platform/gdi/dc.h"
#include "platform/gdi/font.h"
#include "platform/host/picture.h"
#include "platform/gdi/surface.h"
#include "platform/host/window.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class PropertyBag;
// Drag-and-drop data; this platform starts no OLE drags, so nothing fills one.
class DataObject {};

// The control's handlers of the host events; arguments by reference, so the host sees
// what a handler (or the container it raises an event to) writes into them.
class UserControlHandlers {
public:
    virtual ~UserControlHandlers() = default;
    virtual void UserControl_Click() {}
    virtual void UserControl_DblClick() {}
    virtual void UserControl_GotFocus() {}
    virtual void UserControl_LostFocus() {}
    virtual void UserControl_KeyDown(int16_t& /*KeyCode*/, int16_t& /*Shift*/) {}
    virtual void UserControl_KeyPress(int16_t& /*KeyAscii*/) {}
    virtual void UserControl_KeyUp(int16_t& /*KeyCode*/, int16_t& /*Shift*/) {}
    virtual void UserControl_MouseDown(int16_t& /*Button*/, int16_t& /*Shift*/, float& /*x*/, float& /*y*/) {}
    virtual void UserControl_MouseMove(int16_t& /*Button*/, int16_t& /*Shift*/, float& /*x*/, float& /*y*/) {}
    virtual void UserControl_MouseUp(int16_t& /*Button*/, int16_t& /*Shift*/, float& /*x*/, float& /*y*/) {}
    virtual void UserControl_OLECompleteDrag(int32_t& /*Effect*/) {}
    virtual void UserControl_OLEDragDrop(DataObject*& /*Data*/, int32_t& /*Effect*/, int16_t& /*Button*/,
                                         int16_t& /*Shift*/, float& /*x*/, float& /*y*/) {}
    virtual void UserControl_OLEDragOver(DataObject*& /*Data*/, int32_t& /*Effect*/, int16_t& /*Button*/,
                                         int16_t& /*Shift*/, float& /*x*/, float& /*y*/, int16_t& /*State*/) {}
    virtual void UserControl_OLEGiveFeedback(int32_t& /*Effect*/, bool& /*DefaultCursors*/) {}
    virtual void UserControl_OLESetData(DataObject*& /*Data*/, int16_t& /*DataFormat*/) {}
    virtual void UserControl_OLEStartDrag(DataObject*& /*Data*/, int32_t& /*AllowedEffects*/) {}
    virtual void UserControl_Paint() {}
    virtual void UserControl_Resize() {}
    virtual void UserControl_Show() {}
    virtual void UserControl_InitProperties() {}
    virtual void UserControl_ReadProperties(PropertyBag& /*PropBag*/) {}
    virtual void UserControl_WriteProperties(PropertyBag& /*PropBag*/) {}
    virtual void UserControl_Terminate() {}
};

// Whatever shows the host on screen.
class UserControlSite {
public:
    virtual ~UserControlSite() = default;
    virtual void image_refreshed() {}
    virtual void size_changed(int /*width_px*/, int /*height_px*/) {}
    virtual void pointer_changed() {}
    virtual void enabled_changed(bool /*enabled*/) {}
    virtual void back_style_changed(int /*style*/) {}
};

struct Ambient {
    bool UserMode = true;
    std::string DisplayName;
    std::shared_ptr<StdFont> Font = std::make_shared<StdFont>();
};

inline constexpr int vbTwips = 1;
inline constexpr int vbPixels = 3;
inline constexpr int vbHimetric = 8;
inline constexpr int twips_per_pixel = 15;

class UserControl {
public:
    explicit UserControl(std::string display_name = {});
    ~UserControl();
    UserControl(const UserControl&) = delete;
    UserControl& operator=(const UserControl&) = delete;

    void set_handlers(UserControlHandlers* handlers) { m_handlers = handlers; }
    void set_site(UserControlSite* site) { m_site = site; }

    // Device context of the persistent image: pen and text colour follow ForeColor,
    // the font follows Font.
    HDC hDC();
    HWND hWnd() const { return m_window; }

    int ScaleMode() const { return m_scale_mode; }
    void set_ScaleMode(int mode) { m_scale_mode = mode; }
    // Inner size in the scale mode's unit (pixels once ScaleMode is 3).
    float ScaleWidth() const;
    float ScaleHeight() const;
    // Outer size in twips; a window is whole pixels, so a size snaps to 15 twips.
    float Width() const { return float(m_surface.width() * twips_per_pixel); }
    float Height() const { return float(m_surface.height() * twips_per_pixel); }
    void set_Width(float twips);
    void set_Height(float twips);
    int pixel_width() const { return m_surface.width(); }
    int pixel_height() const { return m_surface.height(); }

    bool AutoRedraw() const { return m_auto_redraw; }
    void set_AutoRedraw(bool on) { m_auto_redraw = on; }
    void Cls();
    void Refresh();

    OLE_COLOR BackColor() const { return m_back_colour; }
    void set_BackColor(OLE_COLOR colour);
    OLE_COLOR ForeColor() const { return m_fore_colour; }
    void set_ForeColor(OLE_COLOR colour);
    int BackStyle() const { return m_back_style; }
    void set_BackStyle(int style);
    bool Enabled() const { return m_enabled; }
    void set_Enabled(bool enabled);
    int16_t MousePointer() const { return m_mouse_pointer; }
    void set_MousePointer(int16_t pointer);
    const Picture& MouseIcon() const { return m_mouse_icon; }
    void set_MouseIcon(Picture icon);
    const std::shared_ptr<StdFont>& Font() const { return m_font; }
    void set_Font(std::shared_ptr<StdFont> font);

    Picture Image() const { return StdPicture::from_surface(m_surface); }
    OLE_COLOR MaskColor() const { return m_mask_colour; }
    void set_MaskColor(OLE_COLOR colour) { m_mask_colour = colour; }
    const Picture& MaskPicture() const { return m_mask_picture; }
    void set_MaskPicture(Picture picture) { m_mask_picture = std::move(picture); }

    // Draws at natural size, top-left at (x, y) in pixels.
    void PaintPicture(const Picture& picture, float x, float y);
    // Converts between scale units: vbHimetric, vbTwips, vbPixels.
    static double ScaleX(double value, int from, int to);
    static double ScaleY(double value, int from, int to) { return ScaleX(value, from, to); }

    // The control's own name as the host gives it (the control class, not the instance's
    // name in its container, which is Ambient.DisplayName).
    const std::string& Name() const { return m_name; }
    void set_Name(std::string name) { m_name = std::move(name); }

    platform::Ambient Ambient;
    // The properties changed since the container last cleared them, each once, in the order
    // first changed: a button enabled at every lookup of the day is one change, not thousands.
    void PropertyChanged(std::string_view name)
    {
        if (std::find(m_changed.begin(), m_changed.end(), name) == m_changed.end())
            m_changed.emplace_back(name);
    }
    const std::vector<std::string>& changed_properties() const { return m_changed; }
    void clear_changed_properties() { m_changed.clear(); }

    const Surface& surface() const { return m_surface; }
    int refresh_count() const { return m_refreshes; }

    // Host events. Input (mouse, keys, clicks) reaches a disabled control no more.
    void raise_Click();
    void raise_DblClick();
    void raise_GotFocus();
    void raise_LostFocus();
    void raise_KeyDown(int16_t& KeyCode, int16_t& Shift);
    void raise_KeyPress(int16_t& KeyAscii);
    void raise_KeyUp(int16_t& KeyCode, int16_t& Shift);
    void raise_MouseDown(int16_t& Button, int16_t& Shift, float& x, float& y);
    void raise_MouseMove(int16_t& Button, int16_t& Shift, float& x, float& y);
    void raise_MouseUp(int16_t& Button, int16_t& Shift, float& x, float& y);
    void raise_Paint();
    void raise_Resize();
    void raise_Show();
    void raise_InitProperties();
    void raise_ReadProperties(PropertyBag& bag);
    void raise_WriteProperties(PropertyBag& bag);
    // The instance ends: its handler runs once, then the window goes.
    void raise_Terminate();
    UserControlHandlers* handlers() const { return m_handlers; }

private:
    void resize_pixels(int width, int height);
    void sync_font();

    HWND m_window;
    std::string m_name = "UserControl";
    UserControlHandlers* m_handlers = nullptr;
    UserControlSite* m_site = nullptr;
    Surface m_surface;
    DeviceContext m_dc;
    int m_scale_mode = vbTwips;
    bool m_auto_redraw = false;
    OLE_COLOR m_back_colour = 0x8000000F;
    OLE_COLOR m_fore_colour = 0x80000012;
    int m_back_style = 1;
    bool m_enabled = true;
    int16_t m_mouse_pointer = 0;
    Picture m_mouse_icon;
    std::shared_ptr<StdFont> m_font;
    OLE_COLOR m_mask_colour = 0x8000000F;
    Picture m_mask_picture;
    std::vector<std::string> m_changed;
    int m_refreshes = 0;
    bool m_terminated = false;
};

} // namespace platform
