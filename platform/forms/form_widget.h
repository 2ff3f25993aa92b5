#pragma once
// A program window on screen: an optional menu bar above a client area of the size the
// definition gives, which paints the background picture at its natural size in the classic
// colours. It moves the keyboard focus in the order of the controls' tab places, comes onto
// the screen when shown, and keeps out of the taskbar when asked to.

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

class QMenuBar;

namespace platform::forms {

class FormWidget final : public QWidget {
public:
    FormWidget();

    QWidget* client() const { return m_client; }
    QMenuBar* menu_bar();
    void set_client_size(int width, int height);
    void set_background(QImage image);
    // Asked before the window closes; false keeps it open.
    void set_close_handler(std::function<bool()> handler) { m_close_handler = std::move(handler); }
    void close_without_asking();
    // Places the menu bar (now that it holds its menus) and the client area under it.
    void layout_client();
    // The controls' widgets by tab place, lowest first: Tab and Shift+Tab go through them,
    // and a window first shown gives the focus to the first that takes it.
    void set_tab_order(std::vector<QPointer<QWidget>> order) { m_tab_order = std::move(order); }
    void set_shown_in_taskbar(bool shown) { m_shown_in_taskbar = shown; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool is_tab_stop(size_t place) const;
    // A window placed past the screen's available area is moved onto it.
    void keep_on_screen();

    // First: a child made in the constructor already sends this widget its events.
    bool m_frame_pending = false; // shown, its window manager's frame not known yet
    QWidget* m_client;
    QMenuBar* m_menu_bar = nullptr;
    std::function<bool()> m_close_handler;
    bool m_closing = false;
    std::vector<QPointer<QWidget>> m_tab_order;
    bool m_shown_in_taskbar = true;
};

} // namespace platform::forms
