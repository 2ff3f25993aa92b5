#include "platform/forms/tooltip.h"
#include "tests/support/eventually.h"

#include "platform/forms/form_widget.h"
#include "platform/forms/forms.h"
#include "platform/forms/user_control_widget.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace platform;
using platform::forms::register_window_widget;
using platform::forms::widget_of;

void pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

using test_support::eventually;

LPARAM ptr(const void* p)
{
    return reinterpret_cast<LPARAM>(p);
}

HWND new_tip(HWND owner, DWORD style = TTS_ALWAYSTIP | TTS_BALLOON, DWORD ex_style = WS_EX_TOPMOST)
{
    return CreateWindowExA(ex_style, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, owner, 0, 0x00400000, nullptr);
}

TOOLINFOA tool_record(HWND control, const char* text, UINT flags = TTF_IDISHWND | TTF_SUBCLASS)
{
    TOOLINFOA record;
    record.cbSize = TTTOOLINFOA_V2_SIZE;
    record.uFlags = flags;
    record.hwnd = control;
    record.uId = control;
    record.hinst = 0x00400000;
    record.lpszText = const_cast<char*>(text);
    return record;
}

bool add_tool(HWND tip, HWND control, const char* text, UINT flags = TTF_IDISHWND | TTF_SUBCLASS)
{
    TOOLINFOA record = tool_record(control, text, flags);
    return SendMessageA(tip, TTM_ADDTOOLA, 0, ptr(&record)) != 0;
}

LRESULT tool_count(HWND tip)
{
    return SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0);
}

bool visible(HWND tip)
{
    auto state = tip_window_state(tip);
    return state && state->visible;
}

// A shown window with two controls, each with its own handle, and an owner handle for the tip.
class TipTest : public ::testing::Test {
protected:
    TipTest()
    {
        window.resize(300, 200);
        first.setGeometry(10, 10, 100, 30);
        second.setGeometry(10, 60, 100, 30);
        register_window_widget(owner, &window);
        register_window_widget(first_handle, &first);
        register_window_widget(second_handle, &second);
        window.show();
        window.activateWindow();
        eventually([&] { return window.isActiveWindow(); }, 500);
    }
    ~TipTest() override
    {
        DestroyWindow(tip);
        destroy_window(first_handle);
        destroy_window(second_handle);
        destroy_window(owner);
    }

    void make_tip(DWORD style = TTS_ALWAYSTIP | TTS_BALLOON, int initial = 20, int autopop = 5000)
    {
        tip = new_tip(owner, style);
        ASSERT_NE(tip, 0u);
        SendMessageA(tip, TTM_SETDELAYTIME, TTDT_INITIAL, initial);
        SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, autopop);
    }

    static void enter(QWidget& widget, QPoint local)
    {
        const QPoint global = widget.mapToGlobal(local);
        QEnterEvent event(local, local, global);
        QApplication::sendEvent(&widget, &event);
    }
    static void move(QWidget& widget, QPoint local)
    {
        QMouseEvent event(QEvent::MouseMove, local, widget.mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }
    static void press(QWidget& widget, QPoint local)
    {
        QMouseEvent event(QEvent::MouseButtonPress, local, widget.mapToGlobal(local), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }
    static void leave(QWidget& widget)
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(&widget, &event);
    }

    QWidget window;
    QWidget first {&window};
    QWidget second {&window};
    HWND owner = create_window();
    HWND first_handle = create_window();
    HWND second_handle = create_window();
    HWND tip = 0;
};

TEST(TipWindow, InitCommonControlsExChecksItsRecordSize)
{
    struct Case {
        DWORD size;
        DWORD classes;
        BOOL expected;
    };
    for (const Case& c : {Case {8, ICC_WIN95_CLASSES, TRUE}, Case {8, ICC_BAR_CLASSES, TRUE}, Case {0, 0xFF, FALSE},
                          Case {12, 0xFF, FALSE}}) {
        const INITCOMMONCONTROLSEX init {c.size, c.classes};
        EXPECT_EQ(InitCommonControlsEx(&init), c.expected) << c.size;
    }
    EXPECT_EQ(InitCommonControlsEx(nullptr), FALSE);
}

