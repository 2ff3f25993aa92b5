#include "app/probas.h"

#include "platform/services/shell.h"

namespace app {

void OpenURL(const platform::forms::Form& frm, const std::string& sURL)
{
    const platform::HWND hWnd = frm.hWnd();
    // The callers mean the page to be seen, so the window shows normally.
    platform::ShellExecuteA(hWnd, "Open", sURL.c_str(), nullptr, nullptr, platform::SW_SHOWNORMAL);
}

} // namespace app
