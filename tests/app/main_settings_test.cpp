// The main window across runs of the program: its two stored settings, the notice of a first
#include "tests/support/eventually.h"
#include "tests/support/eventually.h"
// start, and the balloon tips of every later one.

#include "app/cregister.h"
#include "app/program.h"
#include "button/ww.h"
#include "platform/forms/form_widget.h"
#include "platform/forms/tooltip.h"
#include "tests/services/registry_sandbox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace platform;
using platform::forms::Form;
using platform::forms::Forms;

const std::string section = "\\Software\\Velmora\\Settings";
constexpr const char* key_path = "Software\\Velmora\\Settings";
const std::string caption_prefix = "Работаем с сайтом: ";
const std::string notice = "Это ваш первый запуск программы Velmora.\r\n"
                           "Пожалуйста подключите интернет и начните работу с нажатия на кнопку УЗНАТЬ.";
const std::string flag_after_lookup = "Первый вход";

// The site box's design text, the default site address.
std::string design_site()
{
    for (const ControlDefinition& control : app::embedded_definition("Form1").children)
        if (control.name == "Text1")
            return control.text("Text");
    return "<no Text1>";
}

// A value's data as the store keeps it (REG_SZ with its NUL), or nullopt when there is none.
std::optional<std::string> stored(const char* name)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD size = 0;
    std::optional<std::string> data;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        data.emplace(size, '\0');
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data->data()), &size);
    }
    RegCloseKey(key);
    return data;
}

// What a non-empty text looks like in the store; the empty text is stored without a NUL.
std::string as_stored(const std::string& text)
{
    return text.empty() ? text : text + '\0';
}

void store(const char* name, const std::string& text)
{
    app::CRegister().REGSaveSetting(HKEY_LOCAL_MACHINE, section, name, text);
}

using test_support::eventually;