TEST(TipWindow, CreateWindowExAMakesTooltipWindowsOnlyForALiveOwner)
{
    const HWND owner = create_window();
    const HWND gone = create_window();
    destroy_window(gone);
    struct Case {
        const char* class_name;
        HWND parent;
        bool created;
    };
    for (const Case& c : {Case {"tooltips_class32", owner, true}, Case {"TOOLTIPS_Class32", owner, true},
                          Case {"tooltips_class32", 0, true}, Case {"tooltips_class32", gone, false},
                          Case {"Button", owner, false}, Case {"tooltips_class3", owner, false},
                          Case {nullptr, owner, false}}) {
        const HWND tip = CreateWindowExA(0, c.class_name, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, c.parent, 0, 0, nullptr);
        EXPECT_EQ(tip != 0, c.created) << (c.class_name ? c.class_name : "null") << " " << c.parent;
        EXPECT_EQ(IsWindow(tip), c.created ? TRUE : FALSE);
        DestroyWindow(tip);
    }
    destroy_window(owner);
}

TEST(TipWindow, StylesGiveBalloonAndTopmost)
{
    const HWND balloon = new_tip(0, TTS_BALLOON, WS_EX_TOPMOST);
    const HWND plain = new_tip(0, 0, 0);
    EXPECT_TRUE(tip_window_state(balloon)->balloon);
    EXPECT_TRUE(tip_window_state(balloon)->topmost);
    EXPECT_FALSE(tip_window_state(plain)->balloon);
    EXPECT_FALSE(tip_window_state(plain)->topmost);

    EXPECT_EQ(SetWindowPos(plain, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE), TRUE);
    EXPECT_TRUE(tip_window_state(plain)->topmost);
    SetWindowPos(plain, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(tip_window_state(plain)->topmost); // no z-order change asked for
    SetWindowPos(plain, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(tip_window_state(plain)->topmost);

    const HWND other = create_window();
    EXPECT_EQ(SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, 0x13), TRUE);
    destroy_window(other);
    EXPECT_EQ(SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, 0x13), FALSE);
    DestroyWindow(balloon);
    DestroyWindow(plain);
}

TEST(TipWindow, ANewTipHasTheClassicDefaults)
{
    const HWND tip = new_tip(0);
    EXPECT_EQ(tool_count(tip), 0);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0), LRESULT(RGB(255, 255, 225)));
    EXPECT_EQ(SendMessageA(tip, TTM_GETTIPTEXTCOLOR, 0, 0), 0);
    EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), -1);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 5000);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_RESHOW, 0), 100);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOMATIC, 0), 0);
    EXPECT_EQ(SendMessageA(tip, 0x4FF, 1, 2), 0); // a message it does not know
    DestroyWindow(tip);
}

