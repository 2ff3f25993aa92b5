#include "platform/forms/form_widget.h"

#include "platform/font_engine.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QPainter>

namespace platform::forms {

namespace {

class ClientArea final : public QWidget {
public:
    explicit ClientArea(QWidget* parent) : QWidget(parent) {}
    QImage background;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (background.isNull())
            return;
        QPainter painter(this);
        painter.drawImage(0, 0, background);
    }
};

} // namespace

FormWidget::FormWidget() : m_client(new ClientArea(this))
{
    m_client->setAutoFillBackground(true);
}

QMenuBar* FormWidget::menu_bar()
{
    if (!m_menu_bar) {
        m_menu_bar = new QMenuBar(this);
        m_menu_bar->setNativeMenuBar(false);
        // The classic menu font, tight enough for the menus to fit the window's width.
        StdFont font;
        font.name = "Tahoma";
        m_menu_bar->setFont(qt_font_for(font));
        m_menu_bar->setStyleSheet(QStringLiteral("QMenuBar::item { padding: 2px 5px; }"));
        layout_client();
    }
    return m_menu_bar;
}

void FormWidget::set_client_size(int width, int height)
{
    m_client->resize(width, height);
    layout_client();
}

void FormWidget::layout_client()
{
    const int top = m_menu_bar ? m_menu_bar->sizeHint().height() : 0;
    if (m_menu_bar)
        m_menu_bar->setGeometry(0, 0, m_client->width(), top);
    m_client->move(0, top);
    setFixedSize(m_client->width(), top + m_client->height());
}

void FormWidget::set_background(QImage image)
{
    static_cast<ClientArea*>(m_client)->background = std::move(image);
    m_client->update();
}

void FormWidget::close_without_asking()
{
    m_closing = true;
    close();
    m_closing = false;
}

void FormWidget::closeEvent(QCloseEvent* event)
{
    if (m_closing || !m_close_handler || m_close_handler())
        event->accept();
    else
        event->ignore();
}

} // namespace platform::forms