void wait(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Message {
    std::string prompt;
    int flags;
    std::string title;
    bool main_visible; // whether the main window was on screen while the box was up
};

// A message to a tip window, with its text and tool record copied while they lived.
struct Sent {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    std::string text;
    TOOLINFOA record;
};

class MainSettingsTest : public ::testing::Test {
protected:
    MainSettingsTest()
    {
        set_message_observer([this](HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
            Sent sent {window, message, wparam, lparam, {}, {}};
            if (message == TTM_SETTITLEA && lparam)
                sent.text = reinterpret_cast<const char*>(lparam);
            if (message == TTM_ADDTOOLA && lparam) {
                sent.record = *reinterpret_cast<const TOOLINFOA*>(lparam);
                if (sent.record.lpszText)
                    sent.text = sent.record.lpszText;
            }
            sent_to_tips.push_back(sent);
        });
    }
    ~MainSettingsTest() override
    {
        set_message_observer({});
        if (forms)
            forms->collect();
    }

    // A new run of the program over the store as the last run left it: the splash window,
    // then its timer hands over to the main window.
    Form& start_program()
    {
        new_run();
        (*forms)["Form8"].Show();
        (*forms)["Form8"].timer("Timer1").tick();
        return main();
    }

    // The main window loaded as at the start, but never put on screen: a forked child must
    // not paint, since Qt's drawing threads stayed behind in the parent.
    Form& start_program_unseen()
    {
        new_run();
        return main();
    }

    void new_run()
    {
        if (forms)
            forms->collect();
        forms.reset();
        platform::reopen_registry_store();
        messages.clear();
        sent_to_tips.clear();
        ended = false;
        forms = std::make_unique<Forms>();
        app::register_program(*forms);
        forms->set_message_box_hook([this](const std::string& prompt, int flags, const std::string& title) {
            const bool visible = forms->is_loaded("Form1") && (*forms)["Form1"].Visible();
            messages.push_back({prompt, flags, title, visible});
            return 1;
        });
        forms->set_on_main_unloaded([this] { ended = true; });
    }

    Form& main() { return (*forms)["Form1"]; }

    // The tip window that the main window's load made, or 0.
    HWND tip_window() const
    {
        for (const Sent& s : sent_to_tips)
            if (s.message == TTM_SETTITLEA)
                return s.window;
        return 0;
    }

    std::vector<const Sent*> added_tools() const
    {
        std::vector<const Sent*> tools;
        for (const Sent& s : sent_to_tips)
            if (s.message == TTM_ADDTOOLA)
                tools.push_back(&s);
        return tools;
    }

    test_support::RegistrySandbox registry;
    std::unique_ptr<Forms> forms;
    std::vector<Message> messages;
    std::vector<Sent> sent_to_tips;
    bool ended = false;
};

// The three ways out of the program.
struct WayOut {
    const char* name;
    std::function<void(Form&)> leave;
};
const WayOut ways_out[] = {
    {"menu command", [](Form& main) { main.menu("exit").click(); }},
    {"exit button", [](Form& main) { main.custom<button::ww>("ww6").UserControl.raise_Click(); }},
    {"close box", [](Form& main) { main.widget()->close(); }},
};

// ---- First start

TEST_F(MainSettingsTest, AStartWithoutAFlagShowsTheNoticeBeforeTheWindowAndNoTips)
{
    struct Case {
        const char* what;
        std::function<void()> prepare;
    };
    const Case cases[] = {
        {"nothing stored at all", [] {}},
        {"only a site stored", [] { store("Site", "сайт.рф"); }},
        {"the flag stored empty", [] { store("Entry", ""); }},
        {"the flag's value of another name", [] { store("Entry2", "x"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(registry.store());
        c.prepare();
        Form& main = start_program();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].prompt, notice);
        EXPECT_EQ(messages[0].title, "Первый запуск");
        EXPECT_EQ(messages[0].flags, 0x10040); // information icon, brought to the foreground
        EXPECT_FALSE(messages[0].main_visible);
        EXPECT_TRUE(main.Visible());
        EXPECT_EQ(main.text("Text39").Text(), "");
        EXPECT_TRUE(sent_to_tips.empty()) << "no tip window on a first start";
        // The plain tooltips are the run time's and stay.
        EXPECT_EQ(main.user_control("ww1").ToolTipText(), "Узнать результат");
    }
}

TEST_F(MainSettingsTest, AFirstStartShowsTheDesignSiteAndItsCaptionIsLeftAlone)
{
    Form& main = start_program();
    EXPECT_EQ(main.text("Text1").Text(), design_site());
    EXPECT_EQ(main.Caption(), "Velmora v2.0.0"); // the box did not change, so neither did the caption
}

// ---- Later starts

TEST_F(MainSettingsTest, AnyFlagButTheEmptyTextGivesTheNineTipsAndNoNotice)
{
    struct Target {
        const char* control;
        int width, height; // client pixels
        const char* text;
    };
    const Target targets[] = {
        {"Text1", 281, 25, "Вставте адрес сайта без http://"},
        {"ww4", 25, 25, "IP Юзербары для подписей на форумах"},
        {"ww5", 25, 25, "О программе Velmora"},
        {"ww6", 25, 25, "Выход из программы"},
        {"ww1", 161, 25, "Узнать индекс цитирования Яндекса и PageRank"},
        {"ww8", 25, 25, "IP кнопки для подписей на форумах и установки на сайтах"},
        {"ww7", 25, 25, "Зайти на сайт"},
        {"ww9", 33, 25, "Поиск в поисковиках"},
        {"ww3", 161, 25, "Смотреть скриншот сайта"},
    };
    const std::string flags[] = {flag_after_lookup, " ", "0", "&"};
    for (const std::string& flag : flags) {
        SCOPED_TRACE("flag \"" + flag + "\"");
        store("Entry", flag);
        Form& main = start_program();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(main.text("Text39").Text(), flag);

        const HWND tip = tip_window();
        ASSERT_NE(tip, 0u);
        ASSERT_GE(sent_to_tips.size(), 4u);
        for (const Sent& s : sent_to_tips)
            EXPECT_EQ(s.window, tip);
        // The title, the width and the two delays; both colours stay the tip window's own.
        EXPECT_EQ(sent_to_tips[0].message, TTM_SETTITLEA);
        EXPECT_EQ(sent_to_tips[0].wparam, TTI_INFO);
        EXPECT_EQ(sent_to_tips[0].text, "Velmora");
        EXPECT_EQ(sent_to_tips[1].message, TTM_SETMAXTIPWIDTH);
        EXPECT_EQ(sent_to_tips[1].lparam, 100);
        EXPECT_EQ(sent_to_tips[2].message, TTM_SETDELAYTIME);
        EXPECT_EQ(sent_to_tips[2].wparam, TTDT_INITIAL);
        EXPECT_EQ(sent_to_tips[2].lparam, 500);
        EXPECT_EQ(sent_to_tips[3].message, TTM_SETDELAYTIME);
        EXPECT_EQ(sent_to_tips[3].wparam, TTDT_AUTOPOP);
        EXPECT_EQ(sent_to_tips[3].lparam, 10000);
        EXPECT_EQ(sent_to_tips.size(), 4u + std::size(targets)) << "nothing but the title, width, delays and tools";

        const auto state = tip_window_state(tip);
        ASSERT_TRUE(state);
        EXPECT_TRUE(state->balloon);
        EXPECT_TRUE(state->topmost);
        EXPECT_FALSE(state->visible);
        EXPECT_EQ(state->title, "Velmora");
        EXPECT_EQ(state->icon, 1);

        const auto tools = added_tools();
        ASSERT_EQ(tools.size(), std::size(targets));
        for (size_t i = 0; i < tools.size(); ++i) {
            const Target& target = targets[i];
            SCOPED_TRACE(target.control);
            const HWND handle = target.control == std::string("Text1")
                                    ? main.text("Text1").hWnd()
                                    : HWND(main.custom<button::ww>(target.control).hWnd());
            const TOOLINFOA& record = tools[i]->record;
            EXPECT_EQ(record.hwnd, handle);
            EXPECT_EQ(record.uId, handle);
            EXPECT_EQ(record.uFlags, TTF_IDISHWND | TTF_SUBCLASS);
            EXPECT_EQ(record.rect, (RECT {0, 0, target.width, target.height}));
            EXPECT_EQ(record.hinst, forms->app.hInstance);
            EXPECT_EQ(tools[i]->text, target.text);
        }
        EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), LRESULT(std::size(targets)));
        for (const Sent* tool : tools)
            EXPECT_NE(tool->record.uId, HWND(main.custom<button::ww>("ww2").hWnd())) << "the get-code button has no tip";

        // The tip window goes with the main window.
        main.menu("exit").click();
        forms->collect();
        EXPECT_EQ(IsWindow(tip), FALSE);
    }
}