TEST(TipWindow, SetMessagesReadBackThroughTheirGetMessages)
{
    struct Case {
        const char* what;
        UINT set;
        WPARAM set_wparam;
        LPARAM set_lparam;
        UINT get;
        WPARAM get_wparam;
        LRESULT expected;
    };
    const Case cases[] = {
        {"back colour", TTM_SETTIPBKCOLOR, 0x123456, 0, TTM_GETTIPBKCOLOR, 0, 0x123456},
        {"system colour kept as it is", TTM_SETTIPBKCOLOR, 0x80000018, 0, TTM_GETTIPBKCOLOR, 0, 0x80000018},
        {"text colour", TTM_SETTIPTEXTCOLOR, 0xFF, 0, TTM_GETTIPTEXTCOLOR, 0, 0xFF},
        {"max width", TTM_SETMAXTIPWIDTH, 0, 100, TTM_GETMAXTIPWIDTH, 0, 100},
        {"max width 0", TTM_SETMAXTIPWIDTH, 0, 0, TTM_GETMAXTIPWIDTH, 0, 0},
        {"max width wider than 16 bits", TTM_SETMAXTIPWIDTH, 0, 0x18000, TTM_GETMAXTIPWIDTH, 0, 0x18000},
        {"initial delay", TTM_SETDELAYTIME, TTDT_INITIAL, 20, TTM_GETDELAYTIME, TTDT_INITIAL, 20},
        {"visible time", TTM_SETDELAYTIME, TTDT_AUTOPOP, 10000, TTM_GETDELAYTIME, TTDT_AUTOPOP, 10000},
        {"reshow delay", TTM_SETDELAYTIME, TTDT_RESHOW, 7, TTM_GETDELAYTIME, TTDT_RESHOW, 7},
        {"a delay of 0", TTM_SETDELAYTIME, TTDT_INITIAL, 0, TTM_GETDELAYTIME, TTDT_INITIAL, 0},
        {"-1 restores the default", TTM_SETDELAYTIME, TTDT_AUTOPOP, -1, TTM_GETDELAYTIME, TTDT_AUTOPOP, 5000},
        {"only the low word counts", TTM_SETDELAYTIME, TTDT_INITIAL, 0x10064, TTM_GETDELAYTIME, TTDT_INITIAL, 100},
        {"a low word past 32767 is negative", TTM_SETDELAYTIME, TTDT_INITIAL, 40000, TTM_GETDELAYTIME, TTDT_INITIAL,
         500},
    };
    for (const Case& c : cases) {
        const HWND tip = new_tip(0);
        if (c.set == TTM_SETDELAYTIME) // away from the default first, so a restore shows
            SendMessageA(tip, TTM_SETDELAYTIME, c.set_wparam, 1234);
        SendMessageA(tip, c.set, c.set_wparam, c.set_lparam);
        EXPECT_EQ(SendMessageA(tip, c.get, c.get_wparam, 0), c.expected) << c.what;
        DestroyWindow(tip);
    }
}

TEST(TipWindow, SetMaxTipWidthAnswersThePreviousWidth)
{
    const HWND tip = new_tip(0);
    EXPECT_EQ(SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 100), -1);
    EXPECT_EQ(SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, -1), 100);
    EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), -1);
    DestroyWindow(tip);
}

TEST(TipWindow, AutomaticDelaySetsAllThreeInProportion)
{
    const HWND tip = new_tip(0);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 300);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 300);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 3000);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_RESHOW, 0), 60);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, -1);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 5000);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_RESHOW, 0), 100);
    DestroyWindow(tip);
}

TEST(TipWindow, SetTitleNeedsAText)
{
    const HWND tip = new_tip(0);
    EXPECT_EQ(SendMessageA(tip, TTM_SETTITLEA, TTI_INFO, 0), FALSE);
    EXPECT_EQ(tip_window_state(tip)->icon, 0);
    EXPECT_EQ(SendMessageA(tip, TTM_SETTITLEA, TTI_INFO, ptr("Velmora")), TRUE);
    EXPECT_EQ(tip_window_state(tip)->title, "Velmora");
    EXPECT_EQ(tip_window_state(tip)->icon, 1);
    DestroyWindow(tip);
}

