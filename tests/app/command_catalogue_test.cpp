#include "app/program.h"
#include "button/ww.h"
#include "platform/forms/form_widget.h"
#include "platform/services/shell.h"
#include "tests/services/registry_sandbox.h"
#include "tests/support/recording_opener.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include <set>

namespace {

using namespace std::chrono_literals;
using platform::forms::Form;
using platform::forms::Forms;
using Strings = std::vector<std::string>;

// A command of kind "template, site, suffix": the template and suffix as the window
// definition holds them (an empty suffix for the commands without one).
struct Service {
    const char* command;
    const char* address_template;
    const char* suffix;
};

const Service services[] = {
    {"htm", "http://validator.w3.org/check?uri=http://", ""},
    {"css", "http://jigsaw.w3.org/css-validator/validator?uri=http://", ""},
    {"rss", "http://validator.w3.org/feed/check.cgi?url=http://", ""},
    {"ke", "http://66.102.9.104/search?sourceid=navclient&ie=UTF-8&oe=UTF-8&q=cache:", ""},
    {"chek", "http://www.checkpagerank.net/google_pr.php?url=http://", ""},
    {"ya", "http://www.yandex.ru/yandsearch?serverurl=", ""},
    {"kat", "http://yaca.yandex.ru/yca/cy/ch/", ""},
    {"ram", "http://nova.rambler.ru/search?sort=0&filter=http://", ""},
    {"sre", "http://siteexplorer.search.yahoo.com/advsearch?p=http://", ""},
    {"bbe", "http://www.liveinternet.ru/stat/?url=http://", ""},
    {"neeert", "http://toolbar.netcraft.com/site_report?url=http://", ""},
    {"pruuy", "http://pr-cy.ru/analysis/?url=", ""},
    {"sdfr", "http://www.cy-pr.com/analysis/?url=", ""},
    {"who", "http://whois.domaintools.com/", ""},
    {"ssert", "http://www.iwebtool.com/tools/Link-Checker.php?url=http://", ""},
    {"arhiv", "http://web.archive.org/web/*/", ""},
    {"ww7", "http://", ""},
    {"gg", "http://www.google.com/search?sourceid=navclient&ie=UTF-8&oe=UTF-8&q=link:", "/&"},
    {"goog", "http://www.google.ru/search?q=site:", " -1234567890"},
    {"yak", "http://hghltd.yandex.net/yandbtm?url=http://", "%2F&text=%E2"},
};

// The boxes each of them reads, in the order of `services`.
const std::pair<const char*, const char*> service_boxes[] = {
    {"Text20", ""}, {"Text21", ""}, {"Text22", ""}, {"Text25", ""}, {"Text34", ""}, {"Text26", ""},
    {"Text33", ""}, {"Text29", ""}, {"Text30", ""}, {"Text31", ""}, {"Text36", ""}, {"Text18", ""},
    {"Text37", ""}, {"Text32", ""}, {"Text35", ""}, {"Text19", ""}, {"Text15", ""}, {"Text11", "Text12"},
    {"Text23", "Text24"}, {"Text27", "Text28"},
};
static_assert(std::size(services) == std::size(service_boxes));

const std::pair<const char*, const char*> fixed_pages[] = {
    {"li", "http://lix.in/"},
    {"tin", "http://www.tinylink.com/tinylink/introsafe.htm"},
    {"sin", "http://snipurl.com/"},
    {"sko", "http://skocz.pl/"},
    {"noouy", "http://notlong.com/links/"},
    {"lif", "http://www.proxy-list.org/free-proxy-list.shtml"},
    {"fgs", "http://www.proxy4free.com/page1.html"},
    {"lkj", "http://aliveproxy.com/proxylist.shtml?HTTP"},
    {"asde", "http://samair.ru/index.php?page=proxylist"},
    {"rus", "http://www.seo-tutorial.ru/"},
    {"iz", "http://www.searchengines.ru/"},
    {"rass", "http://subscribe.ru/catalog/inet.search.seo"},
    {"prog", "http://www.seoprog.ru/programmseo.html"},
    {"ras", "http://www.webmascon.com/articles/promotion/pagerank.html"},
    {"oo", "http://www.ppcsearch.ru/articles.php"},
    {"tab", "http://www.pagerank-info.de/PageRank-Kalkulationstabelle.html"},
    {"sitepro", "http://orlanwerk.example/"},
};

const std::pair<const char*, const char*> window_commands[] = {
    {"opro", "Form4"}, {"ww5", "Form4"}, {"uur", "Form5"}, {"ww4", "Form5"},
    {"rtfd", "Form6"}, {"ww8", "Form6"}, {"ww9", "Form7"},
};

// Site addresses as users type them: plain, none, with its own scheme, with characters
// an address would encode, and Cyrillic.
const std::string sites[] = {
    "velmora.example",
    "",
    "http://velmora.example",
    "my site & co#top?q=1",
    "сайт.рф/страница",
};

class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest()
    {
        app::register_program(forms);
        forms.set_message_box_hook([this](const std::string& prompt, int, const std::string&) {
            messages.push_back(prompt);
            return 1;
        });
        platform::set_open_command({opener.script()});
        main(); // its own load shows the first-run notice
        messages.clear();
    }
    ~CatalogueTest() override
    {
        platform::set_open_command(saved_opener);
        forms.collect();
    }

