// What the user's desktop brings to a window: a dark theme, a screen too small for where a
// window was placed, the menu bar's look and keys, and a text box's long text.

#include "platform/forms/forms.h"

#include "platform/codepage.h"
#include "platform/forms/form_widget.h"

#include "tests/support/eventually.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace platform;
using namespace platform::forms;

constexpr const char* window_text = R"(
form Desk
    Caption = "Desk"
    ClientWidth = 5520
    ClientHeight = 2400
    label Plain
        Left = 120
        Top = 120
        Width = 2000
        Height = 255
        BackStyle = 0
        Caption = "ТИЦ ЯНДЕКС - PageRank"
    end
    label Filled
        Left = 120
        Top = 480
        Width = 2000
        Height = 255
        ForeColor = 0x000000FF
        Caption = "BYFLY"
    end
    textbox Site
        Left = 120
        Top = 840
        Width = 1500
        Height = 285
        TabIndex = 0
        Text = "a-very-long-site-address-that-does-not-fit-in-its-box.example/with/a/path"
    end
    textbox Code
        Left = 120
        Top = 1200
        Width = 2000
        Height = 600
        MultiLine = true
        Text = "first line\r\r\nsecond line"
    end
    option Option1
        Left = 2400
        Top = 120
        Width = 1500
        Height = 255
        Caption = "one"
    end
    combo Combo1
        Left = 2400
        Top = 480
        Width = 2000
        Height = 315
        Text = "Поисковик"
        Item = "Google"
    end
    menu file
        Caption = "Файл"
        menu exit
            Caption = "Выход"
        end
    end
    menu siteinfo
        Caption = "Информация о сайте"
        menu htm
            Caption = "Проверка HTML"
        end
        menu sep1
            Caption = "-"
        end
        menu more
            Caption = "Ещё"
            menu deeper
                Caption = "Глубже"
            end
        end
        menu gg
            Caption = "Ссылки по Google"
        end
    end
    menu services
        Caption = "Сервисы"
        menu proxy
            Caption = "Прокси"
        end
    end
    menu tools
        Caption = "Инструменты"
        menu tool
            Caption = "Инструмент"
        end
    end
    menu help
        Caption = "Помощь"
        menu about
            Caption = "О программе"
        end
    end
end
)";

QColor classic(uint32_t rgb)
{
    return QColor::fromRgb(rgb);
}

const QColor black = classic(0x000000), white = classic(0xFFFFFF), face = classic(0xD4D0C8);

class DesktopTest : public ::testing::Test {
protected:
    DesktopTest()
    {
        forms.add("Desk", parse_window_definition(utf8_to_cp1251(window_text)), nullptr);
        for (const char* item : {"exit", "htm", "deeper", "gg", "proxy"})
            forms["Desk"].on(std::string(item) + "_Click", [this, item] { chosen.push_back(item); });
    }
    ~DesktopTest() override
    {
        forms.collect();
    }

    Form& form() { return forms["Desk"]; }
    QMenuBar& bar() { return *form().widget()->menu_bar(); }
    QWidget* widget_of(const char* name)
    {
        for (const auto& control : form().controls())
            if (control->Name() == name)
                return control->widget();
        return nullptr;
    }
    void show()
    {
        form().Show();
        form().widget()->activateWindow();
        ASSERT_TRUE(test_support::eventually([this] { return QApplication::activeWindow() == form().widget(); }));
    }
    void key(Qt::Key key)
    {
        QTest::keyClick(form().widget()->windowHandle(), key);
        QCoreApplication::processEvents();
    }
    // The item of the bar that is highlighted, if any.
    QString highlighted() { return bar().activeAction() ? bar().activeAction()->text() : QString(); }
    static QMenu* open_menu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

    Forms forms;
    std::vector<std::string> chosen;
};