TEST(TipWindow, ToolsAreAddedEnumeratedUpdatedAndDeleted)
{
    const HWND tip = new_tip(0);
    const HWND a = create_window();
    const HWND b = create_window();
    TOOLINFOA added = tool_record(a, "first", TTF_IDISHWND | TTF_SUBCLASS | TTF_CENTERTIP);
    added.rect = {1, 2, 3, 4};
    added.lParam = 77;
    EXPECT_EQ(SendMessageA(tip, TTM_ADDTOOLA, 0, ptr(&added)), TRUE);
    EXPECT_TRUE(add_tool(tip, b, "second"));
    EXPECT_TRUE(add_tool(tip, b, "second again")); // nobody checks for a tool already there
    EXPECT_EQ(tool_count(tip), 3);

    std::array<char, TOOLTIP_TEXT_BUFFER> buffer {};
    TOOLINFOA record;
    record.cbSize = TTTOOLINFOA_V2_SIZE;
    record.lpszText = buffer.data();
    ASSERT_EQ(SendMessageA(tip, TTM_ENUMTOOLSA, 0, ptr(&record)), TRUE);
    EXPECT_EQ(record.uFlags, TTF_IDISHWND | TTF_SUBCLASS | TTF_CENTERTIP);
    EXPECT_EQ(record.hwnd, a);
    EXPECT_EQ(record.uId, a);
    EXPECT_EQ(record.rect, (RECT {1, 2, 3, 4}));
    EXPECT_EQ(record.hinst, 0x00400000u);
    EXPECT_EQ(record.lParam, 77);
    EXPECT_STREQ(buffer.data(), "first");

    TOOLINFOA untouched = record;
    EXPECT_EQ(SendMessageA(tip, TTM_ENUMTOOLSA, 3, ptr(&record)), FALSE);
    EXPECT_EQ(std::memcmp(&record, &untouched, sizeof record), 0);

    TOOLINFOA update = tool_record(b, "changed");
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, ptr(&update));
    SendMessageA(tip, TTM_ENUMTOOLSA, 1, ptr(&record));
    EXPECT_STREQ(buffer.data(), "changed");
    SendMessageA(tip, TTM_ENUMTOOLSA, 2, ptr(&record));
    EXPECT_STREQ(buffer.data(), "second again"); // the first tool of that identity only

    TOOLINFOA remove = tool_record(a, nullptr);
    SendMessageA(tip, TTM_DELTOOLA, 0, ptr(&remove));
    EXPECT_EQ(tool_count(tip), 2);
    SendMessageA(tip, TTM_ENUMTOOLSA, 0, ptr(&record));
    EXPECT_EQ(record.uId, b);
    SendMessageA(tip, TTM_DELTOOLA, 0, ptr(&remove)); // gone already
    TOOLINFOA other_id = tool_record(b, nullptr);
    other_id.uId = a; // same window, another tool identity
    SendMessageA(tip, TTM_DELTOOLA, 0, ptr(&other_id));
    EXPECT_EQ(tool_count(tip), 2);

    DestroyWindow(tip);
    destroy_window(a);
    destroy_window(b);
}

TEST(TipWindow, EnumToolsCutsALongTextAtACharacterBoundary)
{
    struct Case {
        std::string text;
        std::string expected;
    };
    std::string cyrillic;
    for (int i = 0; i < 60; ++i)
        cyrillic += "Ж"; // two bytes each: 79 bytes would split the 40th
    const Case cases[] = {
        {std::string(100, 'a'), std::string(TOOLTIP_TEXT_BUFFER - 1, 'a')},
        {std::string(79, 'b'), std::string(79, 'b')},
        {cyrillic, cyrillic.substr(0, 78)},
        {"", ""},
    };
    for (const Case& c : cases) {
        const HWND tip = new_tip(0);
        const HWND control = create_window();
        add_tool(tip, control, c.text.c_str());
        std::array<char, 100> buffer;
        buffer.fill('x');
        TOOLINFOA record;
        record.cbSize = TTTOOLINFOA_V2_SIZE;
        record.lpszText = buffer.data();
        SendMessageA(tip, TTM_ENUMTOOLSA, 0, ptr(&record));
        EXPECT_EQ(std::string(buffer.data()), c.expected);
        EXPECT_EQ(buffer[TOOLTIP_TEXT_BUFFER], 'x') << "wrote past the buffer";
        DestroyWindow(tip);
        destroy_window(control);
    }
}