    Form& main() { return forms["Form1"]; }

    // As the user would: the menu item, or the button of that name.
    void run(const std::string& command)
    {
        if (command.starts_with("ww"))
            main().custom<button::ww>(command).UserControl.raise_Click();
        else
            main().menu(command).action()->trigger();
    }

    std::string opened() { return opener.wait_for_address(); }
    bool opened_nothing() { return opener.nothing_opened(); }

    test_support::RegistrySandbox registry;
    Strings saved_opener = platform::open_command();
    test::RecordingOpener opener;
    Forms forms;
    std::vector<std::string> messages;
};

TEST_F(CatalogueTest, ServicesJoinTemplateSiteAndSuffixUnchanged)
{
    for (const std::string& site : sites) {
        main().text("Text1").set_Text(site);
        for (const Service& service : services) {
            SCOPED_TRACE(std::string(service.command) + " with site \"" + site + "\"");
            run(service.command);
            EXPECT_EQ(opened(), service.address_template + site + service.suffix);
        }
    }
    EXPECT_TRUE(opened_nothing());
    EXPECT_TRUE(messages.empty());
}

TEST_F(CatalogueTest, EdgeAddressesAsTheyReachTheShell)
{
    struct Row {
        const char* command;
        const char* site;
        const char* address;
    };
    const Row rows[] = {
        {"arhiv", "", "http://web.archive.org/web/*/"},
        {"goog", "", "http://www.google.ru/search?q=site: -1234567890"},
        {"ww7", "", "http://"},
        {"ww7", "http://velmora.example", "http://http://velmora.example"},
        {"htm", "http://velmora.example", "http://validator.w3.org/check?uri=http://http://velmora.example"},
        {"goog", "a b&c", "http://www.google.ru/search?q=site:a b&c -1234567890"},
        {"gg", "x.example#top",
         "http://www.google.com/search?sourceid=navclient&ie=UTF-8&oe=UTF-8&q=link:x.example#top/&"},
        {"ww7", "пример.рф", "http://пример.рф"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.command) + " with site \"" + row.site + "\"");
        main().text("Text1").set_Text(row.site);
        run(row.command);
        EXPECT_EQ(opened(), row.address);
    }
}

TEST_F(CatalogueTest, ServicesReadTheirOwnBoxesAtEachClick)
{
    main().text("Text1").set_Text("S");
    for (size_t i = 0; i < std::size(services); ++i) {
        const auto [template_box, suffix_box] = service_boxes[i];
        SCOPED_TRACE(services[i].command);
        main().text(template_box).set_Text(std::string("<") + template_box + ">");
        if (*suffix_box)
            main().text(suffix_box).set_Text(std::string("<") + suffix_box + ">");
        run(services[i].command);
        const std::string suffix = *suffix_box ? "<" + std::string(suffix_box) + ">" : "";
        EXPECT_EQ(opened(), std::string("<") + template_box + ">S" + suffix);
    }
}

TEST_F(CatalogueTest, FixedPagesIgnoreTheSite)
{
    for (const std::string site : {"velmora.example", ""}) {
        main().text("Text1").set_Text(site);
        for (const auto& [command, address] : fixed_pages) {
            SCOPED_TRACE(std::string(command) + " with site \"" + site + "\"");
            run(command);
            EXPECT_EQ(opened(), address);
        }
    }
}

// The menu's program site, the default site address and the information window's link
// all name the author's site.
TEST_F(CatalogueTest, TheProgramSiteIsTheAuthorsSite)
{
    const std::string default_site = main().text("Text1").Text();
    main().menu("sitepro").action()->trigger();
    EXPECT_EQ(opened(), "http://" + default_site + "/");
    main().menu("sitepro").action()->trigger();
    EXPECT_EQ(opened(), forms["Form4"].text("Text1").Text() + "/");
}