// A dark desktop palette must not reach the controls: labels, boxes, options and the combo
// box keep the classic colours their definitions leave at the defaults, and colours a
// definition gives stay its own. Menus follow the desktop.
TEST_F(DesktopTest, ControlsKeepTheClassicColoursUnderADarkDesktop)
{
    const QPalette desktop = QApplication::palette();
    QPalette dark;
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
        dark.setColor(role, QColor(0x30, 0x30, 0x30));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(0xEE, 0xEE, 0xEE));
    QApplication::setPalette(dark);
    struct Expected {
        const char* control;
        QPalette::ColorRole role;
        QColor colour;
    };
    const std::vector<Expected> rows = {
        {"Plain", QPalette::WindowText, black},  {"Filled", QPalette::WindowText, classic(0xFF0000)},
        {"Filled", QPalette::Window, face},      {"Site", QPalette::Base, white},
        {"Site", QPalette::Text, black},         {"Code", QPalette::Base, white},
        {"Code", QPalette::Text, black},         {"Option1", QPalette::WindowText, black},
        {"Option1", QPalette::Window, face},     {"Combo1", QPalette::Base, white},
        {"Combo1", QPalette::Text, black},       {"Combo1", QPalette::Button, face},
    };
    show();
    for (const Expected& row : rows) {
        SCOPED_TRACE(row.control);
        QWidget* widget = widget_of(row.control);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->palette().color(row.role), row.colour) << row.role;
    }
    // What the user sees of the plain label on the window: black letters, nothing light.
    const QImage label = widget_of("Plain")->grab().toImage();
    std::set<QRgb> inked;
    for (int y = 0; y < label.height(); ++y)
        for (int x = 0; x < label.width(); ++x)
            inked.insert(label.pixel(x, y) & 0xFFFFFF);
    EXPECT_TRUE(inked.count(0x000000));
    EXPECT_FALSE(inked.count(0xEEEEEE));
    EXPECT_EQ(bar().palette().color(QPalette::Window), QColor(0x30, 0x30, 0x30));
    QApplication::setPalette(desktop);
}

// The bar is 19 pixels high at 96 dpi; it and all its menus use one font; nothing shows under
// an item but the bar and the item's letters; the highlight, when there is one, covers just
// its item.
TEST_F(DesktopTest, TheMenuBarIsOneFontOnAPlainBar)
{
    show();
    EXPECT_EQ(bar().height(), 19);
    std::vector<const QMenu*> menus;
    for (const QAction* top : bar().actions()) {
        menus.push_back(top->menu());
        for (const QAction* item : top->menu()->actions())
            if (item->menu())
                menus.push_back(item->menu());
    }
    ASSERT_EQ(menus.size(), 6u);
    for (const QMenu* menu : menus)
        EXPECT_EQ(menu->font(), bar().font()) << menu->title().toStdString();
    // Every item fits the window's width: none moves to an extension menu.
    QAction* last = bar().actions().back();
    EXPECT_LE(bar().actionGeometry(last).right(), bar().width() - 1);
    EXPECT_FALSE(bar().actionGeometry(last).isEmpty());

    const QPalette palette = bar().palette();
    const auto colours = [this](QRect area) {
        const QImage image = bar().grab().toImage();
        std::set<QRgb> seen;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                seen.insert(image.pixel(x, y) | 0xFF000000);
        return seen;
    };
    const QRgb window = palette.color(QPalette::Window).rgb(), text = palette.color(QPalette::WindowText).rgb();
    EXPECT_EQ(colours(bar().rect()), (std::set<QRgb> {window, text}));
    key(Qt::Key_F10); // the first item highlighted, nothing open
    ASSERT_EQ(highlighted(), QString("Файл"));
    const QRect item = bar().actionGeometry(bar().actions().front());
    EXPECT_EQ(colours(item), (std::set<QRgb> {palette.color(QPalette::Highlight).rgb(),
                                               palette.color(QPalette::HighlightedText).rgb()}));
    EXPECT_EQ(colours(QRect(item.right() + 1, 0, bar().width() - item.right() - 1, bar().height())),
              (std::set<QRgb> {window, text}));
    key(Qt::Key_Escape);
}

