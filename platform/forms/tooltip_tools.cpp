// A tip window's tool list: tools added, listed, updated, deleted, found; its title, delays.
#include "platform/forms/tooltip_window.h"

#include <algorithm>
#include <cstring>

namespace platform::tooltip_detail {

namespace {

std::string text_of(const char* text)
{
    return is_text_pointer(text) ? std::string(text) : std::string();
}

// At most `limit` bytes, never ending inside a UTF-8 sequence.
size_t cut_length(const std::string& text, size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    size_t length = limit;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

bool contains(const RECT& rect, QPoint point)
{
    return point.x() >= rect.left && point.x() < rect.right && point.y() >= rect.top && point.y() < rect.bottom;
}

} // namespace

bool is_text_pointer(const char* text)
{
    return text && text != LPSTR_TEXTCALLBACKA && reinterpret_cast<uintptr_t>(text) >= 0x10000;
}

BOOL TipWindow::add_tool(const TOOLINFOA& record)
{
    Tool tool;
    tool.flags = record.uFlags;
    tool.hwnd = record.hwnd;
    tool.id = record.uId;
    tool.rect = record.rect;
    tool.hinst = record.hinst;
    tool.callback = record.lpszText == LPSTR_TEXTCALLBACKA;
    tool.text = text_of(record.lpszText);
    tool.lparam = record.cbSize == TTTOOLINFOA_V2_SIZE ? record.lParam : 0;
    if (tool.flags & TTF_SUBCLASS)
        tool.watched = forms::widget_of((tool.flags & TTF_IDISHWND) ? HWND(tool.id) : tool.hwnd);
    if (tool.watched)
        watch(tool.watched);
    m_tools.push_back(std::move(tool));
    return TRUE;
}

void TipWindow::delete_tool(const TOOLINFOA& record)
{
    auto it = std::find_if(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.is(record.hwnd, record.uId); });
    if (it == m_tools.end())
        return;
    QPointer<QWidget> watched = it->watched;
    m_tools.erase(it);
    if (watched && std::none_of(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.watched == watched; }))
        watched->removeEventFilter(this);
    if (m_current && !current())
        pointer_left();
}

BOOL TipWindow::enum_tool(WPARAM index, TOOLINFOA& record) const
{
    if (index >= m_tools.size())
        return FALSE;
    const Tool& tool = m_tools[index];
    record.uFlags = tool.flags;
    record.hwnd = tool.hwnd;
    record.uId = tool.id;
    record.rect = tool.rect;
    record.hinst = tool.hinst;
    if (record.cbSize == TTTOOLINFOA_V2_SIZE)
        record.lParam = tool.lparam;
    if (tool.callback) {
        record.lpszText = LPSTR_TEXTCALLBACKA;
    } else if (is_text_pointer(record.lpszText)) {
        const size_t length = cut_length(tool.text, TOOLTIP_TEXT_BUFFER - 1);
        std::memcpy(record.lpszText, tool.text.data(), length);
        record.lpszText[length] = '\0';
    }
    return TRUE;
}

void TipWindow::update_tip_text(const TOOLINFOA& record)
{
    Tool* tool = find(record.hwnd, record.uId);
    if (!tool)
        return;
    tool->hinst = record.hinst;
    tool->callback = record.lpszText == LPSTR_TEXTCALLBACKA;
    tool->text = text_of(record.lpszText);
    if (m_hover == Hover::Shown && tool == current()) {
        m_shown_text = tool->text;
        refresh();
    }
}

BOOL TipWindow::set_title(WPARAM icon, const char* title)
{
    if (!title)
        return FALSE;
    m_icon = icon;
    m_title = title;
    refresh();
    return TRUE;
}

void TipWindow::set_delay(WPARAM type, LPARAM time)
{
    // The time is the low word, signed; a negative one restores the default.
    const int ms = int16_t(uint16_t(uint64_t(time) & 0xFFFF));
    switch (type) {
    case TTDT_AUTOMATIC:
        m_initial = ms < 0 ? default_initial_ms : ms;
        m_autopop = ms < 0 ? default_autopop_ms : 10 * ms;
        m_reshow = ms < 0 ? default_reshow_ms : ms / 5;
        break;
    case TTDT_RESHOW: m_reshow = ms < 0 ? default_reshow_ms : ms; break;
    case TTDT_AUTOPOP: m_autopop = ms < 0 ? default_autopop_ms : ms; break;
    case TTDT_INITIAL: m_initial = ms < 0 ? default_initial_ms : ms; break;
    default: break;
    }
}

LRESULT TipWindow::delay(WPARAM type) const
{
    switch (type) {
    case TTDT_RESHOW: return m_reshow;
    case TTDT_AUTOPOP: return m_autopop;
    case TTDT_INITIAL: return m_initial;
    default: return 0;
    }
}

Tool* TipWindow::find(HWND window, uint32_t id)
{
    auto it = std::find_if(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.is(window, id); });
    return it == m_tools.end() ? nullptr : &*it;
}

Tool* TipWindow::current()
{
    return m_current ? find(m_current->first, m_current->second) : nullptr;
}

QWidget* TipWindow::current_widget()
{
    Tool* tool = current();
    return tool ? tool->watched.data() : nullptr;
}

const Tool* TipWindow::tool_at(const QWidget* widget, QPoint local) const
{
    for (const Tool& tool : m_tools) {
        if (tool.watched != widget)
            continue;
        if ((tool.flags & TTF_IDISHWND) ? widget->rect().contains(local) : contains(tool.rect, local))
            return &tool;
    }
    return nullptr;
}

} // namespace platform::tooltip_detail