TEST_F(CatalogueTest, ChoosingACommandAgainHandsItOverAgain)
{
    for (const char* command : {"arhiv", "arhiv", "ww7", "ww7", "lif", "lif"}) {
        run(command);
        EXPECT_NE(opened(), "<nothing opened>") << command;
    }
}

TEST_F(CatalogueTest, WindowCommandsShowTheOneInstanceModelessWithoutOwner)
{
    main().Show();
    for (const auto& [command, window] : window_commands) {
        SCOPED_TRACE(command);
        ASSERT_FALSE(forms.is_loaded(window));
        run(command);
        ASSERT_TRUE(forms.is_loaded(window));
        Form& shown = forms[window];
        EXPECT_TRUE(shown.Visible());
        EXPECT_EQ(shown.widget()->parentWidget(), nullptr);
        EXPECT_FALSE(shown.widget()->isModal());
        EXPECT_TRUE(main().Visible());
        // Chosen again while open: the same window, still shown.
        run(command);
        EXPECT_EQ(&forms[window], &shown);
        EXPECT_TRUE(shown.Visible());
        shown.widget()->close();
        EXPECT_FALSE(forms.is_loaded(window));
        forms.collect();
    }
    EXPECT_TRUE(opened_nothing());
}

TEST_F(CatalogueTest, AClosedWindowComesBackFromItsDefinition)
{
    for (const char* command : {"opro", "ww5"}) {
        SCOPED_TRACE(command);
        run(command);
        forms["Form4"].text("Text1").set_Text("http://changed.example");
        forms["Form4"].widget()->close();
        forms.collect();
        run(command);
        EXPECT_TRUE(forms["Form4"].Visible());
        EXPECT_EQ(forms["Form4"].text("Text1").Text(), "http://orlanwerk.example");
        forms["Form4"].widget()->close();
        forms.collect();
    }
}

// Every leaf of the menu and every catalogue button has its command in the tables above;
// only the get-code command and the exit belong elsewhere.
TEST_F(CatalogueTest, TheTablesCoverEveryCommand)
{
    std::set<std::string> tested {"codd", "exit"};
    for (const Service& service : services)
        tested.insert(service.command);
    for (const auto& [command, address] : fixed_pages)
        tested.insert(command);
    for (const auto& [command, window] : window_commands)
        tested.insert(command);

    std::set<std::string> commands {"ww4", "ww5", "ww7", "ww8", "ww9"};
    for (const auto& control : main().controls())
        if (auto* item = dynamic_cast<platform::forms::MenuItem*>(control.get()))
            if (item->action() && !item->is_separator())
                commands.insert(item->Name());
    EXPECT_EQ(commands.size(), 41u + 5u);
    EXPECT_EQ(tested, commands);
}

// The menu tree, in display order: depth, control name and caption, blanks and all.
struct MenuEntry {
    int depth;
    const char* name;
    const char* caption;
};