TEST(TipWindow, RecordsOfAnotherSizeAreRefused)
{
    // Windows reads a record by its cbSize; a size we do not know would read past ours.
    const HWND tip = new_tip(0);
    const HWND control = create_window();
    ASSERT_TRUE(add_tool(tip, control, "kept"));
    for (UINT size : {0u, TTTOOLINFOA_V1_SIZE - 4, TTTOOLINFOA_V2_SIZE + 4, TTTOOLINFOA_V2_SIZE + 8, 0xFFFFFFFFu}) {
        TOOLINFOA record = tool_record(control, "new");
        record.cbSize = size;
        EXPECT_EQ(SendMessageA(tip, TTM_ADDTOOLA, 0, ptr(&record)), FALSE) << size;
        SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, ptr(&record));
        SendMessageA(tip, TTM_DELTOOLA, 0, ptr(&record));
        EXPECT_EQ(tool_count(tip), 1) << size;
        std::array<char, TOOLTIP_TEXT_BUFFER> buffer {};
        record.lpszText = buffer.data();
        EXPECT_EQ(SendMessageA(tip, TTM_ENUMTOOLSA, 0, ptr(&record)), FALSE) << size;
        EXPECT_STREQ(buffer.data(), "") << size;
    }
    for (UINT message : {TTM_ADDTOOLA, TTM_ENUMTOOLSA, TTM_DELTOOLA, TTM_UPDATETIPTEXTA})
        EXPECT_EQ(SendMessageA(tip, message, 0, 0), FALSE);

    // The first version has no lParam: it is neither read nor written.
    TOOLINFOA first = tool_record(control, "v1");
    first.cbSize = TTTOOLINFOA_V1_SIZE;
    first.lParam = 55;
    EXPECT_EQ(SendMessageA(tip, TTM_ADDTOOLA, 0, ptr(&first)), TRUE);
    std::array<char, TOOLTIP_TEXT_BUFFER> buffer {};
    TOOLINFOA record;
    record.cbSize = TTTOOLINFOA_V2_SIZE;
    record.lpszText = buffer.data();
    SendMessageA(tip, TTM_ENUMTOOLSA, 1, ptr(&record));
    EXPECT_EQ(record.lParam, 0);
    EXPECT_STREQ(buffer.data(), "v1");
    record.cbSize = TTTOOLINFOA_V1_SIZE;
    record.lParam = 99;
    SendMessageA(tip, TTM_ENUMTOOLSA, 1, ptr(&record));
    EXPECT_EQ(record.lParam, 99);
    DestroyWindow(tip);
    destroy_window(control);
}

TEST(TipWindow, TextsThatAreNoPointersAreNeverRead)
{
    const HWND tip = new_tip(0);
    const HWND control = create_window();
    TOOLINFOA callback = tool_record(control, nullptr);
    callback.lpszText = LPSTR_TEXTCALLBACKA;
    EXPECT_EQ(SendMessageA(tip, TTM_ADDTOOLA, 0, ptr(&callback)), TRUE);
    TOOLINFOA resource = tool_record(control, nullptr);
    resource.lpszText = reinterpret_cast<char*>(intptr_t(101)); // a string resource number
    EXPECT_EQ(SendMessageA(tip, TTM_ADDTOOLA, 0, ptr(&resource)), TRUE);

    std::array<char, TOOLTIP_TEXT_BUFFER> buffer {};
    TOOLINFOA record;
    record.cbSize = TTTOOLINFOA_V2_SIZE;
    record.lpszText = buffer.data();
    SendMessageA(tip, TTM_ENUMTOOLSA, 0, ptr(&record));
    EXPECT_EQ(record.lpszText, LPSTR_TEXTCALLBACKA);
    record.lpszText = nullptr; // nowhere to copy to
    EXPECT_EQ(SendMessageA(tip, TTM_ENUMTOOLSA, 1, ptr(&record)), TRUE);
    DestroyWindow(tip);
    destroy_window(control);
}

TEST(TipWindow, MessagesToOtherWindowsAnswerZeroAndAreObserved)
{
    std::vector<UINT> seen;
    set_message_observer([&](HWND, UINT message, WPARAM, LPARAM) { seen.push_back(message); });
    const HWND plain = create_window();
    EXPECT_EQ(SendMessageA(plain, TTM_GETMAXTIPWIDTH, 0, 0), 0);
    EXPECT_EQ(SendMessageA(0, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 0);
    set_message_observer({});
    SendMessageA(0, TTM_GETTOOLCOUNT, 0, 0);
    EXPECT_EQ(seen, (std::vector<UINT> {TTM_GETMAXTIPWIDTH, TTM_GETDELAYTIME}));
    destroy_window(plain);
}

TEST(TipWindow, DestroyWindowTakesOnlyTipWindows)
{
    const HWND control = create_window();
    const HWND tip = new_tip(0);
    EXPECT_EQ(DestroyWindow(0), FALSE);
    EXPECT_EQ(DestroyWindow(control), FALSE);
    EXPECT_EQ(IsWindow(control), TRUE);
    EXPECT_EQ(DestroyWindow(tip), TRUE);
    EXPECT_EQ(IsWindow(tip), FALSE);
    EXPECT_EQ(DestroyWindow(tip), FALSE);
    EXPECT_FALSE(tip_window_state(tip));
    destroy_window(control);
}

TEST(TipWindow, ATipGoesWithItsOwnerAndItsStaleHandleNamesNothing)
{
    auto owner_widget = std::make_unique<QWidget>();
    const HWND owner = create_window();
    register_window_widget(owner, owner_widget.get());
    const HWND tip = new_tip(owner);
    const HWND bystander = new_tip(0);
    ASSERT_EQ(IsWindow(tip), TRUE);

    owner_widget.reset();
    EXPECT_EQ(IsWindow(tip), FALSE);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 0);
    EXPECT_EQ(DestroyWindow(tip), FALSE);
    const HWND later = new_tip(0);
    EXPECT_NE(later, tip); // never handed out again
    EXPECT_EQ(DestroyWindow(tip), FALSE);
    EXPECT_EQ(IsWindow(bystander), TRUE);
    EXPECT_EQ(IsWindow(later), TRUE);
    DestroyWindow(bystander);
    DestroyWindow(later);
    destroy_window(owner);
}