TEST_F(MainSettingsTest, ABalloonShowsOverATippedButtonAfterTheInitialDelay)
{
    store("Entry", flag_after_lookup);
    Form& main = start_program();
    main.widget()->activateWindow();
    if (!eventually([&] { return main.widget()->isActiveWindow(); }, 500))
        GTEST_SKIP() << "this platform does not activate windows";
    const HWND tip = tip_window();
    ASSERT_NE(tip, 0u);

    QWidget* button = main.user_control("ww7").widget();
    const QPoint local(12, 12);
    QEnterEvent enter(local, local, button->mapToGlobal(local));
    QApplication::sendEvent(button, &enter);
    wait(300);
    EXPECT_FALSE(tip_window_state(tip)->visible) << "shown before the initial delay";
    ASSERT_TRUE(eventually([&] { return tip_window_state(tip)->visible; }));
    const auto state = *tip_window_state(tip);
    EXPECT_TRUE(state.balloon);
    EXPECT_EQ(state.title, "Velmora");
    EXPECT_EQ(state.icon, 1);
    EXPECT_EQ(state.text, "Зайти на сайт");
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 10000); // how long it may stay
}

// ---- Saving on the way out, restoring at the next start

TEST_F(MainSettingsTest, EveryWayOutSavesBothBoxesAndTheNextStartRestoresThem)
{
    struct Case {
        const char* what;
        std::string site;
        std::string flag;
    };
    const Case cases[] = {
        {"after a lookup", "velmora.example", flag_after_lookup},
        {"Cyrillic", "сайт.рф/страница", flag_after_lookup},
        {"blanks kept, a flag of one blank", "  a site  with blanks ", " "},
        {"ampersands", "a&b&&c.example/?x=1&y=2", "&"},
        {"empty site, no lookup yet", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<std::string> store_after_one_write;
        for (const WayOut& way : ways_out) {
            SCOPED_TRACE(way.name);
            std::filesystem::remove(registry.store());
            store("Site", "before.example");
            Form& main = start_program();
            main.text("Text1").set_Text(c.site);
            main.text("Text39").set_Text(c.flag);
            EXPECT_EQ(stored("Site"), as_stored("before.example")) << "written only on the way out";
            EXPECT_EQ(stored("Entry"), std::nullopt);

            way.leave(main);
            EXPECT_TRUE(ended);
            EXPECT_EQ(stored("Site"), as_stored(c.site));
            EXPECT_EQ(stored("Entry"), as_stored(c.flag));
            // Two writes in a row leave the store as one does.
            const std::string bytes = test_support::RegistrySandbox::read(registry.store());
            if (!store_after_one_write)
                store_after_one_write = bytes;
            EXPECT_EQ(bytes, *store_after_one_write);

            Form& next = start_program();
            const std::string shown_site = c.site.empty() ? design_site() : c.site;
            EXPECT_EQ(next.text("Text1").Text(), shown_site);
            EXPECT_EQ(next.text("Text39").Text(), c.flag);
            if (!c.site.empty()) {
                EXPECT_EQ(next.Caption(), caption_prefix + c.site);
            }
            EXPECT_EQ(messages.size(), c.flag.empty() ? 1u : 0u);
            EXPECT_EQ(tip_window() != 0, !c.flag.empty());
        }
    }
}

TEST_F(MainSettingsTest, TheFirstRunLifeCycleAcrossRuns)
{
    // No lookup on the first run: the empty flag is written and the next start greets again.
    start_program();
    EXPECT_EQ(messages.size(), 1u);
    main().menu("exit").click();
    EXPECT_EQ(stored("Entry"), "");
    start_program();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(tip_window(), 0u);

    // The find-out button sets the flag; from the run after on: tips, no notice, and the flag
    // is written back unchanged each time.
    main().text("Text39").set_Text(flag_after_lookup);
    main().widget()->close();
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        start_program();
        EXPECT_TRUE(messages.empty());
        EXPECT_NE(tip_window(), 0u);
        main().custom<button::ww>("ww6").UserControl.raise_Click();
        EXPECT_EQ(stored("Entry"), as_stored(flag_after_lookup));
    }
}

