#pragma once
// cToolTipEx: one balloon tip window for an owner window, and tips on that window's
// controls. Every operation is a message to the tip window, which does the hovering, the
// timing and the drawing itself; the class keeps no list of tools and tests no result.

#include "platform/forms/tooltip.h"

#include <cstdint>
#include <optional>
#include <string>

namespace app {

class cToolTipEx {
public:
    // The application instance handle that the tool records carry.
    explicit cToolTipEx(platform::HINSTANCE hInstance);
    // Class_Terminate: destroys the tip window, if it is still ours.
    ~cToolTipEx();
    cToolTipEx(const cToolTipEx&) = delete;
    cToolTipEx& operator=(const cToolTipEx&) = delete;

    // -1 for a width, a delay or a colour means none given: nothing is sent for it.
    void CreateToolTip(platform::HWND FormHandle, int32_t inTTStyle = 0, int32_t inTTIcon = 0,
                       const std::string& strTTTitle = {}, int32_t iTTWidth = -1, int32_t inTTDelayTime = -1,
                       int32_t inTTVisibleTime = -1, int32_t lBackColor = -1, int32_t lForeColor = -1);
    void AddToolTip(platform::HWND CtlhWnd, const std::string& strTTText, int32_t inTTshParam = 0);
    void DestroyToolTip();
    // True when it deleted a tool; otherwise the empty value (std::nullopt), which tests as False.
    std::optional<bool> RemoveToolTip(platform::HWND CtlhWnd);

    int16_t ToolTipCount() const;
    int16_t MaxToolTipWidth() const;
    void set_MaxToolTipWidth(int16_t cx);
    std::string ToolTipText(platform::HWND CtrlhWnd) const;
    void set_ToolTipText(platform::HWND CtrlhWnd, const std::string& sText);
    int32_t BackColor() const;
    void set_BackColor(int32_t inColor);
    int32_t ForeColor() const;
    void set_ForeColor(int32_t inColor);
    int32_t DelayTime(int32_t dwType) const;
    void set_DelayTime(int32_t dwType, int32_t dwMilliSecs);

    platform::HWND hWndTT() const { return m_hWndTT; }

private:
    struct FoundTool;
    bool FindTool(platform::HWND CtlhWnd, FoundTool& tool) const;
    static int16_t LoWord(int32_t value);

    platform::HINSTANCE m_hInstance;
    platform::HWND m_hWndTT = 0;
};

} // namespace app
