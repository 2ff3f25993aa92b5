#include "app/cregister.h"
#include "app/program.h"
#include "button/ww.h"
#include "platform/forms/form_widget.h"
#include "platform/services/registry.h"
#include "platform/services/shell.h"
#include "tests/services/registry_sandbox.h"
#include "tests/support/recording_opener.h"

#include <QComboBox>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::forms::Form;
using platform::forms::Forms;
using Strings = std::vector<std::string>;

constexpr const char* section = "\\Software\\Velmora\\Settings";
constexpr const char* not_stored = "<not stored>";

// An engine as the list shows it, and its address parts: "http://", a host of our
// choosing, the prefix path, the word, the suffix.
struct Engine {
    const char* label;
    const char* prefix_path;
    const char* suffix;
};

const Engine engines[] = {
    {"Яндекс", "/yandsearch?text=", "&from=fx3"},
    {"Google", "/search?q=", ""},
    {"Rambler", "/search?utf8=1&words=", "&rt=pp_fx3"},
    {"Апорт", "/scripts/template.dll?That=std&r=", ""},
    {"Yahoo!", "/search?ei=utf-8&fr=sfp&p=", "&type=000107X001US"},
    {"TUT.BY", "/?status=1&encoding=1&page=0&how=rlv&query=", ""},
};

// Whether an address is "http://", some host, then exactly `rest`.
::testing::AssertionResult is_service_address(const std::string& address, const std::string& rest)
{
    const std::string scheme = "http://";
    const bool framed = address.starts_with(scheme) && address.size() > scheme.size() + rest.size() &&
                        address.ends_with(rest);
    const std::string host = framed ? address.substr(scheme.size(), address.size() - scheme.size() - rest.size()) : "";
    if (!framed || host.find_first_of("/?&") != std::string::npos)
        return ::testing::AssertionFailure() << '"' << address << "\" is not http://HOST" << rest;
    return ::testing::AssertionSuccess();
}

class SearchWindowTest : public ::testing::Test {
protected:
    SearchWindowTest()
    {
        platform::set_open_command({opener.script()});
        start_program();
    }
    ~SearchWindowTest() override
    {
        platform::set_open_command(saved_opener);
        forms->collect();
    }

    // A new run of the program, over the same registry.
    void start_program()
    {
        if (forms)
            forms->collect();
        platform::reopen_registry_store();
        forms = std::make_unique<Forms>();
        app::register_program(*forms);
        forms->set_message_box_hook([this](const std::string& prompt, int flags, const std::string& title) {
            messages.push_back(title + "|" + std::to_string(flags) + "|" + prompt);
            poisk_at_message = poisk();
            return 1;
        });
    }

    Form& search() { return (*forms)["Form7"]; }
    void set_engine(const std::string& text) { search().combo("Combo1").set_Text(text); }
    void set_word(const std::string& text) { search().text("Text1").set_Text(text); }
    void click_ok() { search().custom<button::ww>("ww1").UserControl.raise_Click(); }
    void close_window() { search().widget()->close(); }

    static std::string poisk()
    {
        return app::CRegister().REGGetSetting(platform::HKEY_LOCAL_MACHINE, section, "Poisk", not_stored);
    }
    static void store_poisk(const std::string& text)
    {
        app::CRegister().REGSaveSetting(platform::HKEY_LOCAL_MACHINE, section, "Poisk", text);
    }

    std::string opened() { return opener.wait_for_address(); }
    bool opened_nothing() { return opener.nothing_opened(); }

    test_support::RegistrySandbox registry;
    Strings saved_opener = platform::open_command();
    test::RecordingOpener opener;
    std::unique_ptr<Forms> forms;
    std::vector<std::string> messages;
    std::string poisk_at_message;
};

TEST_F(SearchWindowTest, TheFirstOpeningAsksForAnEngineAndThenSavesThePlaceholder)
{
    EXPECT_EQ(search().combo("Combo1").Text(), "Поисковик");
    click_ok();
    EXPECT_EQ(messages, Strings {"Поиск|16|Пожалуйста выберите поисковик для поиска."});
    EXPECT_EQ(poisk_at_message, not_stored); // saved after the message
    EXPECT_EQ(poisk(), "Поисковик");
    EXPECT_TRUE(opened_nothing());
}

TEST_F(SearchWindowTest, TheListHoldsTheSixEnginesInOrder)
{
    const auto* list = dynamic_cast<QComboBox*>(search().combo("Combo1").widget());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), int(std::size(engines)));
    for (int i = 0; i < list->count(); ++i)
        EXPECT_EQ(list->itemText(i).toStdString(), engines[i].label);
}

TEST_F(SearchWindowTest, EachEngineOpensItsAddressWithTheWordUnencoded)
{
    // The design text, none, and characters an address would encode.
    const std::string words[] = {"Orlanwerk", "", "two words&more#top", "слово"};
    for (const std::string& word : words) {
        if (word != words[0]) // the first searches with the word box as loaded
            set_word(word);
        for (const Engine& engine : engines) {
            SCOPED_TRACE(std::string(engine.label) + " \"" + word + "\"");
            set_engine(engine.label);
            click_ok();
            EXPECT_TRUE(is_service_address(opened(), engine.prefix_path + word + engine.suffix));
            EXPECT_EQ(poisk(), engine.label);
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SearchWindowTest, TheWordIsJoinedExactlyBetweenPrefixAndSuffix)
{
    set_engine("Rambler");
    set_word(" a b ");
    click_ok();
    EXPECT_EQ(opened(), search().text("Text6").Text() + " a b " + "&rt=pp_fx3");
}

TEST_F(SearchWindowTest, ANearMissOpensNothingSaysNothingAndIsSaved)
{
    const std::string near_misses[] = {"яндекс", "GOOGLE", " Rambler", "Апорт ", "Yahoo", "TUT.BY.", "поисковик",
                                       "мой поисковик"};
    for (const std::string& text : near_misses) {
        SCOPED_TRACE(text);
        set_engine(text);
        click_ok();
        EXPECT_EQ(poisk(), text);
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(opened_nothing());
}

TEST_F(SearchWindowTest, TheEngineOutlivesACloseAndARestart)
{
    set_engine("Rambler");
    set_word("changed");
    close_window(); // no OK: the close saves it
    EXPECT_FALSE(forms->is_loaded("Form7"));
    EXPECT_EQ(poisk(), "Rambler");
    EXPECT_EQ(search().combo("Combo1").Text(), "Rambler");
    EXPECT_EQ(search().text("Text1").Text(), "Orlanwerk"); // the word starts afresh

    set_engine("мой поисковик"); // matches nothing, yet is remembered
    close_window();
    start_program();
    EXPECT_EQ(search().combo("Combo1").Text(), "мой поисковик");
}

TEST_F(SearchWindowTest, AnEmptiedBoxReadsBackAsThePlaceholder)
{
    store_poisk("Google");
    set_engine("");
    click_ok();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(poisk(), not_stored); // the empty text reads as no value
    close_window();
    EXPECT_EQ(search().combo("Combo1").Text(), "Поисковик");
}

TEST_F(SearchWindowTest, TheEndOfTheProgramSavesTheEngine)
{
    Form& main = (*forms)["Form1"];
    main.Show();
    search().Show();
    set_engine("Yahoo!");
    main.menu("exit").click();
    EXPECT_FALSE(forms->is_loaded("Form7"));
    EXPECT_EQ(poisk(), "Yahoo!");
}

} // namespace
