#include "app/tooltip_ex.h"
#include "tests/support/eventually.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace platform;
using app::cToolTipEx;
using platform::forms::register_window_widget;

constexpr HINSTANCE instance = 0x00400000;

using test_support::eventually;

// One message as the tip window got it: its text argument and tool record copied out.
struct Sent {
    HWND window = 0;
    UINT message = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    std::string text;
    TOOLINFOA record {};
};

// What the instance sends, minus pointers: message, wParam, and lParam or its text.
struct Call {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    std::string text;
    friend bool operator==(const Call&, const Call&) = default;
};

std::ostream& operator<<(std::ostream& out, const Call& c)
{
    return out << std::hex << "{0x" << c.message << ", " << c.wparam << ", " << c.lparam << ", \"" << c.text << "\"}";
}

class ToolTipExTest : public ::testing::Test {
protected:
    ToolTipExTest()
    {
        window.resize(300, 200);
        box.setGeometry(10, 10, 100, 30);
        button.setGeometry(10, 60, 80, 25);
        register_window_widget(owner, &window);
        register_window_widget(box_handle, &box);
        register_window_widget(button_handle, &button);
        window.show();
        window.activateWindow();
        eventually([&] { return window.isActiveWindow(); }, 500);
        set_message_observer([this](HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
            Sent sent {hwnd, message, wparam, lparam, {}, {}};
            if (message == TTM_SETTITLEA && lparam)
                sent.text = reinterpret_cast<const char*>(lparam);
            const bool has_record = message == TTM_ADDTOOLA || message == TTM_DELTOOLA ||
                                    message == TTM_UPDATETIPTEXTA || message == TTM_ENUMTOOLSA;
            if (has_record && lparam) {
                sent.record = *reinterpret_cast<const TOOLINFOA*>(lparam);
                if (message != TTM_ENUMTOOLSA && sent.record.lpszText)
                    sent.text = sent.record.lpszText;
            }
            log.push_back(sent);
        });
    }
    ~ToolTipExTest() override
    {
        set_message_observer({});
        destroy_window(box_handle);
        destroy_window(button_handle);
        destroy_window(owner);
    }

    std::vector<Call> calls() const
    {
        std::vector<Call> result;
        for (const Sent& s : log)
            result.push_back({s.message, s.wparam, s.text.empty() && s.message != TTM_SETTITLEA ? s.lparam : 0, s.text});
        return result;
    }
    size_t count_of(UINT message) const
    {
        return size_t(std::count_if(log.begin(), log.end(), [&](const Sent& s) { return s.message == message; }));
    }

    QWidget window;
    QWidget box {&window};
    QWidget button {&window};
    HWND owner = create_window();
    HWND box_handle = create_window();
    HWND button_handle = create_window();
    std::vector<Sent> log;
};

TEST_F(ToolTipExTest, CreateToolTipWithOnlyTheOwnerMakesATopmostTipAndSendsNothing)
{
    cToolTipEx tt(instance);
    tt.CreateToolTip(owner);
    ASSERT_NE(tt.hWndTT(), 0u);
    EXPECT_TRUE(log.empty());
    const auto state = tip_window_state(tt.hWndTT());
    ASSERT_TRUE(state);
    EXPECT_TRUE(state->topmost);
    EXPECT_FALSE(state->balloon);
    EXPECT_EQ(state->title, "");
    EXPECT_EQ(tt.MaxToolTipWidth(), -1);
}

TEST_F(ToolTipExTest, TheMainWindowsCallSendsTitleWidthAndDelaysInOrder)
{
    cToolTipEx tt(instance);
    tt.CreateToolTip(owner, TTS_BALLOON, TTI_INFO, "Velmora", 100, 500, 10000, -1, -1);
    EXPECT_EQ(calls(), (std::vector<Call> {{TTM_SETTITLEA, 1, 0, "Velmora"},
                                           {TTM_SETMAXTIPWIDTH, 0, 100, ""},
                                           {TTM_SETDELAYTIME, TTDT_INITIAL, 500, ""},
                                           {TTM_SETDELAYTIME, TTDT_AUTOPOP, 10000, ""}}));
    for (const Sent& s : log)
        EXPECT_EQ(s.window, tt.hWndTT());
    const auto state = tip_window_state(tt.hWndTT());
    EXPECT_TRUE(state->balloon);
    EXPECT_EQ(state->title, "Velmora");
    EXPECT_EQ(state->icon, 1);
    EXPECT_EQ(tt.DelayTime(TTDT_INITIAL), 500);
    EXPECT_EQ(tt.DelayTime(TTDT_AUTOPOP), 10000);
}