// F10, or Alt pressed and released alone, highlights the bar's first item; the arrows move
// through the bar and open its menus, Enter chooses, Escape steps back and then leaves, and
// the focus comes back to the control that had it.
TEST_F(DesktopTest, TheKeyboardWorksTheMenuBar)
{
    show();
    QWidget* site = widget_of("Site");
    site->setFocus();
    ASSERT_TRUE(test_support::eventually([site] { return site->hasFocus(); }));
    const auto alt_alone = [this] {
        QWindow* window = form().widget()->windowHandle();
        QTest::keyPress(window, Qt::Key_Alt);
        QTest::keyRelease(window, Qt::Key_Alt);
        QCoreApplication::processEvents();
    };
    for (const char* way : {"F10", "Alt"}) {
        SCOPED_TRACE(way);
        chosen.clear();
        if (std::string(way) == "F10")
            key(Qt::Key_F10);
        else
            alt_alone();
        EXPECT_EQ(highlighted(), QString("Файл"));
        EXPECT_EQ(open_menu(), nullptr);
        key(Qt::Key_Right);
        EXPECT_EQ(highlighted(), QString("Информация о сайте"));
        key(Qt::Key_Down); // opens the menu, its first item active
        ASSERT_NE(open_menu(), nullptr);
        EXPECT_EQ(open_menu()->activeAction()->text(), QString("Проверка HTML"));
        key(Qt::Key_Escape); // the menu closes; the bar stays in keyboard mode
        EXPECT_EQ(open_menu(), nullptr);
        EXPECT_EQ(highlighted(), QString("Информация о сайте"));
        key(Qt::Key_Escape); // and leaves it
        EXPECT_EQ(highlighted(), QString());
        EXPECT_TRUE(site->hasFocus());

        key(Qt::Key_F10);
        key(Qt::Key_Right);
        key(Qt::Key_Down);
        ASSERT_NE(open_menu(), nullptr);
        key(Qt::Key_Down); // past the separator and the submenu's item
        key(Qt::Key_Down);
        EXPECT_EQ(open_menu()->activeAction()->text(), QString("Ссылки по Google"));
        key(Qt::Key_Return);
        EXPECT_EQ(chosen, std::vector<std::string> {"gg"});
        EXPECT_EQ(open_menu(), nullptr);
        EXPECT_TRUE(test_support::eventually([site] { return site->hasFocus(); }));
    }
}

// A window placed past the screen's available area comes onto it when shown; one larger than
// the area starts at the area's edge.
TEST_F(DesktopTest, AWindowPlacedOffTheScreenIsShownOnIt)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const auto twips = [](int pixels) { return std::to_string(pixels * 15); };
    struct Case {
        const char* name;
        QPoint placed;
        QSize size;
        // Where the window's frame should be, given its size.
        std::function<QPoint(QSize frame)> shown;
    };
    const int w = 300, h = 200;
    const std::vector<Case> cases = {
        {"inside stays", area.topLeft() + QPoint(10, 20), {w, h},
         [&](QSize) { return area.topLeft() + QPoint(10, 20); }},
        {"past the right and bottom", area.bottomRight() - QPoint(50, 40), {w, h},
         [&](QSize frame) { return area.bottomRight() + QPoint(1 - frame.width(), 1 - frame.height()); }},
        {"past the left and top", area.topLeft() - QPoint(100, 100), {w, h}, [&](QSize) { return area.topLeft(); }},
        {"wider and taller than the screen", area.topLeft() + QPoint(30, 30), {area.width() + 40, area.height() + 40},
         [&](QSize) { return area.topLeft(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        forms.add(c.name, parse_window_definition("form Placed\n  ClientLeft = " + twips(c.placed.x()) +
                                                  "\n  ClientTop = " + twips(c.placed.y()) + "\n  ClientWidth = " +
                                                  twips(c.size.width()) + "\n  ClientHeight = " +
                                                  twips(c.size.height()) + "\nend\n"),
                  nullptr);
        Form& placed = forms[c.name];
        placed.Show();
        const QRect frame = placed.widget()->frameGeometry();
        EXPECT_EQ(frame.topLeft(), c.shown(frame.size()));
        placed.Unload();
    }
}

// A text box whose text is set, by its definition or by code, shows its beginning, the caret
// before the first character and nothing selected.
TEST_F(DesktopTest, ATextSetByCodeShowsItsBeginning)
{
    show();
    TextBox& site = form().text("Site");
    TextBox& code = form().text("Code");
    const auto at_start = [](TextBox& box) { return box.SelStart() == 0 && box.SelLength() == 0; };
    EXPECT_TRUE(at_start(site));
    EXPECT_TRUE(at_start(code));
    site.set_Text("another-very-long-address-that-runs-past-the-right-edge.example/page");
    code.set_Text("one\r\r\ntwo\r\r\nthree");
    EXPECT_TRUE(at_start(site));
    EXPECT_TRUE(at_start(code));
    // Nothing scrolled: the caret stands at the box's left edge.
    EXPECT_LT(widget_of("Site")->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), 8);
}

} // namespace