TEST(TipWindow, GetClientRectAnswersTheWidgetsSize)
{
    QWidget widget;
    widget.resize(100, 30);
    const HWND shown = create_window();
    const HWND bare = create_window();
    const HWND gone = create_window();
    destroy_window(gone);
    register_window_widget(shown, &widget);

    RECT rect {9, 9, 9, 9};
    EXPECT_EQ(GetClientRect(shown, &rect), TRUE);
    EXPECT_EQ(rect, (RECT {0, 0, 100, 30}));
    EXPECT_EQ(GetClientRect(bare, &rect), TRUE);
    EXPECT_EQ(rect, RECT {});
    rect = {9, 9, 9, 9};
    EXPECT_EQ(GetClientRect(gone, &rect), FALSE);
    EXPECT_EQ(rect, (RECT {9, 9, 9, 9}));
    EXPECT_EQ(GetClientRect(shown, nullptr), FALSE);
    destroy_window(shown);
    destroy_window(bare);
}

TEST(TipWindow, TheFormsRunTimeRegistersItsWidgets)
{
    platform::forms::Forms forms;
    forms.add("Main", parse_window_definition(R"(
form Main
    ClientWidth = 3000
    ClientHeight = 1500
    textbox Text1
        Width = 1500
        Height = 300
    end
    menu file
        Caption = "File"
    end
end
)"),
              nullptr);
    auto& form = forms["Main"];
    auto& box = form.text("Text1");
    EXPECT_EQ(widget_of(box.hWnd()), box.widget());
    EXPECT_EQ(widget_of(form.hWnd()), static_cast<QWidget*>(form.widget()));
    RECT rect;
    GetClientRect(form.hWnd(), &rect);
    EXPECT_EQ(rect, (RECT {0, 0, 200, 100})); // the client area, below the menu bar
    GetClientRect(box.hWnd(), &rect);
    EXPECT_EQ(rect, (RECT {0, 0, 100, 20}));

    UserControl host;
    auto hosted = std::make_unique<platform::forms::UserControlWidget>(host, nullptr);
    EXPECT_EQ(widget_of(host.hWnd()), hosted.get());
    hosted.reset();
    EXPECT_EQ(widget_of(host.hWnd()), nullptr);

    // A tip owned by the window goes when the window does.
    const HWND tip = new_tip(form.hWnd());
    const HWND window = form.hWnd();
    const HWND box_window = box.hWnd();
    form.Unload();
    forms.collect();
    EXPECT_EQ(IsWindow(window), FALSE);
    EXPECT_EQ(IsWindow(tip), FALSE);
    EXPECT_EQ(widget_of(box_window), nullptr);
}

