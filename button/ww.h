#pragma once
// The self-drawing push button. It keeps its properties and input state in the fields
// below, repaints itself completely after every change, and raises its events to the
// window that holds it.

#include "platform/gdi/gradient.h"
#include "platform/host/picture.h"
#include "platform/host/user_control.h"
#include "platform/win_types.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace button {

using platform::LONG;
using platform::OLE_COLOR;
using platform::POINT;

// One triangle's or arrow's table: region, outline, style edges, focus outline
// (button/shape_polygons.cpp).
struct PolygonShape;

// x, y: the top-left corner; width, height: the size (pixels).
struct Box {
    LONG x = 0;
    LONG y = 0;
    LONG width = 0;
    LONG height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

enum : LONG {
    ShapeRectangle = 0,
    ShapeRoundedRectangle = 1,
    ShapeEllipse = 2,
    ShapeDiamond = 3,
    ShapeTriangleUp = 4,
    ShapeTriangleLeft = 5,
    ShapeTriangleRight = 6,
    ShapeTriangleDown = 7,
    ShapeArrowUp = 8,
    ShapeArrowLeft = 9,
    ShapeArrowRight = 10,
    ShapeArrowDown = 11,
};
enum : LONG {
    FillNone = 0,
    FillSolid = 1,
    FillHorizontal = 2,
    FillVertical = 3,
    FillVerticalCenter = 4,
    FillVerticalEdges = 5,
    FillHorizontalCenter = 6,
    FillHorizontalEdges = 7,
};
enum : LONG { PushButton = 0, ToggleButton = 1 };
enum : LONG { AlignTop = 0, AlignLeft = 1, AlignCenter = 2, AlignRight = 3, AlignBottom = 4 };
enum : LONG { EffectNone = 0, EffectRaised = 1, EffectShadow = 2, EffectOutline = 3 };
enum : LONG { TextPlain = 0, TextGradientHorizontal = 1, TextGradientVertical = 2 };
enum : LONG { DropDownNone = 0, DropDownLeft = 1, DropDownRight = 2 };

// The container's handlers of the control's 14 events; arguments by reference.
struct wwEvents {
    using DataObject = platform::DataObject;
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void(int16_t& KeyCode, int16_t& Shift)> KeyDown;
    std::function<void(int16_t& KeyAscii)> KeyPress;
    std::function<void(int16_t& KeyCode, int16_t& Shift)> KeyUp;
    std::function<void(int16_t& Button, int16_t& Shift, float& x, float& y)> MouseDown;
    std::function<void(int16_t& Button, int16_t& Shift, float& x, float& y)> MouseMove;
    std::function<void(int16_t& Button, int16_t& Shift, float& x, float& y)> MouseUp;
    std::function<void(int32_t& Effect)> OLECompleteDrag;
    std::function<void(DataObject*& Data, int32_t& Effect, int16_t& Button, int16_t& Shift, float& x, float& y)>
        OLEDragDrop;
    std::function<void(DataObject*& Data, int32_t& Effect, int16_t& Button, int16_t& Shift, float& x, float& y,
                       int16_t& State)>
        OLEDragOver;
    std::function<void(int32_t& Effect, bool& DefaultCursors)> OLEGiveFeedback;
    std::function<void(DataObject*& Data, int16_t& DataFormat)> OLESetData;
    std::function<void(DataObject*& Data, int32_t& AllowedEffects)> OLEStartDrag;
};

class ww final : public platform::UserControlHandlers {
public:
    // `display_name` is the instance's name in its container, such as "ww1".
    explicit ww(std::string display_name = "ww1");
    ~ww() override;
    ww(const ww&) = delete;
    ww& operator=(const ww&) = delete;

    // The host object; the forms run time raises its events.
    platform::UserControl UserControl;
    wwEvents events;

    // Members, in their public order.
    platform::HDC hdc();
    LONG hWnd() const;
    void Refresh();

