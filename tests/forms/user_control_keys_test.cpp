// Keys reaching a hosted button as the window system delivers them: the codes its
// KeyDown, KeyPress and KeyUp carry.

#include "tests/forms/hosted_button.h"

#include <QKeyEvent>

#include <string>
#include <vector>

namespace {

using namespace hosted_button;

class ButtonKeys : public HostedButton {
protected:
    ButtonKeys()
    {
        b.events.KeyDown = [this](int16_t& code, int16_t& shift) { log.push_back(entry("down", code, shift)); };
        b.events.KeyUp = [this](int16_t& code, int16_t& shift) { log.push_back(entry("up", code, shift)); };
        b.events.KeyPress = [this](int16_t& ascii) { log.push_back("press " + std::to_string(ascii)); };
    }
    static std::string entry(const char* what, int16_t code, int16_t shift)
    {
        return std::string(what) + " " + std::to_string(code) + "/" + std::to_string(shift);
    }
    // A key pressed and released with `held` down, as xcb reports it: the X keycode as the
    // native scan code (0 where the platform gives none), the modifiers as they were
    // before the key.
    void type(int key, Qt::KeyboardModifiers held, quint32 keycode, const QString& text)
    {
        Qt::KeyboardModifiers after = held;
        if (key == Qt::Key_Shift)
            after |= Qt::ShiftModifier;
        QKeyEvent press(QEvent::KeyPress, key, held, keycode, 0, 0, text);
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, after, keycode, 0, 0, text);
        QCoreApplication::sendEvent(widget, &release);
    }
    std::vector<std::string> log;
};

TEST_F(ButtonKeys, EveryKeyRaisesItsCodeAndEveryCharacterItsCodePageByte)
{
    struct Case {
        const char* name;
        int key;
        Qt::KeyboardModifiers held;
        quint32 keycode;
        QString text;
        std::vector<std::string> log;
    };
    const Qt::KeyboardModifiers none;
    const std::vector<Case> cases = {
        {"comma", Qt::Key_Comma, none, 59, ",", {"down 188/0", "press 44", "up 188/0"}},
        {"plus on the = key", Qt::Key_Plus, Qt::ShiftModifier, 21, "+", {"down 187/1", "press 43", "up 187/1"}},
        {"zhe on the ; key", 0x416, none, 47, "ж", {"down 186/0", "press 230", "up 186/0"}},
        {"capital zhe", 0x416, Qt::ShiftModifier, 47, "Ж", {"down 186/1", "press 198", "up 186/1"}},
        {"Russian full stop on the / key", Qt::Key_Period, none, 61, ".", {"down 191/0", "press 46", "up 191/0"}},
        {"ef, keycode unknown", 0x424, none, 0, "ф", {"down 65/0", "press 244", "up 65/0"}},
        {"yo, keycode unknown", 0x401, none, 0, "ё", {"down 192/0", "press 184", "up 192/0"}},
        {"comma, keycode unknown", Qt::Key_Comma, none, 0, ",", {"down 188/0", "press 44", "up 188/0"}},
        {"Z of a German layout", Qt::Key_Z, none, 29, "z", {"down 90/0", "press 122", "up 90/0"}},
        {"keypad plus", Qt::Key_Plus, Qt::KeypadModifier, 86, "+", {"down 107/0", "press 43", "up 107/0"}},
        {"keypad 5", Qt::Key_5, Qt::KeypadModifier, 84, "5", {"down 101/0", "press 53", "up 101/0"}},
        {"Enter", Qt::Key_Return, none, 36, "\r", {"down 13/0", "press 13", "up 13/0"}},
        {"Delete types nothing", Qt::Key_Delete, none, 119, "\x7f", {"down 46/0", "up 46/0"}},
        {"Alt+F is a menu key", Qt::Key_F, Qt::AltModifier, 41, "f", {"down 70/4", "up 70/4"}},
        {"Ctrl+A", Qt::Key_A, Qt::ControlModifier, 38, "\x01", {"down 65/2", "press 1", "up 65/2"}},
        {"Shift itself", Qt::Key_Shift, none, 50, "", {"down 16/1", "up 16/0"}},
        {"F5", Qt::Key_F5, none, 71, "", {"down 116/0", "up 116/0"}},
        {"a letter the code page lacks", Qt::Key_E, none, 26, "é", {"down 69/0", "press 63", "up 69/0"}},
        {"a key without a code", Qt::Key_Launch0, none, 156, "", {"down 255/0", "up 255/0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        type(c.key, c.held, c.keycode, c.text);
        EXPECT_EQ(log, c.log);
    }
}

TEST_F(ButtonKeys, TypedTextOfSeveralCharactersRaisesKeyPressForEach)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, {}, 0, 0, 0, "дa");
    QCoreApplication::sendEvent(widget, &press);
    EXPECT_EQ(log, (std::vector<std::string> {"down 255/0", "press 228", "press 97"}));
}

TEST_F(ButtonKeys, RepeatedKeysGoDownAgainAndComeUpOnce)
{
    for (bool repeat : {false, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Comma, {}, 59, 0, 0, ",", repeat);
        QCoreApplication::sendEvent(widget, &press);
        if (repeat) {
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Comma, {}, 59, 0, 0, ",", true);
            QCoreApplication::sendEvent(widget, &release);
        }
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Comma, {}, 59, 0, 0, ",");
    QCoreApplication::sendEvent(widget, &release);
    EXPECT_EQ(log, (std::vector<std::string> {"down 188/0", "press 44", "down 188/0", "press 44", "down 188/0",
                                              "press 44", "up 188/0"}));
}

TEST_F(ButtonKeys, AKeyComesUpWithTheCodeItWentDownWith)
{
    // Typed through a spare keycode mapped for the moment: by the release it maps to nothing.
    QKeyEvent press(QEvent::KeyPress, 0x416, {}, 200, 0, 0, "ж");
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, {}, 200, 0, 0, "");
    QCoreApplication::sendEvent(widget, &release);
    EXPECT_EQ(log, (std::vector<std::string> {"down 186/0", "press 230", "up 186/0"}));
}

TEST_F(ButtonKeys, TabMovesTheFocusOnWithoutKeyEvents)
{
    QWidget other(&window);
    other.setFocusPolicy(Qt::StrongFocus);
    show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    widget->setFocus();
    QTest::keyClick(handle(), Qt::Key_Tab);
    EXPECT_TRUE(other.hasFocus());
    EXPECT_EQ(log, std::vector<std::string> {});
}

} // namespace
