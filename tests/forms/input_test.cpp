// What the user's mouse and keyboard do to the standard controls: clicks, the engine-box
// kind of combo box, the tab order and the texts Qt draws itself.

#include "platform/forms/forms.h"

#include "platform/forms/form_widget.h"

#include "tests/support/eventually.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace platform;
using namespace platform::forms;

constexpr const char* window_text = R"(
form Input
    Caption = "Input"
    ClientWidth = 4500
    ClientHeight = 3300
    textbox Text1
        Left = 120
        Top = 120
        Width = 2000
        Height = 300
        TabIndex = 3
        Text = "one two three"
    end
    textbox Text2
        Left = 120
        Top = 600
        Width = 3000
        Height = 900
        TabIndex = 0
        MultiLine = true
        ScrollBars = 2
        Text = "first line of code\r\r\nsecond line of code\r\r\n"
    end
    label Label1
        Left = 2400
        Top = 120
        Width = 1200
        Height = 300
        TabIndex = 5
        Caption = "label"
    end
    image Image1
        Left = 3300
        Top = 1600
        Width = 600
        Height = 600
    end
    combo Combo1
        Left = 120
        Top = 1600
        Width = 2000
        Height = 315
        TabIndex = 1
        Text = "Поисковик"
        Item = "Yahoo!"
        Item = "Google"
    end
    option Option1
        Left = 120
        Top = 2100
        Width = 1500
        Height = 255
        TabIndex = 4
        Caption = "one"
    end
    option Option2
        Left = 120
        Top = 2400
        Width = 1500
        Height = 255
        TabIndex = 6
        Caption = "two"
    end
    textbox Text3
        Left = 6000
        Top = 120
        Width = 1215
        Height = 285
        TabIndex = 2
        Text = "outside the client area"
    end
    textbox Text4
        Left = 2400
        Top = 2700
        Width = 1200
        Height = 300
        TabIndex = 7
        Enabled = false
    end
    plain Button1
        Left = 3300
        Top = 120
        TabIndex = 8
        Enabled = false
    end
end
)";

// A custom control that only has a host.
struct PlainControl final : UserControlHandlers {
    platform::UserControl UserControl;
};

// Counts each Click; the text boxes' handlers select all, as the program's result boxes do.
class InputTest : public ::testing::Test {
protected:
    InputTest()
    {
        forms.add_control_kind("plain", [](Form&, const ControlDefinition& d, platform::UserControl*& host) {
            auto control = std::make_unique<PlainControl>();
            control->UserControl.set_Width(300);
            control->UserControl.set_Height(300);
            control->UserControl.set_Enabled(d.boolean("Enabled", true));
            host = &control->UserControl;
            return control;
        });
        forms.add("Input", parse_window_definition(window_text), nullptr);
        for (const char* name : {"Text1", "Text2", "Label1", "Image1"})
            form().on(std::string(name) + "_Click", [this, name] {
                ++clicks[name];
                if (name[0] == 'T')
                    select_all(form().text(name));
            });
    }
    ~InputTest() override
    {
        forms.collect();
    }

    Form& form() { return forms["Input"]; }
    Control& control(const std::string& name)
    {
        for (const auto& control : form().controls())
            if (control->Name() == name)
                return *control;
        throw std::out_of_range(name);
    }
    // The control that has the focus, or holds the widget that has it.
    std::string focused()
    {
        const QWidget* widget = QApplication::focusWidget();
        for (const auto& control : form().controls())
            if (widget && control->widget() && (control->widget() == widget || control->widget()->isAncestorOf(widget)))
                return control->Name();
        return "(none)";
    }
    static void select_all(TextBox& box)
    {
        box.set_SelStart(0);
        box.set_SelLength(int32_t(QString::fromStdString(box.Text()).size()));
    }
    // The window shown and active, as the user meets it.
    void show()
    {
        form().Show();
        form().widget()->activateWindow();
        ASSERT_TRUE(test_support::eventually([this] { return QApplication::activeWindow() == static_cast<QWidget*>(form().widget()); }));
    }