    LONG get_ButtonShape() const { return ButtonShape; }
    void let_ButtonShape(LONG EBS);
    LONG get_ButtonStyle() const { return ButtonStyle; }
    void let_ButtonStyle(LONG EBS);
    LONG get_ButtonStyleColors() const { return ButtonStyleColors; }
    void let_ButtonStyleColors(LONG EBSC);
    LONG get_ButtonTheme() const { return ButtonTheme; }
    void let_ButtonTheme(LONG EBT);
    LONG get_ButtonType() const { return ButtonType; }
    void let_ButtonType(LONG EBT);
    LONG get_CaptionAlignment() const { return CaptionAlignment; }
    void let_CaptionAlignment(LONG ECA);
    LONG get_CaptionEffect() const { return CaptionEffect; }
    void let_CaptionEffect(LONG ECE);
    LONG get_CaptionStyle() const { return CaptionStyle; }
    void let_CaptionStyle(LONG ECS);
    LONG get_DropDown() const { return DropDown; }
    void let_DropDown(LONG EDD);
    LONG get_PictureAlignment() const { return PictureAlignment; }
    void let_PictureAlignment(LONG EPA);
    OLE_COLOR get_BackColor() const { return BackColor; }
    void let_BackColor(OLE_COLOR New_Color);
    OLE_COLOR get_BackColorPressed() const { return BackColorPressed; }
    void let_BackColorPressed(OLE_COLOR New_Color);
    OLE_COLOR get_BackColorHover() const { return BackColorHover; }
    void let_BackColorHover(OLE_COLOR New_Color);
    OLE_COLOR get_BorderColor() const { return BorderColor; }
    void let_BorderColor(OLE_COLOR New_Color);
    OLE_COLOR get_BorderColorPressed() const { return BorderColorPressed; }
    void let_BorderColorPressed(OLE_COLOR New_Color);
    OLE_COLOR get_BorderColorHover() const { return BorderColorHover; }
    void let_BorderColorHover(OLE_COLOR New_Color);
    OLE_COLOR get_ForeColor() const { return ForeColor; }
    void let_ForeColor(OLE_COLOR New_Color);
    OLE_COLOR get_ForeColorPressed() const { return ForeColorPressed; }
    void let_ForeColorPressed(OLE_COLOR New_Color);
    OLE_COLOR get_ForeColorHover() const { return ForeColorHover; }
    void let_ForeColorHover(OLE_COLOR New_Color);
    OLE_COLOR get_EffectColor() const { return EffectColor; }
    void let_EffectColor(OLE_COLOR New_Color);
    const std::string& get_Caption() const { return Caption; }
    void let_Caption(std::string NewCaption);
    bool get_FocusRect() const { return FocusRect; }
    void let_FocusRect(bool New_FocusRect);
    bool get_Value() const { return Value; }
    void let_Value(bool New_Value);
    bool get_HandPointer() const { return HandPointer; }
    void let_HandPointer(bool New_HandPointer);
    const platform::Picture& get_Picture() const { return Picture; }
    void set_Picture(platform::Picture New_Picture);
    bool get_PictureGray() const { return PictureGray; }
    void let_PictureGray(bool New_PictureGray);
    bool get_Enabled() const;
    void let_Enabled(bool New_Enabled);
    const std::shared_ptr<platform::StdFont>& get_Font() const;
    void set_Font(std::shared_ptr<platform::StdFont> New_Font);
    LONG get_MousePointer() const;
    void let_MousePointer(LONG New_MousePointer);
    const platform::Picture& get_MouseIcon() const;
    void set_MouseIcon(platform::Picture New_MouseIcon);
    void ShowAbout();

    // Host event handlers.
    void UserControl_Click() override;
    void UserControl_DblClick() override;
    void UserControl_GotFocus() override;
    void UserControl_LostFocus() override;
    void UserControl_KeyDown(int16_t& KeyCode, int16_t& Shift) override;
    void UserControl_KeyPress(int16_t& KeyAscii) override;
    void UserControl_KeyUp(int16_t& KeyCode, int16_t& Shift) override;
    void UserControl_MouseDown(int16_t& Button, int16_t& Shift, float& x, float& y) override;
    void UserControl_MouseMove(int16_t& Button, int16_t& Shift, float& x, float& y) override;
    void UserControl_MouseUp(int16_t& Button, int16_t& Shift, float& x, float& y) override;
    void UserControl_OLECompleteDrag(int32_t& Effect) override;
    void UserControl_OLEDragDrop(platform::DataObject*& Data, int32_t& Effect, int16_t& Button, int16_t& Shift,
                                 float& x, float& y) override;
    void UserControl_OLEDragOver(platform::DataObject*& Data, int32_t& Effect, int16_t& Button, int16_t& Shift,
                                 float& x, float& y, int16_t& State) override;
    void UserControl_OLEGiveFeedback(int32_t& Effect, bool& DefaultCursors) override;
    void UserControl_OLESetData(platform::DataObject*& Data, int16_t& DataFormat) override;
    void UserControl_OLEStartDrag(platform::DataObject*& Data, int32_t& AllowedEffects) override;
    void UserControl_Paint() override;
    void UserControl_Resize() override;
    void UserControl_Show() override;
    void UserControl_InitProperties() override;
    void UserControl_ReadProperties(platform::PropertyBag& PropBag) override;
    void UserControl_WriteProperties(platform::PropertyBag& PropBag) override;
    void UserControl_Terminate() override;

