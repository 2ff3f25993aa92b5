// The menu bar's look (its style) and its keys (F10 beside Qt's own lone Alt).

#include "platform/forms/menu_bar.h"

#include "platform/gdi/font.h"
#include "platform/gdi/font_engine.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace platform::forms {

namespace {

constexpr int bar_height = 19;  // pixels at 96 dpi, the platform's menu bar
constexpr int item_padding = 5; // pixels beside an item's text

// The bar in its palette's window colour, each item its text on the bar, the active one on
// the highlight; no frame, no margins, nothing else under the items.
class MenuBarStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        switch (metric) {
        case PM_MenuBarPanelWidth:
        case PM_MenuBarVMargin:
        case PM_MenuBarHMargin:
        case PM_MenuBarItemSpacing:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1; // a lone Alt puts the bar in keyboard mode
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        if (type == CT_MenuBarItem)
            return {size.width() + 2 * item_padding, bar_height};
        if (type == CT_MenuBar)
            return size;
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (element == CE_MenuBarEmptyArea) {
            painter->fillRect(option->rect, option->palette.window());
            return;
        }
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            item && element == CE_MenuBarItem) {
            draw_item(*item, *painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

private:
    void draw_item(const QStyleOptionMenuItem& item, QPainter& painter, const QWidget* widget) const
    {
        const bool enabled = item.state & State_Enabled;
        const bool active = enabled && (item.state & State_Selected);
        painter.fillRect(item.rect, active ? item.palette.highlight() : item.palette.window());
        QColor text = item.palette.color(QPalette::WindowText);
        if (!enabled)
            text = item.palette.color(QPalette::Disabled, QPalette::WindowText);
        else if (active)
            text = item.palette.color(QPalette::HighlightedText);
        int flags = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine | Qt::TextDontClip;
        if (!styleHint(SH_UnderlineShortcut, &item, widget, nullptr))
            flags |= Qt::TextHideMnemonic;
        painter.setPen(text);
        painter.drawText(item.rect, flags, item.text);
    }
};

// F10 does what Qt's bar does for a lone Alt: pressed and released with nothing between, it
// puts the bar in keyboard mode (or takes it out). Qt's bar knows only Alt for that, so the
// release is handed to it as an Alt's, through the same window events it watches.
class MenuBarKeys final : public QObject {
public:
    MenuBarKeys(QMenuBar* bar, QWidget* window) : QObject(bar), m_bar(bar), m_window(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Every key reaches the window as a shortcut override first, unless a control takes it.
        if (watched == m_window && event->type() == QEvent::ShortcutOverride) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!m_pressed && key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier &&
                m_bar->isVisible()) {
                m_pressed = true;
                qApp->installEventFilter(this);
            }
            return false;
        }
        if (!m_pressed)
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_F10 && (event->type() == QEvent::KeyPress || key->isAutoRepeat()))
                break; // the press itself, or its repeats
            finish();
            if (key->key() == Qt::Key_F10)
                toggle_keyboard_mode();
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::FocusOut:
        case QEvent::WindowDeactivate:
            finish();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void finish()
    {
        m_pressed = false;
        qApp->removeEventFilter(this);
    }

    void toggle_keyboard_mode()
    {
        // A key event keeps the modifiers from before it, as the window system reports them.
        QKeyEvent alt_down(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(m_window, &alt_down);
        QKeyEvent alt_up(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
        QCoreApplication::sendEvent(m_window, &alt_up);
    }

    QPointer<QMenuBar> m_bar;
    QWidget* m_window;
    bool m_pressed = false;
};

} // namespace

QMenuBar* make_menu_bar(QWidget* window)
{
    auto* bar = new QMenuBar(window);
    bar->setNativeMenuBar(false);
    // The classic menu font, tight enough for the menus to fit the window's width.
    StdFont font;
    font.name = "Tahoma";
    bar->setFont(qt_font_for(font));
    auto* style = new MenuBarStyle;
    style->setParent(bar);
    bar->setStyle(style);
    new MenuBarKeys(bar, window);
    return bar;
}

void use_menu_font(QMenu& menu, const QMenuBar& bar)
{
    menu.setFont(bar.font());
}

} // namespace platform::forms
