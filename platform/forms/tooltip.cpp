// The tooltip calls, the TTM_ messages a tip window answers, and the handle-to-widget map.
#include "platform/forms/tooltip.h"

#include "platform/forms/form_widget.h"
#include "platform/forms/tooltip_window.h"
#include "platform/gdi/colour.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string_view>
#include <utility>

namespace platform {

namespace {

using tooltip_detail::TipWindow;

// The widgets that show windows, and who watches the messages: process-wide, like the
// window handles they hang on.
struct TipRegistry {
    std::map<HWND, QWidget*> widgets;
    MessageObserver observer;
};

TipRegistry& registry()
{
    static TipRegistry instance;
    return instance;
}

bool record_size_ok(const TOOLINFOA* record)
{
    return record && (record->cbSize == TTTOOLINFOA_V1_SIZE || record->cbSize == TTTOOLINFOA_V2_SIZE);
}

bool same_class_name(const char* name, std::string_view wanted)
{
    if (!tooltip_detail::is_text_pointer(name) || std::strlen(name) != wanted.size())
        return false;
    return std::equal(wanted.begin(), wanted.end(), name, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

TipWindow* tip_of(HWND window)
{
    return dynamic_cast<TipWindow*>(forms::widget_of(window));
}

} // namespace

namespace tooltip_detail {

TipWindow::TipWindow(QWidget* owner, DWORD style, DWORD ex_style)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                         Qt::WindowTransparentForInput),
      m_handle(create_window(this)), m_style(style), m_topmost((ex_style & WS_EX_TOPMOST) != 0),
      m_back(*system_colour(COLOR_INFOBK)), m_fore(*system_colour(COLOR_INFOTEXT))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Coarse timers may fire 5% early; a delay is a least time.
    for (QTimer* timer : {&m_wait, &m_visible}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&m_wait, &QTimer::timeout, this, [this] { initial_delay_over(); });
    connect(&m_visible, &QTimer::timeout, this, [this] { pop(); });
    forms::register_window_widget(m_handle, this);
}

TipWindow::~TipWindow()
{
    destroy_window(m_handle);
}

LRESULT TipWindow::answer(UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* record = reinterpret_cast<TOOLINFOA*>(lparam);
    switch (message) {
    case TTM_ADDTOOLA:
        return record_size_ok(record) ? add_tool(*record) : FALSE;
    case TTM_DELTOOLA:
        if (record_size_ok(record))
            delete_tool(*record);
        return 0;
    case TTM_ENUMTOOLSA:
        return record_size_ok(record) ? enum_tool(wparam, *record) : FALSE;
    case TTM_UPDATETIPTEXTA:
        if (record_size_ok(record))
            update_tip_text(*record);
        return 0;
    case TTM_GETTOOLCOUNT:
        return LRESULT(m_tools.size());
    case TTM_SETTITLEA:
        return set_title(wparam, reinterpret_cast<const char*>(lparam));
    case TTM_SETMAXTIPWIDTH: {
        const int32_t previous = m_max_width;
        m_max_width = int32_t(lparam);
        refresh();
        return previous;
    }
    case TTM_GETMAXTIPWIDTH:
        return m_max_width;
    case TTM_SETTIPBKCOLOR:
        m_back = COLORREF(wparam);
        update();
        return 0;
    case TTM_SETTIPTEXTCOLOR:
        m_fore = COLORREF(wparam);
        update();
        return 0;
    case TTM_GETTIPBKCOLOR:
        return LRESULT(m_back);
    case TTM_GETTIPTEXTCOLOR:
        return LRESULT(m_fore);
    case TTM_SETDELAYTIME:
        set_delay(wparam, lparam);
        return 0;
    case TTM_GETDELAYTIME:
        return delay(wparam);
    default:
        return 0;
    }
}

} // namespace tooltip_detail

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    return init && init->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD ex_style, const char* class_name, const char* /*window_name*/, DWORD style, int /*x*/,
                     int /*y*/, int /*width*/, int /*height*/, HWND parent, HMENU /*menu*/, HINSTANCE /*instance*/,
                     void* /*param*/)
{
    // A tip places and sizes itself each time it shows.
    if (!same_class_name(class_name, TOOLTIPS_CLASSA))
        return 0;
    if (parent != 0 && !IsWindow(parent))
        return 0;
    auto* tip = new TipWindow(forms::widget_of(parent), style, ex_style);
    return tip->handle();
}

BOOL DestroyWindow(HWND window)
{
    TipWindow* tip = tip_of(window);
    if (!tip)
        return FALSE;
    delete tip;
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insert_after, int /*x*/, int /*y*/, int /*cx*/, int /*cy*/, UINT flags)
{
    TipWindow* tip = tip_of(window);
    if (!tip)
        return IsWindow(window);
    if (!(flags & SWP_NOZORDER) && (insert_after == HWND_TOPMOST || insert_after == HWND_NOTOPMOST))
        tip->set_topmost(insert_after == HWND_TOPMOST);
    if (flags & SWP_HIDEWINDOW)
        tip->pop();
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    if (!rect || !IsWindow(window))
        return FALSE;
    QWidget* widget = forms::widget_of(window);
    if (auto* form = dynamic_cast<forms::FormWidget*>(widget))
        widget = form->client();
    *rect = widget ? RECT {0, 0, widget->width(), widget->height()} : RECT {};
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (MessageObserver observer = registry().observer)
        observer(window, message, wparam, lparam);
    TipWindow* tip = tip_of(window);
    return tip ? tip->answer(message, wparam, lparam) : 0;
}

void set_message_observer(MessageObserver observer)
{
    registry().observer = std::move(observer);
}

std::optional<TipWindowState> tip_window_state(HWND window)
{
    const TipWindow* tip = tip_of(window);
    return tip ? std::optional(tip->state()) : std::nullopt;
}

} // namespace platform

namespace platform::forms {

void register_window_widget(HWND window, QWidget* widget)
{
    if (!widget || !IsWindow(window))
        return;
    registry().widgets[window] = widget;
    QObject::connect(widget, &QObject::destroyed, [window, widget] {
        auto& widgets = registry().widgets;
        if (auto it = widgets.find(window); it != widgets.end() && it->second == widget)
            widgets.erase(it);
    });
}

QWidget* widget_of(HWND window)
{
    if (!IsWindow(window))
        return nullptr;
    auto& widgets = registry().widgets;
    auto it = widgets.find(window);
    return it == widgets.end() ? nullptr : it->second;
}

} // namespace platform::forms