TEST_F(ToolTipExTest, TheTitleIsSentUnlessIconAndTitleAreBothEmpty)
{
    struct Case {
        int32_t icon;
        const char* title;
        bool sent;
    };
    for (const Case& c : {Case {0, "", false}, Case {1, "", true}, Case {0, "Velmora", true}, Case {3, "T", true}}) {
        log.clear();
        cToolTipEx tt(instance);
        tt.CreateToolTip(owner, 0, c.icon, c.title);
        const std::vector<Call> expected =
            c.sent ? std::vector<Call> {{TTM_SETTITLEA, WPARAM(c.icon), 0, c.title}} : std::vector<Call> {};
        EXPECT_EQ(calls(), expected) << c.icon << " '" << c.title << "'";
    }
}

TEST_F(ToolTipExTest, OnlyMinusOneLeavesAValueUnsent)
{
    struct Case {
        const char* what;
        int32_t width, delay, visible, back, fore;
        Call expected;
    };
    const Case cases[] = {
        {"width 0", 0, -1, -1, -1, -1, {TTM_SETMAXTIPWIDTH, 0, 0, ""}},
        {"delay 0", -1, 0, -1, -1, -1, {TTM_SETDELAYTIME, TTDT_INITIAL, 0, ""}},
        {"visible time 0", -1, -1, 0, -1, -1, {TTM_SETDELAYTIME, TTDT_AUTOPOP, 0, ""}},
        {"back colour 0", -1, -1, -1, 0, -1, {TTM_SETTIPBKCOLOR, 0, 0, ""}},
        {"fore colour 0", -1, -1, -1, -1, 0, {TTM_SETTIPTEXTCOLOR, 0, 0, ""}},
        {"a system colour", -1, -1, -1, int32_t(0x80000018), -1, {TTM_SETTIPBKCOLOR, 0x80000018, 0, ""}},
        {"-2 is a value", -1, -1, -1, -1, -2, {TTM_SETTIPTEXTCOLOR, 0xFFFFFFFE, 0, ""}},
    };
    for (const Case& c : cases) {
        log.clear();
        cToolTipEx tt(instance);
        tt.CreateToolTip(owner, 0, 0, "", c.width, c.delay, c.visible, c.back, c.fore);
        EXPECT_EQ(calls(), std::vector<Call> {c.expected}) << c.what;
    }
    cToolTipEx tt(instance);
    tt.CreateToolTip(owner, 0, 0, "", 0);
    EXPECT_EQ(tt.MaxToolTipWidth(), 0);
}

TEST_F(ToolTipExTest, AddToolTipRegistersTheControlItselfWithSubclassing)
{
    cToolTipEx tt(instance);
    tt.CreateToolTip(owner);
    tt.AddToolTip(box_handle, "Вставте адрес сайта без http://");
    tt.AddToolTip(button_handle, "Выход из программы", TTF_CENTERTIP);
    ASSERT_EQ(count_of(TTM_ADDTOOLA), 2u);
    const TOOLINFOA& first = log[0].record;
    EXPECT_EQ(first.cbSize, TTTOOLINFOA_V2_SIZE);
    EXPECT_EQ(first.uFlags, TTF_IDISHWND | TTF_SUBCLASS);
    EXPECT_EQ(first.hwnd, box_handle);
    EXPECT_EQ(first.uId, box_handle);
    EXPECT_EQ(first.rect, (RECT {0, 0, 100, 30}));
    EXPECT_EQ(first.hinst, instance);
    EXPECT_EQ(first.lParam, 0);
    EXPECT_EQ(log[0].text, "Вставте адрес сайта без http://");
    EXPECT_EQ(log[1].record.uFlags, 0x13u);
    EXPECT_EQ(log[1].record.rect, (RECT {0, 0, 80, 25}));
    EXPECT_EQ(tt.ToolTipCount(), 2);
    EXPECT_EQ(tt.ToolTipText(button_handle), "Выход из программы");
}

TEST_F(ToolTipExTest, AddToolTipBeforeCreateToolTipAttachesNothing)
{
    cToolTipEx tt(instance);
    tt.AddToolTip(box_handle, "early");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].window, 0u);
    tt.CreateToolTip(owner);
    EXPECT_EQ(tt.ToolTipCount(), 0);
    EXPECT_EQ(tt.ToolTipText(box_handle), "");
}