    // Read-only views of the private state, for the window layer and tests.
    bool is_down() const { return ButtonDown; }
    std::optional<bool> mouse_over() const { return MouseOver; }
    bool has_focus() const { return HasFocus; }
    Box caption_rect() const { return CaptionRect; }
    Box picture_rect() const { return PictureRect; }
    platform::HRGN shape_region() const { return ShapeRegion; }

private:
    // Paint phases, in the order of one paint.
    void SetUpSurface();
    void ApplySizeRules();
    void SetHandCursor();
    void ApplyToggleRule();
    void ChooseFillColours();
    void FillBackground();
    void PaintStyleLook();
    void PaintPicturePhase();
    void PlaceCaption();
    void DrawCaptionText();
    void PaintCaptionRamps();
    void SetMaskAndPen();
    void DrawShape();
    void DotFocusOutline();
    void DrawCaptionFocusRect();
    void DrawDropDownArrow();
    void FinishPaint();

    // Shape renderers.
    void DrawRectangle();
    void DrawRoundedRectangle();
    void DrawEllipse();
    void DrawDiamond();
    void DrawTriangleUp();
    void DrawTriangleLeft();
    void DrawTriangleRight();
    void DrawTriangleDown();
    void DrawArrowUp();
    void DrawArrowLeft();
    void DrawArrowRight();
    void DrawArrowDown();
    // The frame the triangles and arrows share, driven by one shape's table.
    void DrawPolygonShape(const PolygonShape& shape);
    // The diamond's own dotting of its focus outline, before Paint's.
    void DotDiamondFocus();

    // Every setter's steps: store, mark changed by the exact name, repaint.
    template <typename T>
    void let(T& field, T value, const char* name)
    {
        field = std::move(value);
        UserControl.PropertyChanged(name);
        UserControl_Paint();
    }

    void SplitRGB(OLE_COLOR Color, LONG& R, LONG& G, LONG& B);
    // Splits c0 into vertex 0's channels and c1 into vertex 1's.
    void SplitPair(OLE_COLOR c0, OLE_COLOR c1);
    // One gradient fill over the rectangle that the two vertices span.
    void Gradient(uint32_t mode, POINT v0, POINT v1);
    // A point list in the current pen: MoveToEx to the first, LineTo each further one.
    void Polyline(std::initializer_list<POINT> points);
    void SetPen(OLE_COLOR colour) { UserControl.set_ForeColor(colour); }
    bool pressed() const { return ButtonDown; }
    bool hover() const { return !ButtonDown && MouseOver.value_or(false); }
    bool focused() const { return FocusRect && HasFocus; }
    double W() const { return UserControl.ScaleWidth(); }
    double H() const { return UserControl.ScaleHeight(); }

    // Fields, in their order.
    LONG ButtonShape = 0;
    LONG ButtonStyle = 0;
    LONG ButtonStyleColors = 0;
    LONG ButtonTheme = 0;
    LONG ButtonType = 0;
    LONG CaptionAlignment = 0;
    LONG CaptionEffect = 0;
    LONG CaptionStyle = 0;
    LONG DropDown = 0;
    LONG PictureAlignment = 0;
    OLE_COLOR BackColor = 0;
    OLE_COLOR BackColorPressed = 0;
    OLE_COLOR BackColorHover = 0;
    OLE_COLOR BorderColor = 0;
    OLE_COLOR BorderColorPressed = 0;
    OLE_COLOR BorderColorHover = 0;
    OLE_COLOR ForeColor = 0;
    OLE_COLOR ForeColorPressed = 0;
    OLE_COLOR ForeColorHover = 0;
    OLE_COLOR EffectColor = 0;
    std::string Caption;
    bool FocusRect = false;
    bool HasFocus = false;
    bool Value = false;
    bool HandPointer = false;
    platform::Picture Picture;
    bool PictureGray = false;
    Box CaptionRect;
    Box PictureRect;
    LONG DotX = 0;
    LONG DotY = 0;
    std::optional<bool> MouseOver; // empty until the first change
    bool ButtonDown = false;
    std::array<POINT, 8> RegionPoints {};
    std::array<POINT, 8> FocusPoints {};
    POINT PrevPoint {};
    platform::HRGN ShapeRegion = 0;

    // Working data of one paint: the two gradient vertices.
    std::array<platform::TRIVERTEX, 2> Vertex {};

    friend class wwTestAccess;
};

} // namespace button
