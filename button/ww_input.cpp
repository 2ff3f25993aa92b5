// Input states and events: each handler changes the private state first, then
// repaints, and raises the control's own event last.

#include "button/ww.h"

#include "platform/host/window.h"

namespace button {

namespace {

constexpr int16_t vbKeyReturn = 13;
constexpr int16_t vbKeySpace = 32;

template <typename Handler, typename... Args>
void raise(const Handler& handler, Args&... args)
{
    if (handler)
        handler(args...);
}

} // namespace

void ww::UserControl_Click()
{
    if (get_ButtonType() == ToggleButton)
        Value = !ButtonDown;
    UserControl_Paint();
    raise(events.Click);
}

void ww::UserControl_DblClick()
{
    ButtonDown = true;
    UserControl_Paint();
    raise(events.DblClick);
}

void ww::UserControl_GotFocus()
{
    HasFocus = true;
    UserControl_Paint();
}

void ww::UserControl_LostFocus()
{
    HasFocus = false;
    UserControl_Paint();
}

void ww::UserControl_KeyDown(int16_t& KeyCode, int16_t& Shift)
{
    if (KeyCode == vbKeySpace || KeyCode == vbKeyReturn) {
        ButtonDown = true;
        UserControl_Paint();
    }
    raise(events.KeyDown, KeyCode, Shift);
}

void ww::UserControl_KeyPress(int16_t& KeyAscii)
{
    raise(events.KeyPress, KeyAscii);
}

void ww::UserControl_KeyUp(int16_t& KeyCode, int16_t& Shift)
{
    if (ButtonDown) {
        ButtonDown = false;
        UserControl_Paint();
        // Enter's release presses the button again, as a mouse press at (0, 0) would.
        if (KeyCode == vbKeyReturn) {
            int16_t button = 0, shift = 0;
            float x = 0, y = 0;
            UserControl_MouseDown(button, shift, x, y);
        }
    }
    raise(events.KeyUp, KeyCode, Shift);
}

void ww::UserControl_MouseDown(int16_t& Button, int16_t& Shift, float& x, float& y)
{
    ButtonDown = true;
    UserControl_Paint();
    raise(events.MouseDown, Button, Shift, x, y);
}

void ww::UserControl_MouseMove(int16_t& Button, int16_t& Shift, float& x, float& y)
{
    POINT pointer {};
    platform::GetCursorPos(&pointer);
    platform::ScreenToClient(UserControl.hWnd(), &pointer);
    if (!UserControl.Ambient.UserMode)
        return;

    const double px = pointer.x, py = pointer.y;
    const bool inside = px >= 0 && py >= 0 && px <= W() && py <= H();
    // Holding the capture while inside is how the move that leaves arrives here.
    if (inside)
        platform::SetCapture(UserControl.hWnd());
    else
        platform::ReleaseCapture();

    if (inside != MouseOver.value_or(false)) {
        MouseOver = inside;
        ButtonDown = false;
        UserControl_Paint();
    }
    raise(events.MouseMove, Button, Shift, x, y);
}

void ww::UserControl_MouseUp(int16_t& Button, int16_t& Shift, float& x, float& y)
{
    if (platform::GetCapture() != UserControl.hWnd())
        platform::SetCapture(UserControl.hWnd());
    ButtonDown = false;
    UserControl_Paint();
    raise(events.MouseUp, Button, Shift, x, y);
}

void ww::UserControl_OLECompleteDrag(int32_t& Effect)
{
    raise(events.OLECompleteDrag, Effect);
}

void ww::UserControl_OLEDragDrop(platform::DataObject*& Data, int32_t& Effect, int16_t& Button, int16_t& Shift,
                                 float& x, float& y)
{
    raise(events.OLEDragDrop, Data, Effect, Button, Shift, x, y);
}

void ww::UserControl_OLEDragOver(platform::DataObject*& Data, int32_t& Effect, int16_t& Button, int16_t& Shift,
                                 float& x, float& y, int16_t& State)
{
    raise(events.OLEDragOver, Data, Effect, Button, Shift, x, y, State);
}

void ww::UserControl_OLEGiveFeedback(int32_t& Effect, bool& DefaultCursors)
{
    raise(events.OLEGiveFeedback, Effect, DefaultCursors);
}

void ww::UserControl_OLESetData(platform::DataObject*& Data, int16_t& DataFormat)
{
    raise(events.OLESetData, Data, DataFormat);
}

void ww::UserControl_OLEStartDrag(platform::DataObject*& Data, int32_t& AllowedEffects)
{
    raise(events.OLEStartDrag, Data, AllowedEffects);
}

void ww::UserControl_Resize()
{
    UserControl_Paint();
}

void ww::UserControl_Show()
{
    UserControl_Paint();
}

} // namespace button
