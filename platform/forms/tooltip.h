#pragma once
// The common-controls tooltip window ("tooltips_class32") on Qt, driven by the Win32 calls
// that make and steer it, and the map from window handles to the Qt widgets that show them.
//
// A tip window keeps its tools; a tool registered with TTF_SUBCLASS watches its control's
// widget itself: when the pointer rests on the control for the initial delay the tip shows
// next to the pointer, and it hides after the visible time, on a click, or when the pointer
// leaves. Tools without TTF_SUBCLASS would need TTM_RELAYEVENT, which this platform lacks:
// they are kept but never shown.

#include "platform/win_types.h"
#include "platform/host/window.h"

#include <QRect>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace platform {

using UINT = uint32_t;
using DWORD = uint32_t;
using HMENU = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// ---- comctl32

struct INITCOMMONCONTROLSEX {
    DWORD dwSize = 0;
    DWORD dwICC = 0;
};
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8);

inline constexpr DWORD ICC_BAR_CLASSES = 0x4; // toolbar, status bar, trackbar, tooltips
inline constexpr DWORD ICC_WIN95_CLASSES = 0xFF;

// The tooltip class is always there; this checks the record and answers as Windows does.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

inline constexpr const char* TOOLTIPS_CLASSA = "tooltips_class32";

// ---- windows

inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_EX_TOPMOST = 0x8;
inline constexpr int CW_USEDEFAULT = int(0x80000000);

inline constexpr DWORD TTS_ALWAYSTIP = 0x01; // also while the owner window is inactive
inline constexpr DWORD TTS_NOPREFIX = 0x02;  // keep '&' as it is
inline constexpr DWORD TTS_BALLOON = 0x40;

// Makes only tooltip windows; another class, or an owner that is no window, gives 0. The
// tip window goes with its owner: when the owner's widget is destroyed, so is the tip.
HWND CreateWindowExA(DWORD ex_style, const char* class_name, const char* window_name, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);

// Destroys the windows CreateWindowExA made; the forms run time's windows belong to their
// forms and are refused. A handle of a destroyed window names nothing: FALSE.
BOOL DestroyWindow(HWND window);

inline constexpr HWND HWND_TOPMOST = HWND(-1);
inline constexpr HWND HWND_NOTOPMOST = HWND(-2);
inline constexpr UINT SWP_NOSIZE = 0x1;
inline constexpr UINT SWP_NOMOVE = 0x2;
inline constexpr UINT SWP_NOZORDER = 0x4;
inline constexpr UINT SWP_NOACTIVATE = 0x10;
inline constexpr UINT SWP_SHOWWINDOW = 0x40;
inline constexpr UINT SWP_HIDEWINDOW = 0x80;

// Stacks a tip window (HWND_TOPMOST or HWND_NOTOPMOST) and hides it for SWP_HIDEWINDOW; a tip
// places itself each time it shows. Any other live window just answers TRUE.
BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int cx, int cy, UINT flags);

// {0, 0, width, height} of the window's client area: a window without a widget is empty.
// FALSE, `rect` untouched, for a handle that names no window.
BOOL GetClientRect(HWND window, RECT* rect);

// Tip windows answer the TTM_ messages below; any other window, or none, answers 0.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Told of every SendMessageA before the window answers (tests); an empty function stops it.
using MessageObserver = std::function<void(HWND window, UINT message, WPARAM wparam, LPARAM lparam)>;
void set_message_observer(MessageObserver observer);

// ---- tooltip messages (ANSI forms)

