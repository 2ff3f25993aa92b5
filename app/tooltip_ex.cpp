#include "app/tooltip_ex.h"

#include <array>
#include <cstring>

namespace app {

using namespace platform;

namespace {

// A 32-bit argument as the message carries it: the bits as they are.
WPARAM as_wparam(int32_t value)
{
    return WPARAM(uint32_t(value));
}

LPARAM as_lparam(const void* pointer)
{
    return reinterpret_cast<LPARAM>(pointer);
}

} // namespace

// The record that FindTool fills, with the buffer its text is copied into.
struct cToolTipEx::FoundTool {
    TOOLINFOA ti;
    std::array<char, 81> buffer {};
    std::string text; // the buffer up to its first character of code 0
};

cToolTipEx::cToolTipEx(HINSTANCE hInstance) : m_hInstance(hInstance) {}

cToolTipEx::~cToolTipEx()
{
    DestroyToolTip();
}

void cToolTipEx::CreateToolTip(HWND FormHandle, int32_t inTTStyle, int32_t inTTIcon, const std::string& strTTTitle,
                               int32_t iTTWidth, int32_t inTTDelayTime, int32_t inTTVisibleTime, int32_t lBackColor,
                               int32_t lForeColor)
{
    const INITCOMMONCONTROLSEX icc {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    m_hWndTT = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, DWORD(inTTStyle) | WS_POPUP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, FormHandle, 0, m_hInstance, nullptr);
    SetWindowPos(m_hWndTT, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    if (!strTTTitle.empty() || inTTIcon != 0)
        SendMessageA(m_hWndTT, TTM_SETTITLEA, as_wparam(inTTIcon), as_lparam(strTTTitle.c_str()));
    if (iTTWidth != -1)
        SendMessageA(m_hWndTT, TTM_SETMAXTIPWIDTH, 0, iTTWidth);
    if (inTTDelayTime != -1)
        SendMessageA(m_hWndTT, TTM_SETDELAYTIME, TTDT_INITIAL, inTTDelayTime);
    if (inTTVisibleTime != -1)
        SendMessageA(m_hWndTT, TTM_SETDELAYTIME, TTDT_AUTOPOP, inTTVisibleTime);
    if (lBackColor != -1)
        SendMessageA(m_hWndTT, TTM_SETTIPBKCOLOR, as_wparam(lBackColor), 0);
    if (lForeColor != -1)
        SendMessageA(m_hWndTT, TTM_SETTIPTEXTCOLOR, as_wparam(lForeColor), 0);
}

void cToolTipEx::AddToolTip(HWND CtlhWnd, const std::string& strTTText, int32_t inTTshParam)
{
    std::string text = strTTText;
    TOOLINFOA ti;
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = UINT(inTTshParam) | TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = CtlhWnd;
    ti.uId = CtlhWnd;
    GetClientRect(CtlhWnd, &ti.rect);
    ti.hinst = m_hInstance;
    ti.lpszText = text.data();
    ti.lParam = 0;
    SendMessageA(m_hWndTT, TTM_ADDTOOLA, 0, as_lparam(&ti));
}

void cToolTipEx::DestroyToolTip()
{
    // Handles are never reused: a tip window gone with its owner leaves a handle that names nothing.
    DestroyWindow(m_hWndTT);
    m_hWndTT = 0;
}

std::optional<bool> cToolTipEx::RemoveToolTip(HWND CtlhWnd)
{
    if (m_hWndTT == 0)
        return std::nullopt;
    FoundTool tool;
    if (!FindTool(CtlhWnd, tool))
        return std::nullopt;
    SendMessageA(m_hWndTT, TTM_DELTOOLA, 0, as_lparam(&tool.ti));
    return true;
}

int16_t cToolTipEx::ToolTipCount() const
{
    if (m_hWndTT == 0)
        return 0;
    return int16_t(SendMessageA(m_hWndTT, TTM_GETTOOLCOUNT, 0, 0));
}

int16_t cToolTipEx::MaxToolTipWidth() const
{
    if (m_hWndTT == 0)
        return 0;
    return LoWord(int32_t(SendMessageA(m_hWndTT, TTM_GETMAXTIPWIDTH, 0, 0)));
}

void cToolTipEx::set_MaxToolTipWidth(int16_t cx)
{
    if (m_hWndTT != 0)
        SendMessageA(m_hWndTT, TTM_SETMAXTIPWIDTH, 0, int32_t(cx));
}

std::string cToolTipEx::ToolTipText(HWND CtrlhWnd) const
{
    FoundTool tool;
    return FindTool(CtrlhWnd, tool) ? tool.text : std::string();
}

void cToolTipEx::set_ToolTipText(HWND CtrlhWnd, const std::string& sText)
{
    FoundTool tool;
    if (!FindTool(CtrlhWnd, tool))
        return;
    std::string text = sText; // its data ends in a character of code 0
    tool.ti.lpszText = text.data();
    SendMessageA(m_hWndTT, TTM_UPDATETIPTEXTA, 0, as_lparam(&tool.ti));
}

int32_t cToolTipEx::BackColor() const
{
    return int32_t(SendMessageA(m_hWndTT, TTM_GETTIPBKCOLOR, 0, 0));
}

void cToolTipEx::set_BackColor(int32_t inColor)
{
    SendMessageA(m_hWndTT, TTM_SETTIPBKCOLOR, as_wparam(inColor), 0);
}

int32_t cToolTipEx::ForeColor() const
{
    return int32_t(SendMessageA(m_hWndTT, TTM_GETTIPTEXTCOLOR, 0, 0));
}

void cToolTipEx::set_ForeColor(int32_t inColor)
{
    SendMessageA(m_hWndTT, TTM_SETTIPTEXTCOLOR, as_wparam(inColor), 0);
}

int32_t cToolTipEx::DelayTime(int32_t dwType) const
{
    return int32_t(SendMessageA(m_hWndTT, TTM_GETDELAYTIME, as_wparam(dwType), 0));
}

void cToolTipEx::set_DelayTime(int32_t dwType, int32_t dwMilliSecs)
{
    SendMessageA(m_hWndTT, TTM_SETDELAYTIME, as_wparam(dwType), dwMilliSecs);
}

bool cToolTipEx::FindTool(HWND CtlhWnd, FoundTool& tool) const
{
    tool.ti.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.buffer.fill('\0');
    tool.ti.lpszText = tool.buffer.data();
    const int16_t count = ToolTipCount();
    bool found = false;
    for (int16_t index = 0; index < count && !found; ++index)
        found = SendMessageA(m_hWndTT, TTM_ENUMTOOLSA, WPARAM(index), as_lparam(&tool.ti)) != 0 &&
                tool.ti.uId == CtlhWnd;
    tool.text.assign(tool.buffer.data(), strnlen(tool.buffer.data(), tool.buffer.size()));
    return found;
}

int16_t cToolTipEx::LoWord(int32_t value)
{
    // Bit 15 is the sign: the low 16 bits with every higher bit set, else just the low 16 bits.
    if (value & 0x8000)
        return int16_t(int32_t(uint32_t(value & 0xFFFF) | 0xFFFF0000u));
    return int16_t(value & 0xFFFF);
}

} // namespace app