    Forms forms;
    std::map<std::string, int> clicks;
};

// Where a control takes its mouse events.
QWidget* mouse_target(Control& control)
{
    if (auto* memo = qobject_cast<QPlainTextEdit*>(control.widget()))
        return memo->viewport();
    return control.widget();
}

void mouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPoint at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// What a hand does with the mouse over a control, as Qt delivers it.
enum class Gesture { LeftClick, RightClick, MiddleClick, DragAway, DoubleClick, ReleaseOnly };

void perform(Gesture gesture, QWidget* widget, QPoint at)
{
    const QPoint away(widget->width() + 20, at.y());
    switch (gesture) {
    case Gesture::LeftClick:
        mouse(widget, QEvent::MouseButtonPress, Qt::LeftButton, at);
        mouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, at);
        break;
    case Gesture::RightClick:
        mouse(widget, QEvent::MouseButtonPress, Qt::RightButton, at);
        mouse(widget, QEvent::MouseButtonRelease, Qt::RightButton, at);
        break;
    case Gesture::MiddleClick:
        mouse(widget, QEvent::MouseButtonPress, Qt::MiddleButton, at);
        mouse(widget, QEvent::MouseButtonRelease, Qt::MiddleButton, at);
        break;
    case Gesture::DragAway: // pressed over the control, released past its right edge
        mouse(widget, QEvent::MouseButtonPress, Qt::LeftButton, at);
        mouse(widget, QEvent::MouseMove, Qt::NoButton, away);
        mouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, away);
        break;
    case Gesture::DoubleClick: // the second press comes as the double-click
        mouse(widget, QEvent::MouseButtonPress, Qt::LeftButton, at);
        mouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, at);
        mouse(widget, QEvent::MouseButtonDblClick, Qt::LeftButton, at);
        mouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, at);
        break;
    case Gesture::ReleaseOnly: // the press went to another control
        mouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, at);
        break;
    }
}

TEST_F(InputTest, ClickIsTheLeftButtonPressedAndReleasedOverTheControl)
{
    struct Row {
        const char* gesture_name;
        Gesture gesture;
        int label_clicks;
        int text_box_clicks; // a text box counts each click of a double-click
    };
    const Row rows[] = {
        {"left click", Gesture::LeftClick, 1, 1},
        {"right click", Gesture::RightClick, 0, 0},
        {"middle click", Gesture::MiddleClick, 0, 0},
        {"press, drag away, release", Gesture::DragAway, 0, 0},
        {"double-click", Gesture::DoubleClick, 1, 2},
        {"a release alone", Gesture::ReleaseOnly, 0, 0},
    };
    show();
    for (const Row& row : rows) {
        for (const char* name : {"Label1", "Image1", "Text1", "Text2"}) {
            SCOPED_TRACE(std::string(row.gesture_name) + " on " + name);
            clicks.clear();
            perform(row.gesture, mouse_target(control(name)), QPoint(8, 8));
            // The right button's menu, where a box opens one.
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            EXPECT_EQ(clicks[name], name[0] == 'T' ? row.text_box_clicks : row.label_clicks);
        }
    }
}

// A click inside the selection, and the quick second click of a double-click, are Qt's
// to handle first (a caret, a word); the Click handler's select-all must still stand.
TEST_F(InputTest, WhatAClickHandlerSelectsStaysSelectedAfterEveryClick)
{
    const std::pair<const char*, std::vector<Gesture>> rows[] = {
        {"clicks", {Gesture::LeftClick, Gesture::LeftClick, Gesture::LeftClick}},
        {"double-clicks", {Gesture::DoubleClick, Gesture::LeftClick, Gesture::DoubleClick}},
    };
    show();
    for (const char* name : {"Text1", "Text2"}) {
        for (const auto& [kind, gestures] : rows) {
            TextBox& box = form().text(name);
            const std::string text = box.Text();
            const int32_t length = int32_t(QString::fromStdString(text).size());
            box.set_SelStart(4); // a caret somewhere in the text, as the user left it
            for (size_t i = 0; i < gestures.size(); ++i) {
                SCOPED_TRACE(std::string(name) + ", " + kind + " " + std::to_string(i + 1));
                perform(gestures[i], mouse_target(box), QPoint(8, 8));
                EXPECT_EQ(box.SelStart(), 0);
                EXPECT_EQ(box.SelLength(), length);
            }
            // What the next get-code run does: the new text takes the place of all of it.
            box.set_SelText("new");
            EXPECT_EQ(box.Text(), "new") << name << ", " << kind;
            box.set_Text(text);
        }
    }
}