inline constexpr UINT WM_USER = 0x400;
inline constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
inline constexpr UINT TTM_ADDTOOLA = WM_USER + 4;
inline constexpr UINT TTM_DELTOOLA = WM_USER + 5;
inline constexpr UINT TTM_UPDATETIPTEXTA = WM_USER + 12;
inline constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
inline constexpr UINT TTM_ENUMTOOLSA = WM_USER + 14;
inline constexpr UINT TTM_SETTIPBKCOLOR = WM_USER + 19;
inline constexpr UINT TTM_SETTIPTEXTCOLOR = WM_USER + 20;
inline constexpr UINT TTM_GETDELAYTIME = WM_USER + 21;
inline constexpr UINT TTM_GETTIPBKCOLOR = WM_USER + 22;
inline constexpr UINT TTM_GETTIPTEXTCOLOR = WM_USER + 23;
inline constexpr UINT TTM_SETMAXTIPWIDTH = WM_USER + 24;
inline constexpr UINT TTM_GETMAXTIPWIDTH = WM_USER + 25;
inline constexpr UINT TTM_SETTITLEA = WM_USER + 32;

inline constexpr UINT TTF_IDISHWND = 0x01; // uId is the tool's window, the whole window is the tool
inline constexpr UINT TTF_CENTERTIP = 0x02;
inline constexpr UINT TTF_SUBCLASS = 0x10; // the tip watches the tool window's mouse itself

inline constexpr WPARAM TTI_NONE = 0;
inline constexpr WPARAM TTI_INFO = 1;
inline constexpr WPARAM TTI_WARNING = 2;
inline constexpr WPARAM TTI_ERROR = 3;

inline constexpr WPARAM TTDT_AUTOMATIC = 0; // initial as given, visible time 10x, reshow 1/5
inline constexpr WPARAM TTDT_RESHOW = 1;
inline constexpr WPARAM TTDT_AUTOPOP = 2;
inline constexpr WPARAM TTDT_INITIAL = 3;

// The text of a tool whose owner would supply it on demand; this platform sends no such
// notification, so the tool shows nothing.
inline char* const LPSTR_TEXTCALLBACKA = reinterpret_cast<char*>(intptr_t(-1));

// The tool record in its ANSI form up to lParam (no trailing reserved pointer). Its size is
// the version mark in cbSize: 44 on a 32-bit target, as the published record; 56 on a 64-bit
// one, where lpszText and lParam are 64 bits wide and lpszText starts on an 8-byte boundary.
struct TOOLINFOA {
    UINT cbSize = 0;
    UINT uFlags = 0;
    HWND hwnd = 0;
    uint32_t uId = 0; // a window handle for TTF_IDISHWND, else the owner's number for the tool
    RECT rect {};     // in hwnd's client pixels; ignored for TTF_IDISHWND
    HINSTANCE hinst = 0;
    char* lpszText = nullptr;
    LPARAM lParam = 0;
};

// Without lParam: the first version of the record, also accepted.
inline constexpr UINT TTTOOLINFOA_V1_SIZE = UINT(offsetof(TOOLINFOA, lParam));
inline constexpr UINT TTTOOLINFOA_V2_SIZE = UINT(sizeof(TOOLINFOA));
static_assert(sizeof(TOOLINFOA) == offsetof(TOOLINFOA, lParam) + sizeof(LPARAM), "the record ends after lParam");
static_assert(sizeof(void*) != 4 || sizeof(TOOLINFOA) == 44);

// TTM_ENUMTOOLS copies a tool's text into lpszText, which must hold this many bytes; a
// longer text is cut at a character boundary.
inline constexpr size_t TOOLTIP_TEXT_BUFFER = 80;

// What a tip window shows, for tests and screenshots.
struct TipWindowState {
    bool visible = false;
    bool balloon = false;
    bool topmost = false;
    std::string text;  // the text on screen, '&' prefixes resolved
    std::string title;
    int icon = 0;
    QRect geometry;    // screen pixels
};
std::optional<TipWindowState> tip_window_state(HWND window);

} // namespace platform

namespace platform::forms {

// The widget that shows a window, kept until the widget is destroyed or the handle dies;
// the forms run time registers its windows and controls here.
void register_window_widget(HWND window, QWidget* widget);
QWidget* widget_of(HWND window);

} // namespace platform::forms
