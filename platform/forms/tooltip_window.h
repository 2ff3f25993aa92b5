#pragma once
// The tip window behind the tooltip calls: its tools, its pointer watching and its face,
// shared by the files that do each.

#include "platform/forms/tooltip.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::tooltip_detail {

// The classic defaults: the double-click time, ten times it, a fifth of it.
inline constexpr int default_initial_ms = 500;
inline constexpr int default_autopop_ms = 5000;
inline constexpr int default_reshow_ms = 100;

inline constexpr uint32_t COLOR_WINDOWFRAME = 6;
inline constexpr uint32_t COLOR_INFOTEXT = 23;
inline constexpr uint32_t COLOR_INFOBK = 24;

// Neither null, nor the callback mark, nor a resource number.
bool is_text_pointer(const char* text);

struct Tool {
    UINT flags = 0;
    HWND hwnd = 0;
    uint32_t id = 0;
    RECT rect {};
    HINSTANCE hinst = 0;
    std::string text;
    bool callback = false;
    LPARAM lparam = 0;
    QPointer<QWidget> watched; // the widget a TTF_SUBCLASS tool follows

    bool is(HWND window, uint32_t tool_id) const { return hwnd == window && id == tool_id; }
};

// Where everything of a shown tip goes, in the tip's own pixels.
struct Layout {
    QRegion shape;
    QRegion inside;
    QRect icon;
    QRect title;
    QRect text;
    QString text_shown;
    int text_flags = 0;
};

class TipWindow final : public QWidget, public WindowBackend {
public:
    TipWindow(QWidget* owner, DWORD style, DWORD ex_style);
    ~TipWindow() override;

    HWND handle() const { return m_handle; }
    LRESULT answer(UINT message, WPARAM wparam, LPARAM lparam);
    void set_topmost(bool topmost) { m_topmost = topmost; }
    void pop();
    TipWindowState state() const;

    // WindowBackend
    POINT client_origin() const override
    {
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        return {origin.x(), origin.y()};
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    enum class Hover { Idle, Waiting, Shown, Done };

    BOOL add_tool(const TOOLINFOA& record);
    void delete_tool(const TOOLINFOA& record);
    BOOL enum_tool(WPARAM index, TOOLINFOA& record) const;
    void update_tip_text(const TOOLINFOA& record);
    BOOL set_title(WPARAM icon, const char* title);
    void set_delay(WPARAM type, LPARAM time);
    LRESULT delay(WPARAM type) const;

    Tool* find(HWND window, uint32_t id);
    Tool* current();
    QWidget* current_widget();
    const Tool* tool_at(const QWidget* widget, QPoint local) const;
    void watch(QWidget* widget);
    bool may_show(const Tool& tool) const;

    void pointer_at(QWidget* widget, QPoint local, QPoint global);
    void pointer_left();
    void initial_delay_over();
    void show_tip(const Tool& tool);
    void hide_tip();
    void refresh();
    void place();

    HWND m_handle;
    DWORD m_style;
    bool m_topmost;
    std::vector<Tool> m_tools;
    std::string m_title;
    WPARAM m_icon = TTI_NONE;
    int32_t m_max_width = -1;
    COLORREF m_back;
    COLORREF m_fore;
    int m_initial = default_initial_ms;
    int m_autopop = default_autopop_ms;
    int m_reshow = default_reshow_ms;

    QTimer m_wait;    // the initial (or reshow) delay
    QTimer m_visible; // the visible time
    Hover m_hover = Hover::Idle;
    std::optional<std::pair<HWND, uint32_t>> m_current; // the tool under the pointer
    QPoint m_pointer;            // screen pixels
    QElapsedTimer m_since_shown; // since the pointer left a shown tip
    std::string m_shown_text;
    QPoint m_anchor;
    Layout m_layout;
};

} // namespace platform::tooltip_detail