TEST_F(TipTest, ABalloonShowsAfterTheInitialDelayAndHidesAfterTheVisibleTime)
{
    make_tip(TTS_ALWAYSTIP | TTS_BALLOON, 150, 300);
    SendMessageA(tip, TTM_SETTITLEA, TTI_INFO, ptr("Velmora"));
    ASSERT_TRUE(add_tool(tip, first_handle, "Выход из программы"));

    QElapsedTimer clock;
    clock.start();
    enter(first, {20, 15});
    pump(60);
    EXPECT_FALSE(visible(tip));
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    EXPECT_GE(clock.elapsed(), 150);
    const auto state = *tip_window_state(tip);
    EXPECT_TRUE(state.balloon);
    EXPECT_EQ(state.title, "Velmora");
    EXPECT_EQ(state.icon, 1);
    EXPECT_EQ(state.text, "Выход из программы");
    // The stem's tip is on the pointer.
    const QPoint pointer = first.mapToGlobal(QPoint(20, 15));
    EXPECT_EQ(state.geometry.top(), pointer.y());
    EXPECT_LT(state.geometry.left(), pointer.x());
    EXPECT_GT(state.geometry.right(), pointer.x());

    clock.restart();
    ASSERT_TRUE(eventually([&] { return !visible(tip); }));
    EXPECT_GE(clock.elapsed(), 250);
    // Resting or moving over the same tool does not bring it back.
    move(first, {30, 15});
    pump(250);
    EXPECT_FALSE(visible(tip));
    // Coming back does.
    leave(first);
    enter(first, {20, 15});
    EXPECT_TRUE(eventually([&] { return visible(tip); }));
}

TEST_F(TipTest, LeavingOrClickingPutsTheTipAway)
{
    make_tip();
    ASSERT_TRUE(add_tool(tip, first_handle, "tip"));
    enter(first, {5, 5});
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    leave(first);
    EXPECT_FALSE(visible(tip));

    enter(first, {5, 5});
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    press(first, {5, 5});
    EXPECT_FALSE(visible(tip));
    pump(80);
    EXPECT_FALSE(visible(tip));

    // A click during the delay stops it as well.
    leave(first);
    enter(first, {5, 5});
    press(first, {5, 5});
    pump(80);
    EXPECT_FALSE(visible(tip));
}

TEST_F(TipTest, ThePointerHasToRestForTheWholeDelay)
{
    make_tip(TTS_ALWAYSTIP | TTS_BALLOON, 200);
    ASSERT_TRUE(add_tool(tip, first_handle, "tip"));
    QElapsedTimer clock;
    clock.start();
    enter(first, {5, 5});
    pump(120);
    move(first, {6, 5});
    const qint64 moved = clock.elapsed();
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    EXPECT_GE(clock.elapsed() - moved, 190);
}

TEST_F(TipTest, ARectangleToolCoversOnlyItsRectangle)
{
    make_tip();
    TOOLINFOA record = tool_record(first_handle, "corner", TTF_SUBCLASS);
    record.uId = 7;
    record.rect = {0, 0, 20, 20};
    ASSERT_EQ(SendMessageA(tip, TTM_ADDTOOLA, 0, ptr(&record)), TRUE);
    enter(first, {30, 5});
    pump(80);
    EXPECT_FALSE(visible(tip));
    move(first, {19, 19});
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    move(first, {20, 5}); // right is exclusive
    EXPECT_FALSE(visible(tip));
}

TEST_F(TipTest, NothingShowsForToolsThatCannot)
{
    // Without TTF_SUBCLASS nobody relays the mouse; an empty text or a hidden control shows nothing.
    make_tip();
    ASSERT_TRUE(add_tool(tip, first_handle, "relayed", TTF_IDISHWND));
    ASSERT_TRUE(add_tool(tip, second_handle, ""));
    enter(first, {5, 5});
    enter(second, {5, 5});
    pump(80);
    EXPECT_FALSE(visible(tip));

    TOOLINFOA update = tool_record(second_handle, "now");
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, ptr(&update));
    second.hide();
    move(second, {6, 5});
    pump(80);
    EXPECT_FALSE(visible(tip));
}

TEST_F(TipTest, WithoutAlwaysTipOnlyTheActiveWindowShowsTips)
{
    if (!window.isActiveWindow())
        GTEST_SKIP() << "this platform does not activate windows";
    make_tip(TTS_BALLOON);
    ASSERT_TRUE(add_tool(tip, first_handle, "tip"));
    enter(first, {5, 5});
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    leave(first);

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(eventually([&] { return other.isActiveWindow(); }));
    enter(first, {5, 5});
    pump(80);
    EXPECT_FALSE(visible(tip));
}