TEST_F(ToolTipExTest, RemoveToolTipDeletesOnlyAToolThatIsThere)
{
    cToolTipEx without(instance);
    EXPECT_EQ(without.RemoveToolTip(box_handle), std::nullopt);
    EXPECT_TRUE(log.empty()); // no tip window: not even a count is asked

    cToolTipEx tt(instance);
    tt.CreateToolTip(owner);
    tt.AddToolTip(box_handle, "box");
    tt.AddToolTip(button_handle, "button");
    log.clear();
    EXPECT_EQ(tt.RemoveToolTip(owner), std::nullopt);
    EXPECT_FALSE(tt.RemoveToolTip(owner)); // the empty value tests as False
    EXPECT_EQ(count_of(TTM_DELTOOLA), 0u);

    EXPECT_EQ(tt.RemoveToolTip(button_handle), std::optional<bool>(true));
    ASSERT_EQ(count_of(TTM_DELTOOLA), 1u);
    EXPECT_EQ(log.back().record.uId, button_handle);
    EXPECT_EQ(tt.ToolTipCount(), 1);
    EXPECT_EQ(tt.ToolTipText(box_handle), "box");
    EXPECT_EQ(tt.RemoveToolTip(button_handle), std::nullopt);
}

TEST_F(ToolTipExTest, ToolTipTextReadsAndWritesTheToolsText)
{
    cToolTipEx tt(instance);
    tt.CreateToolTip(owner);
    tt.AddToolTip(box_handle, "old");
    tt.set_ToolTipText(box_handle, "Смотреть скриншот сайта");
    ASSERT_EQ(log.back().message, TTM_UPDATETIPTEXTA);
    EXPECT_EQ(log.back().record.hinst, instance); // the other fields as the enumeration left them
    EXPECT_EQ(log.back().record.uId, box_handle);
    EXPECT_EQ(tt.ToolTipText(box_handle), "Смотреть скриншот сайта");

    log.clear();
    tt.set_ToolTipText(button_handle, "no tool");
    EXPECT_EQ(count_of(TTM_UPDATETIPTEXTA), 0u);
    EXPECT_EQ(tt.ToolTipText(button_handle), "");
    EXPECT_EQ(tt.ToolTipCount(), 1);
}

TEST_F(ToolTipExTest, ALongTipTextReadsBackAsMuchAsTheBufferHolds)
{
    cToolTipEx tt(instance);
    tt.CreateToolTip(owner);
    tt.AddToolTip(box_handle, std::string(100, 'a'));
    EXPECT_EQ(tt.ToolTipText(box_handle), std::string(TOOLTIP_TEXT_BUFFER - 1, 'a'));
    std::string cyrillic;
    for (int i = 0; i < 50; ++i)
        cyrillic += "Я";
    tt.set_ToolTipText(box_handle, cyrillic);
    EXPECT_EQ(tt.ToolTipText(box_handle), cyrillic.substr(0, 78)); // never half a letter
}

TEST_F(ToolTipExTest, MaxToolTipWidthSendsTheWidthWithItsSignAndReadsTheLowWord)
{
    cToolTipEx tt(instance);
    tt.set_MaxToolTipWidth(50);
    EXPECT_EQ(tt.MaxToolTipWidth(), 0);
    EXPECT_TRUE(log.empty()); // without a tip window nothing is sent

    tt.CreateToolTip(owner);
    tt.set_MaxToolTipWidth(-1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].lparam, LPARAM(-1));
    EXPECT_EQ(uint32_t(log[0].lparam), 0xFFFFFFFFu); // all bits set
    EXPECT_EQ(tt.MaxToolTipWidth(), -1);

    struct Case {
        LPARAM answer;
        int16_t expected;
    };
    for (const Case& c : {Case {100, 100}, Case {0xFFFF, -1}, Case {0x8000, -32768}, Case {0x12348000, -32768},
                          Case {0x17FFF, 32767}, Case {0x10000, 0}}) {
        SendMessageA(tt.hWndTT(), TTM_SETMAXTIPWIDTH, 0, c.answer);
        EXPECT_EQ(tt.MaxToolTipWidth(), c.expected) << std::hex << c.answer;
    }
}

TEST_F(ToolTipExTest, ColoursAndDelaysPassAnyValueAndReadZeroWithoutATipWindow)
{
    cToolTipEx without(instance);
    without.set_BackColor(0x123456);
    without.set_DelayTime(TTDT_INITIAL, 20);
    EXPECT_EQ(without.BackColor(), 0);
    EXPECT_EQ(without.ForeColor(), 0);
    EXPECT_EQ(without.DelayTime(TTDT_INITIAL), 0);
    EXPECT_EQ(log.size(), 5u); // sent whatever hWndTT holds
    for (const Sent& s : log)
        EXPECT_EQ(s.window, 0u);

    cToolTipEx tt(instance);
    tt.CreateToolTip(owner);
    EXPECT_EQ(tt.BackColor(), int32_t(RGB(255, 255, 225)));
    tt.set_BackColor(-1); // cannot be given to CreateToolTip, but the property takes it
    EXPECT_EQ(tt.BackColor(), -1);
    tt.set_ForeColor(int32_t(0x80000012));
    EXPECT_EQ(tt.ForeColor(), int32_t(0x80000012));
    tt.set_DelayTime(TTDT_RESHOW, 33);
    EXPECT_EQ(tt.DelayTime(TTDT_RESHOW), 33);
}