void key(QWidget* widget, int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        key(widget, c.isLetter() ? int(c.toUpper().unicode()) : int(c.unicode()), QString(c));
}

// The engine box: the text stays as typed, letter case and all, and Enter adds nothing.
TEST_F(InputTest, AComboBoxKeepsWhatIsTypedAndItsListStaysAsDefined)
{
    const char* typed[] = {"g", "Yahoo", "yahoo!", "Yahoo!", "GOOGLE", "Google "};
    show();
    ComboBox& combo = form().combo("Combo1");
    auto* widget = static_cast<QComboBox*>(combo.widget());
    widget->setFocus();
    for (const char* text : typed) {
        SCOPED_TRACE(text);
        combo.set_Text("");
        type(QApplication::focusWidget(), QString::fromUtf8(text));
        EXPECT_EQ(combo.Text(), text);
        key(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(combo.Text(), text);
        ASSERT_EQ(widget->count(), 2);
        EXPECT_EQ(widget->itemText(0), QStringLiteral("Yahoo!"));
        EXPECT_EQ(widget->itemText(1), QStringLiteral("Google"));
    }
}

// Tab and Shift+Tab go by tab place, not by the definition's order: past a control outside
// the client area, past disabled ones (a custom control disabled by its own properties
// included) until they are enabled, and into a group of option buttons at its chosen one
// only.
TEST_F(InputTest, TabFollowsTheTabPlaces)
{
    form().option("Option2").set_Value(true);
    show();
    auto walk = [this](int steps, bool forward) {
        std::vector<std::string> seen;
        for (int i = 0; i < steps; ++i) {
            key(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab, {},
                forward ? Qt::NoModifier : Qt::ShiftModifier);
            seen.push_back(focused());
        }
        return seen;
    };
    // The first shown window's focus: the lowest place that takes it.
    EXPECT_EQ(focused(), "Text2");
    EXPECT_EQ(walk(4, true), (std::vector<std::string> {"Combo1", "Text1", "Option2", "Text2"}));
    EXPECT_EQ(walk(4, false), (std::vector<std::string> {"Option2", "Text1", "Combo1", "Text2"}));

    form().text("Text4").widget()->setEnabled(true);
    form().user_control("Button1").host().set_Enabled(true);
    form().option("Option1").set_Value(true);
    EXPECT_EQ(walk(6, true), (std::vector<std::string> {"Combo1", "Text1", "Option1", "Text4", "Button1", "Text2"}));
}

bool is_russian(const QString& text)
{
    for (const QChar c : text)
        if (c.script() == QChar::Script_Cyrillic)
            return true;
    return false;
}

// A right click's menu in a one-line and in a multi-line box speaks Russian.
TEST_F(InputTest, TheMenusQtDrawsForTextBoxesAreRussian)
{
    show();
    for (const char* name : {"Text1", "Text2"}) {
        SCOPED_TRACE(name);
        QWidget* target = mouse_target(form().text(name));
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(8, 8), target->mapToGlobal(QPoint(8, 8)));
        QApplication::sendEvent(target, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        int items = 0;
        for (const QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            ++items;
            EXPECT_TRUE(is_russian(action->text())) << action->text().toStdString();
        }
        EXPECT_GE(items, 6); // undo, redo, cut, copy, paste, delete, select all
        menu->close();
    }
}

} // namespace
