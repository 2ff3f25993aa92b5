#pragma once
// A program window on screen: an optional menu bar above a client area of the size the
// definition gives, which paints the background picture at its natural size.

#include <QImage>
#include <QWidget>

#include <functional>

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:

    QWidget* m_client;
    QMenuBar* m_menu_bar = nullptr;
    std::function<bool()> m_close_handler;
    bool m_closing = false;
};

} // namespace platform::forms