TEST_F(ToolTipExTest, DestroyToolTipTakesTheWindowAndItsTools)
{
    cToolTipEx tt(instance);
    tt.CreateToolTip(owner);
    tt.AddToolTip(box_handle, "box");
    const HWND tip = tt.hWndTT();
    tt.DestroyToolTip();
    EXPECT_EQ(tt.hWndTT(), 0u);
    EXPECT_EQ(IsWindow(tip), FALSE);
    EXPECT_EQ(tt.ToolTipCount(), 0);
    tt.DestroyToolTip();
    EXPECT_EQ(tt.hWndTT(), 0u);
}

TEST_F(ToolTipExTest, ReleasingTheInstanceDestroysOnlyItsOwnTipWindow)
{
    cToolTipEx other(instance);
    other.CreateToolTip(owner);
    HWND tip = 0;
    {
        cToolTipEx tt(instance);
        tt.CreateToolTip(owner);
        tip = tt.hWndTT();
    }
    EXPECT_EQ(IsWindow(tip), FALSE);
    {
        cToolTipEx never(instance); // DestroyWindow(0) does nothing
    }
    EXPECT_EQ(IsWindow(other.hWndTT()), TRUE);
    EXPECT_EQ(IsWindow(owner), TRUE);
}

TEST_F(ToolTipExTest, AStaleHandleAfterTheOwnerWentDestroysNothingElse)
{
    auto owner_widget = std::make_unique<QWidget>();
    const HWND gone_owner = create_window();
    register_window_widget(gone_owner, owner_widget.get());
    auto tt = std::make_unique<cToolTipEx>(instance);
    tt->CreateToolTip(gone_owner);
    tt->AddToolTip(box_handle, "box");
    const HWND stale = tt->hWndTT();

    owner_widget.reset(); // the tip window goes with its owner, unknown to the instance
    EXPECT_EQ(IsWindow(stale), FALSE);
    EXPECT_EQ(tt->hWndTT(), stale);
    EXPECT_EQ(tt->ToolTipCount(), 0);
    EXPECT_EQ(tt->ToolTipText(box_handle), "");

    cToolTipEx other(instance);
    other.CreateToolTip(owner);
    tt->DestroyToolTip();
    EXPECT_EQ(tt->hWndTT(), 0u);
    destroy_window(gone_owner);
    tt->CreateToolTip(gone_owner); // an owner that is gone: no window
    EXPECT_EQ(tt->hWndTT(), 0u);
    tt.reset();
    EXPECT_EQ(IsWindow(other.hWndTT()), TRUE);
}

TEST_F(ToolTipExTest, ASecondCreateToolTipManagesTheNewestWindowOnly)
{
    auto owner_widget = std::make_unique<QWidget>();
    const HWND form = create_window();
    register_window_widget(form, owner_widget.get());
    cToolTipEx tt(instance);
    tt.CreateToolTip(form);
    const HWND earlier = tt.hWndTT();
    tt.AddToolTip(box_handle, "first");
    tt.CreateToolTip(form);
    EXPECT_NE(tt.hWndTT(), earlier);
    EXPECT_EQ(tt.ToolTipCount(), 0);
    tt.DestroyToolTip();
    EXPECT_EQ(IsWindow(earlier), TRUE); // lives on until its owner goes
    owner_widget.reset();
    EXPECT_EQ(IsWindow(earlier), FALSE);
    destroy_window(form);
}

TEST_F(ToolTipExTest, ABalloonWithTheTitleShowsOverATippedControlAndGoesAfterTheVisibleTime)
{
    if (!window.isActiveWindow())
        GTEST_SKIP() << "this platform does not activate windows";
    cToolTipEx tt(instance);
    tt.CreateToolTip(owner, TTS_BALLOON, TTI_INFO, "Velmora", 100, 30, 300);
    tt.AddToolTip(button_handle, "Зайти на сайт");
    const QPoint local(20, 10);
    QEnterEvent enter(local, local, button.mapToGlobal(local));
    QApplication::sendEvent(&button, &enter);

    auto shown = [&] { return tip_window_state(tt.hWndTT())->visible; };
    ASSERT_TRUE(eventually(shown));
    const auto state = *tip_window_state(tt.hWndTT());
    EXPECT_TRUE(state.balloon);
    EXPECT_EQ(state.title, "Velmora");
    EXPECT_EQ(state.icon, 1);
    EXPECT_EQ(state.text, "Зайти на сайт");
    EXPECT_TRUE(eventually([&] { return !shown(); }));
}

} // namespace