// ---- A store that misbehaves

TEST_F(MainSettingsTest, AStoreThatCannotBeWrittenIsStillReadAndNothingIsShown)
{
    struct Case {
        const char* what;
        std::string flag; // stored before the read-only run; empty: nothing stored
        std::string site;
    };
    const Case cases[] = {
        {"flag and site stored", flag_after_lookup, "сайт.рф"},
        {"nothing stored", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(registry.store());
        if (!c.flag.empty()) {
            store("Entry", c.flag);
            store("Site", c.site);
        }
        const std::string before = test_support::RegistrySandbox::read(registry.store());
        const auto failure = registry.run_read_only([&]() -> std::string {
            Form& main = start_program_unseen();
            const size_t expected_messages = c.flag.empty() ? 1 : 0; // the notice of a first start only
            if (messages.size() != expected_messages)
                return "messages shown: " + std::to_string(messages.size());
            if (main.text("Text1").Text() != (c.site.empty() ? design_site() : c.site))
                return "the site was not read: " + main.text("Text1").Text();
            if (main.text("Text39").Text() != c.flag)
                return "the flag was not read";
            if (!c.flag.empty() && SendMessageA(tip_window(), TTM_GETTOOLCOUNT, 0, 0) != 9)
                return "the tips were not attached";
            main.text("Text1").set_Text("другой.рф");
            main.text("Text39").set_Text(flag_after_lookup);
            main.menu("exit").click();
            if (!ended)
                return "the program did not end";
            if (messages.size() != expected_messages)
                return "a failed save was reported";
            return "";
        });
        EXPECT_EQ(failure, "");
        EXPECT_EQ(test_support::RegistrySandbox::read(registry.store()), before);
    }
}

TEST_F(MainSettingsTest, ADamagedStoreIsKeptAsideAndTheProgramStartsWithItsDefaults)
{
    const std::string damaged = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Settings]\n\"Site\"=\"half a li";
    registry.write_store(damaged);
    Form& main = start_program();
    EXPECT_EQ(main.text("Text1").Text(), design_site());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].prompt, notice);

    auto kept_aside = [&] {
        std::vector<std::string> names;
        for (const std::string& name : registry.files())
            if (name.starts_with("registry.reg.damaged-"))
                names.push_back(name);
        return names;
    };
    ASSERT_EQ(kept_aside().size(), 1u);
    const std::string aside = registry.directory() + "/" + kept_aside()[0];
    EXPECT_EQ(test_support::RegistrySandbox::read(aside), damaged);

    main.text("Text1").set_Text("новый.рф");
    main.text("Text39").set_Text(flag_after_lookup);
    main.widget()->close();
    Form& next = start_program();
    EXPECT_EQ(next.text("Text1").Text(), "новый.рф");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(kept_aside().size(), 1u);
    EXPECT_EQ(test_support::RegistrySandbox::read(aside), damaged);
}

} // namespace