const MenuEntry menu_tree[] = {
    {0, "file", "Файл"},
    {1, "exit", "Выход"},
    {0, "siteinfo", "Информация о сайте"},
    {1, "val", "Валидаторы"},
    {2, "htm", "Проверка HTML"},
    {2, "css", "проверка CSS "},
    {2, "rss", "Проверка RSS "},
    {1, "uy", "-"},
    {1, "gg", "Ссылки по Google"},
    {1, "goog", "Все страницы по Google"},
    {1, "ke", "Кэш страницы в Google"},
    {1, "chek", "Check Google Page Rank"},
    {1, "w", "-"},
    {1, "ya", "В се страницы в Яндексе"},
    {1, "yak", "Кэш страницы в Яндексе"},
    {1, "kat", "Каталог: индекс цитирования"},
    {1, "wwe", "-"},
    {1, "ram", "Все страницы в Rambler"},
    {1, "y", "-"},
    {1, "sre", "Site Explorer"},
    {1, "bbe", "Анализ сайта на LiveInternet"},
    {1, "neeert", "Анализ сайта на Netcraft"},
    {1, "pruuy", "Анализ сайта на PR-CY.ru"},
    {1, "sdfr", "Анализ сайта на CY-PR.com"},
    {1, "rr", "-"},
    {1, "who", "Whois"},
    {1, "ssert", "Ссылающиеся страницы"},
    {1, "arhiv", "Интернет архив сайта"},
    {0, "sert4", "Сервисы"},
    {1, "frew", "Сервисы позволяющие зашифровать реальный url"},
    {2, "li", "Lix.in - Linkprotection"},
    {2, "tin", "TinyLink"},
    {2, "sin", "SnipURL - shrinking your links"},
    {2, "sko", "Skocz.pl"},
    {2, "noouy", "Notlong Free Short URL Redirection"},
    {1, "prok", "Прокси листы и прокси чекеры"},
    {2, "lif", "Proxy - Free Proxy List"},
    {2, "fgs", "Proxy 4 Free"},
    {2, "lkj", "AliveProxy"},
    {2, "asde", "Samair proxy service"},
    {0, "j", "Инструменты"},
    {1, "uur", "IP Юзербары для подписей на форумах"},
    {1, "rtfd", "IP кнопки для вашего сайта"},
    {1, "codd", "Получить код для вставки на сайт"},
    {0, "stat", "Помощь"},
    {1, "sert", "Статьи"},
    {2, "rus", "Хороший русский туториал по оптимизации"},
    {2, "iz", "Известный русский SE-портал"},
    {2, "rass", "Замечательная рассылка по SEO"},
    {2, "prog", "Обзор программ и сервисов для оптимизации сайта"},
    {2, "ras", "Растолкованный PageRank, или Все, что вы хотели знать о PageRank"},
    {2, "oo", "Очень хорошая подборка статей по работе с PPC"},
    {2, "tab", "Наглядная таблица для расчета PR"},
    {1, "sitepro", "Сайт программы"},
    {1, "opro", "О программе"},
};

void flatten(const platform::ControlDefinition& item, int depth, std::vector<std::string>& out)
{
    out.push_back(std::to_string(depth) + " " + item.name + " \"" + item.text("Caption") + "\"");
    for (const auto& child : item.children)
        flatten(child, depth + 1, out);
}

// What the user sees: captions in order, separators as "-", each leaf named after its item.
void flatten(const QList<QAction*>& actions, int depth, const std::map<const QAction*, std::string>& leaves,
             std::vector<std::string>& out)
{
    for (const QAction* action : actions) {
        EXPECT_TRUE(action->isVisible() && action->isEnabled());
        EXPECT_FALSE(action->isCheckable());
        EXPECT_TRUE(action->shortcut().isEmpty());
        const std::string caption = action->isSeparator() ? "-" : action->text().toStdString();
        const auto leaf = leaves.find(action);
        const std::string name = leaf != leaves.end() ? leaf->second : "";
        out.push_back(std::to_string(depth) + " " + name + " \"" + caption + "\"");
        if (action->menu())
            flatten(action->menu()->actions(), depth + 1, leaves, out);
    }
}

TEST_F(CatalogueTest, TheMenuTreeInDisplayOrder)
{
    std::vector<std::string> expected, expected_shown;
    int submenus = 0, separators = 0;
    for (const MenuEntry& entry : menu_tree) {
        const std::string caption = entry.caption;
        const size_t at = &entry - menu_tree;
        const bool opens = at + 1 < std::size(menu_tree) && menu_tree[at + 1].depth > entry.depth;
        submenus += opens;
        separators += caption == "-";
        const bool leaf = !opens && caption != "-";
        expected.push_back(std::to_string(entry.depth) + " " + entry.name + " \"" + caption + "\"");
        const std::string shown_name = leaf ? entry.name : "";
        expected_shown.push_back(std::to_string(entry.depth) + " " + shown_name + " \"" + caption + "\"");
    }
    EXPECT_EQ(std::size(menu_tree), 55u);
    EXPECT_EQ(submenus, 9);
    EXPECT_EQ(separators, 5);

    std::vector<std::string> defined;
    for (const auto& control : app::embedded_definition("Form1").children)
        if (control.kind == "menu")
            flatten(control, 0, defined);
    EXPECT_EQ(defined, expected);

    std::map<const QAction*, std::string> leaves;
    for (const auto& control : main().controls())
        if (auto* item = dynamic_cast<platform::forms::MenuItem*>(control.get()))
            if (item->action() && !item->is_separator())
                leaves[item->action()] = item->Name();
    std::vector<std::string> shown;
    flatten(main().widget()->menu_bar()->actions(), 0, leaves, shown);
    EXPECT_EQ(shown, expected_shown);
}

} // namespace