TEST_F(TipTest, MovingOnFromAShownTipUsesTheReshowDelay)
{
    make_tip(TTS_ALWAYSTIP | TTS_BALLOON, 400);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_RESHOW, 10);
    ASSERT_TRUE(add_tool(tip, first_handle, "one"));
    ASSERT_TRUE(add_tool(tip, second_handle, "two"));
    enter(first, {5, 5});
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    leave(first);
    QElapsedTimer clock;
    clock.start();
    enter(second, {5, 5});
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    EXPECT_LT(clock.elapsed(), 300);
    EXPECT_EQ(tip_window_state(tip)->text, "two");
}

TEST_F(TipTest, AShownTipFollowsItsToolsChanges)
{
    make_tip();
    ASSERT_TRUE(add_tool(tip, first_handle, "before"));
    enter(first, {5, 5});
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    TOOLINFOA update = tool_record(first_handle, "after");
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, ptr(&update));
    EXPECT_EQ(tip_window_state(tip)->text, "after");
    SendMessageA(tip, TTM_DELTOOLA, 0, ptr(&update));
    EXPECT_FALSE(visible(tip));
}

TEST_F(TipTest, PrefixesAreDrawnUnlessTheStyleKeepsThem)
{
    for (DWORD style : {DWORD(TTS_ALWAYSTIP), DWORD(TTS_ALWAYSTIP | TTS_NOPREFIX)}) {
        DestroyWindow(tip);
        make_tip(style);
        ASSERT_TRUE(add_tool(tip, first_handle, "&Save && go&"));
        leave(first);
        enter(first, {5, 5});
        ASSERT_TRUE(eventually([&] { return visible(tip); }));
        EXPECT_EQ(tip_window_state(tip)->text, style & TTS_NOPREFIX ? "&Save && go&" : "Save & go");
    }
}

TEST_F(TipTest, TheTipDrawsItsColoursAndWrapsWithinTheMaximumWidth)
{
    const char* text = "Узнать индекс цитирования Яндекса и PageRank";
    auto shown_geometry = [&](int32_t max_width) {
        DestroyWindow(tip);
        make_tip(TTS_ALWAYSTIP); // a plain rectangle: every pixel of the grab is the tip's
        SendMessageA(tip, TTM_SETTIPBKCOLOR, RGB(10, 200, 30), 0);
        SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, max_width);
        add_tool(tip, first_handle, text);
        leave(first);
        enter(first, {5, 5});
        EXPECT_TRUE(eventually([&] { return visible(tip); }));
        return tip_window_state(tip)->geometry;
    };
    const QRect one_line = shown_geometry(-1);
    const QRect wrapped = shown_geometry(100);
    EXPECT_LE(wrapped.width(), 100 + 8);
    EXPECT_LT(wrapped.width(), one_line.width());
    EXPECT_GT(wrapped.height(), 2 * one_line.height());

    const QImage image = widget_of(tip)->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 0));               // the frame
    EXPECT_EQ(image.pixelColor(1, 1), QColor(10, 200, 30));           // the back colour
    EXPECT_EQ(image.pixelColor(image.width() - 2, 1), QColor(10, 200, 30));
}

TEST_F(TipTest, ABalloonIsShapedAndItsStemMeetsThePointer)
{
    make_tip(TTS_ALWAYSTIP | TTS_BALLOON);
    SendMessageA(tip, TTM_SETTITLEA, TTI_INFO, ptr("Velmora"));
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 100);
    add_tool(tip, first_handle, "Смотреть скриншот сайта");
    enter(first, {40, 15});
    ASSERT_TRUE(eventually([&] { return visible(tip); }));
    QWidget* balloon = widget_of(tip);
    const QRegion mask = balloon->mask();
    const QPoint pointer = balloon->mapFromGlobal(first.mapToGlobal(QPoint(40, 15)));
    EXPECT_TRUE(mask.contains(pointer));                   // the stem's tip
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));              // above the body, beside the stem
    EXPECT_FALSE(mask.contains(QPoint(0, balloon->height() - 1))); // a rounded corner
    EXPECT_TRUE(mask.contains(QPoint(balloon->width() / 2, balloon->height() / 2)));
}

} // namespace
