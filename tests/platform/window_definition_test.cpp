#include "platform/codepage.h"
#include "platform/window_definition.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace platform;
using Kind = DefinitionValue::Kind;

// The tests write definitions in UTF-8; the files hold code page 1251.
WindowDefinition parse(std::string_view utf8)
{
    return parse_window_definition(utf8_to_cp1251(utf8));
}

const ControlDefinition& child(const ControlDefinition& parent, std::string_view name)
{
    for (const auto& c : parent.children)
        if (c.name == name)
            return c;
    throw std::runtime_error("no control " + std::string(name) + " in " + parent.name);
}

TEST(WindowDefinition, ReadsEveryKindOfValue)
{
    const WindowDefinition d = parse(R"(
form Form1
    Whole = 5520
    Negative = -3
    Hex = 0x800000FF
    NegativeHex = -0x10
    Decimal = 9.75
    Yes = true
    No = false
    Caption = "Работаем с сайтом: "
    Empty = ""
    Picture = picture("main_background.jpg")
    NoBytes = bytes()
end
)");
    EXPECT_EQ(d.kind, "form");
    EXPECT_EQ(d.name, "Form1");
    struct Case {
        const char* key;
        Kind kind;
        std::function<void(const DefinitionValue&)> check;
    };
    const std::vector<Case> cases = {
        {"Whole", Kind::Integer, [](auto& v) { EXPECT_EQ(v.integer, 5520); }},
        {"Negative", Kind::Integer, [](auto& v) { EXPECT_EQ(v.integer, -3); }},
        {"Hex", Kind::Integer, [](auto& v) { EXPECT_EQ(v.integer, 0x800000FF); }},
        {"NegativeHex", Kind::Integer, [](auto& v) { EXPECT_EQ(v.integer, -16); }},
        {"Decimal", Kind::Number, [](auto& v) { EXPECT_DOUBLE_EQ(v.number, 9.75); }},
        {"Yes", Kind::Boolean, [](auto& v) { EXPECT_TRUE(v.boolean); }},
        {"No", Kind::Boolean, [](auto& v) { EXPECT_FALSE(v.boolean); }},
        {"Caption", Kind::Text, [](auto& v) { EXPECT_EQ(v.text, "Работаем с сайтом: "); }},
        {"Empty", Kind::Text, [](auto& v) { EXPECT_EQ(v.text, ""); }},
        {"Picture", Kind::Picture, [](auto& v) { EXPECT_EQ(v.text, "main_background.jpg"); }},
        {"NoBytes", Kind::Bytes, [](auto& v) { EXPECT_TRUE(v.bytes.empty()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const DefinitionValue* v = d.find(c.key);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->kind, c.kind);
        c.check(*v);
    }
    // Bytes are written without blanks; a blank ends them.
    EXPECT_THROW(parse("form F\n    Blob = bytes(4C42 0900)\nend\n"), DefinitionError);
}

TEST(WindowDefinition, ReadsBytesInPairsOfEitherCase)
{
    const WindowDefinition d = parse("form F\n    Set = bytes(4c42090000Ff)\nend\n");
    ASSERT_NE(d.bytes("Set"), nullptr);
    EXPECT_EQ(*d.bytes("Set"), (std::vector<uint8_t> {0x4C, 0x42, 0x09, 0x00, 0x00, 0xFF}));
}

TEST(WindowDefinition, AccessorsConvertOrFallBack)
{
    const WindowDefinition d = parse(R"(
form F
    Half = 2.5
    OneAndHalf = 3.5
    Down = -2.5
    Huge = 1.0e300
    Whole = 7
    Flag = true
    Name = "x"
    Pic = picture("a.gif")
end
)");
    // Decimals become whole numbers half to even.
    EXPECT_EQ(d.integer("Half"), 2);
    EXPECT_EQ(d.integer("OneAndHalf"), 4);
    EXPECT_EQ(d.integer("Down"), -2);
    EXPECT_EQ(d.integer("Huge", -1), -1);
    EXPECT_DOUBLE_EQ(d.number("Whole"), 7.0);
    // A key of another kind, or none, gives the fallback.
    EXPECT_EQ(d.integer("Flag", 42), 42);
    EXPECT_EQ(d.integer("Missing", 42), 42);
    EXPECT_TRUE(d.boolean("Missing", true));
    EXPECT_FALSE(d.boolean("Whole"));
    EXPECT_EQ(d.text("Whole", "fallback"), "fallback");
    EXPECT_EQ(d.text("Pic"), "");
    EXPECT_EQ(d.picture("Name"), "");
    EXPECT_EQ(d.picture("Pic"), "a.gif");
    EXPECT_EQ(d.bytes("Name"), nullptr);
}

TEST(WindowDefinition, DecodesEscapes)
{
    struct Case {
        const char* written;
        const char* text;
    };
    const Case cases[] = {
        {R"("<a href=\"")", R"(<a href=")"},
        {R"("back\\slash")", R"(back\slash)"},
        {R"("one\r\r\ntwo")", "one\r\r\ntwo"},
        {R"("tab\there")", "tab\there"},
        {R"("\\n is not a line break")", R"(\n is not a line break)"},
        {R"("# is no comment here")", "# is no comment here"},
        {R"("  blanks kept  ")", "  blanks kept  "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        const WindowDefinition d = parse(std::string("form F\n    Text = ") + c.written + "\nend\n");
        EXPECT_EQ(d.text("Text"), c.text);
    }
}

TEST(WindowDefinition, SkipsCommentsBlankLinesAndLineEndings)
{
    const WindowDefinition d = parse_window_definition("# a window\r\n"
                                                       "\r\n"
                                                       "form F   # the form\r\n"
                                                       "\t# indented comment\r\n"
                                                       "    Left = 5# glued to the value\r\n"
                                                       "    Top = 6   # after blanks\r\n"
                                                       "    label L # a control\r\n"
                                                       "    end # closed\r\n"
                                                       "end");
    EXPECT_EQ(d.integer("Left"), 5);
    EXPECT_EQ(d.integer("Top"), 6);
    ASSERT_EQ(d.children.size(), 1u);
    EXPECT_EQ(d.children[0].name, "L");
}

TEST(WindowDefinition, KeepsRepeatedKeysInOrder)
{
    const WindowDefinition d = parse(R"(
form F
    combo Combo1
        Text = "Поисковик"
        Item = "Яндекс"
        Item = "Google"
        Item = "Яндекс"
    end
end
)");
    const ControlDefinition& combo = child(d, "Combo1");
    std::vector<std::string> items;
    for (const auto& [key, value] : combo.properties)
        if (key == "Item")
            items.push_back(value.text);
    EXPECT_EQ(items, (std::vector<std::string> {"Яндекс", "Google", "Яндекс"}));
    // A lookup finds the first.
    EXPECT_EQ(combo.text("Item"), "Яндекс");
}

TEST(WindowDefinition, NestsMenusAndKeepsControlOrder)
{
    const WindowDefinition d = parse(R"(
form F
    textbox Text1
    end
    menu file
        Caption = "Файл"
        menu exit
            Caption = "Выход"
        end
    end
    menu tools
        Caption = "Инструменты"
        menu val
            Caption = "Валидаторы"
            menu htm
                Caption = "Проверка HTML"
            end
            menu sep
                Caption = "-"
            end
        end
        Enabled = false
    end
    label Label1
    end
end
)");
    ASSERT_EQ(d.children.size(), 4u);
    EXPECT_EQ(d.children[0].name, "Text1");
    EXPECT_EQ(d.children[3].name, "Label1");
    const ControlDefinition& tools = child(d, "tools");
    EXPECT_FALSE(tools.boolean("Enabled", true)); // a property after a nested block belongs to its parent
    const ControlDefinition& val = child(tools, "val");
    ASSERT_EQ(val.children.size(), 2u);
    EXPECT_EQ(val.children[0].text("Caption"), "Проверка HTML");
    EXPECT_EQ(val.children[1].text("Caption"), "-");
    EXPECT_EQ(child(child(d, "file"), "exit").text("Caption"), "Выход");
}

TEST(WindowDefinition, DecodesCodePage1251Bytes)
{
    // "Поиск" and "Ёё" as the file stores them.
    const WindowDefinition d = parse_window_definition("form F\n"
                                                       "    Caption = \"\xCF\xEE\xE8\xF1\xEA\"\n"
                                                       "    Letters = \"\xA8\xB8\"\n"
                                                       "    Picture = picture(\"\xF4\xEE\xED.jpg\")\n"
                                                       "end\n");
    EXPECT_EQ(d.text("Caption"), "Поиск");
    EXPECT_EQ(d.text("Letters"), "Ёё");
    EXPECT_EQ(d.picture("Picture"), "фон.jpg");
}

TEST(WindowDefinition, ReportsTheLineAtFault)
{
    struct Case {
        const char* what;
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"unclosed inner block", "form F\n    label L\n        Caption = \"x\"\nend\n", 1},
        {"unclosed block at the end", "form F\n    label L\n    end\n    textbox T\n", 4},
        {"stray end", "form F\nend\nend\n", 3},
        {"bad number", "form F\n    Left = 12x\nend\n", 2},
        {"bad hex number", "form F\n\n    Left = 0xZZ\nend\n", 3},
        {"number with a blank", "form F\n    Left = 1 2\nend\n", 2},
        {"two decimal points", "form F\n    Size = 8.2.5\nend\n", 2},
        {"integer overflow", "form F\n    Left = 99999999999999999999\nend\n", 2},
        {"unterminated text", "form F\n    Caption = \"open\nend\n", 2},
        {"escape at the end", "form F\n    Caption = \"open\\\nend\n", 2},
        {"unknown escape", "form F\n    Caption = \"\\q\"\nend\n", 2},
        {"odd hex", "form F\n    # c\n    Set = bytes(4C4)\nend\n", 3},
        {"unclosed bytes", "form F\n    Set = bytes(4C42\nend\n", 2},
        {"text after a value", "form F\n    Caption = \"a\" \"b\"\nend\n", 2},
        {"unknown word", "form F\n    Caption = maybe\nend\n", 2},
        {"missing value", "form F\n    Caption =\nend\n", 2},
        {"property outside a block", "Left = 5\nform F\nend\n", 1},
        {"second window", "form F\nend\nform G\nend\n", 3},
        {"block without a name", "form F\n    label\n    end\nend\n", 2},
        {"no window", "# nothing\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            parse(c.text);
            ADD_FAILURE() << "no error";
        } catch (const DefinitionError& e) {
            EXPECT_NE(std::string(e.what()).find("line " + std::to_string(c.line) + ":"), std::string::npos)
                << e.what();
        }
    }
}

// `depth` blocks, each inside the one before, each closed.
std::string nested_blocks(int depth)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += i == 0 ? "form F\n" : "menu m" + std::to_string(i) + "\n";
    for (int i = 0; i < depth; ++i)
        text += "end\n";
    return text;
}

TEST(WindowDefinition, BoundsHowDeepBlocksNest)
{
    struct Case {
        int depth;
        int failing_line; // 0: it parses
    };
    // Far beyond the bound, a tree this deep would overflow the stack as it is destroyed.
    const Case cases[] = {{4, 0}, {32, 0}, {33, 33}, {400000, 33}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth);
        try {
            const WindowDefinition d = parse_window_definition(nested_blocks(c.depth));
            EXPECT_EQ(c.failing_line, 0) << "no error";
            const ControlDefinition* inner = &d;
            for (int level = 1; level < c.depth; ++level) {
                ASSERT_EQ(inner->children.size(), 1u);
                inner = &inner->children[0];
            }
            EXPECT_EQ(inner->name, c.depth == 1 ? "F" : "m" + std::to_string(c.depth - 1));
        } catch (const DefinitionError& e) {
            EXPECT_NE(std::string(e.what()).find("line " + std::to_string(c.failing_line) + ":"), std::string::npos)
                << e.what();
        }
    }
}

TEST(WindowDefinition, NamesTheBlockLeftOpen)
{
    try {
        parse("form F\n    label Label7\n");
        ADD_FAILURE() << "no error";
    } catch (const DefinitionError& e) {
        EXPECT_NE(std::string(e.what()).find("label Label7"), std::string::npos) << e.what();
    }
}

TEST(CodePage1251, EveryByteRoundTrips)
{
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, char(b));
        EXPECT_EQ(utf8_to_cp1251(cp1251_to_utf8(byte)), byte) << "byte " << b;
    }
}

TEST(CodePage1251, MapsLettersToTheirCodePoints)
{
    struct Case {
        const char* bytes;
        const char* utf8;
    };
    const Case cases[] = {
        {"\xC0\xDF\xE0\xFF", "АЯая"},
        {"\xA8\xB8", "Ёё"},
        {"\xA1\xA2\xB2\xB3\xAF\xBF\xA5\xB4\xAA\xBA", "ЎўІіЇїҐґЄє"},
        {"\x80\x81\x8A\x9A\xA3\xBC", "ЂЃЉљЈј"},
        {"\x88\x96\x97\xB9\xAB\xBB", "€–—№«»"},
        {"\x97\x98\x99", "—\xC2\x98™"}, // the unassigned byte is the C1 control of its number
        {"Velmora v2.0.0", "Velmora v2.0.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(cp1251_to_utf8(c.bytes), c.utf8);
        EXPECT_EQ(utf8_to_cp1251(c.utf8), c.bytes);
    }
    EXPECT_EQ(cp1251_to_utf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePage1251, UnmappedAndInvalidBecomeQuestionMarks)
{
    struct Case {
        const char* what;
        std::string utf8;
        std::string bytes;
    };
    const Case cases[] = {
        {"Latin letter 1251 lacks", "caf\xC3\xA9", "caf?"},
        {"Greek letter", "\xCE\xA9", "?"},
        {"Chinese", "\xE4\xB8\xAD", "?"},
        {"outside the BMP", "x\xF0\x9F\x98\x80y", "x?y"},
        {"replacement character", "\xEF\xBF\xBD", "?"},
        {"stray continuation byte", "a\x80z", "a?z"},
        {"truncated at the end", "\xD0", "?"},
        {"broken sequence", "\xD0" "A", "?A"},
        {"byte never in UTF-8", "\xFF\xFE", "??"},
        {"surrogate", "\xED\xA0\x80", "?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(utf8_to_cp1251(c.utf8), c.bytes);
    }
}

// ---- The program's window definitions

WindowDefinition load(const std::string& name)
{
    std::ifstream in(std::filesystem::path(VELMORA_WINDOWS_DIR) / (name + ".window"), std::ios::binary);
    if (!in)
        throw std::runtime_error("no definition " + name);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parse_window_definition(bytes);
}

std::vector<const ControlDefinition*> of_kind(const ControlDefinition& d, std::string_view kind)
{
    std::vector<const ControlDefinition*> out;
    for (const auto& c : d.children)
        if (c.kind == kind)
            out.push_back(&c);
    return out;
}

int count_items(const ControlDefinition& menu)
{
    int n = 1;
    for (const auto& c : menu.children)
        n += count_items(c);
    return n;
}

bool outside_client_area(const WindowDefinition& form, const ControlDefinition& c)
{
    return c.integer("Left") >= form.integer("ClientWidth") || c.integer("Top") >= form.integer("ClientHeight");
}

TEST(ProgramWindows, EveryFileParsesAsTheWindowItIsNamedAfter)
{
    std::set<std::string> names;
    const std::set<std::string> kinds = {"textbox", "label", "image", "option", "combo", "line", "timer", "menu", "ww"};
    for (const auto& entry : std::filesystem::directory_iterator(VELMORA_WINDOWS_DIR)) {
        if (entry.path().extension() != ".window")
            continue;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        const WindowDefinition d = load(name);
        names.insert(name);
        EXPECT_EQ(d.kind, "form");
        EXPECT_EQ(d.name, name);
        EXPECT_GT(d.integer("ClientWidth"), 0);
        EXPECT_GT(d.integer("ClientHeight"), 0);
        std::set<std::string> control_names;
        for (const auto& c : d.children) {
            EXPECT_TRUE(kinds.count(c.kind)) << c.kind;
            EXPECT_TRUE(control_names.insert(c.name).second) << "two controls named " << c.name;
        }
    }
    EXPECT_EQ(names, (std::set<std::string> {"Form1", "Form2", "Form3", "Form4", "Form5", "Form6", "Form7", "Form8"}));
}

void collect_pictures(const ControlDefinition& d, std::set<std::string>& out)
{
    for (const auto& [key, value] : d.properties)
        if (value.kind == Kind::Picture)
            out.insert(value.text);
    for (const auto& c : d.children)
        collect_pictures(c, out);
}

TEST(ProgramWindows, EveryPictureNamedIsEmbedded)
{
    const std::filesystem::path pictures = std::filesystem::path(VELMORA_WINDOWS_DIR).parent_path() / "pictures";
    std::set<std::string> names;
    for (const char* form : {"Form1", "Form2", "Form3", "Form4", "Form5", "Form6", "Form7", "Form8"})
        collect_pictures(load(form), names);
    EXPECT_GT(names.size(), 20u);
    for (const auto& name : names)
        EXPECT_TRUE(std::filesystem::is_regular_file(pictures / name)) << name;
}

TEST(ProgramWindows, ButtonsCarryAPlaceForTheirSavedSets)
{
    const std::map<std::string, std::vector<std::string>> buttons = {
        {"Form1", {"ww1", "ww2", "ww3", "ww8", "ww4", "ww9", "ww5", "ww6", "ww7"}},
        {"Form2", {"ww2", "ww1"}},
        {"Form3", {}},
        {"Form4", {}},
        {"Form5", {"ww1"}},
        {"Form6", {"ww1"}},
        {"Form7", {"ww1"}},
        {"Form8", {}},
    };
    for (const auto& [form, names] : buttons) {
        SCOPED_TRACE(form);
        const WindowDefinition d = load(form);
        std::vector<std::string> found;
        for (const auto* b : of_kind(d, "ww")) {
            found.push_back(b->name);
            EXPECT_NE(b->bytes("PropertySet"), nullptr) << b->name;
            EXPECT_GT(b->integer("Width"), 0) << b->name;
            EXPECT_TRUE(b->find("TabIndex")) << b->name;
        }
        EXPECT_EQ(found, names);
    }
}

TEST(ProgramWindows, SplashWindow)
{
    const WindowDefinition d = load("Form8");
    EXPECT_EQ(d.text("Caption", "?"), "");
    EXPECT_FALSE(d.boolean("ControlBox", true));
    EXPECT_FALSE(d.boolean("ShowInTaskbar", true));
    EXPECT_EQ(d.picture("Icon"), "");
    EXPECT_EQ(child(d, "Timer1").integer("Interval"), 2000);
    EXPECT_TRUE(child(d, "Timer1").boolean("Enabled"));
    EXPECT_EQ(child(d, "Label1").text("Caption"),
              "Программа предназнача для проверки индекса цитирования (рейтинга) вашего сайта в поисковых "
              "системах (SE) Google и Яндекс.");
    EXPECT_DOUBLE_EQ(child(d, "Label1").number("FontSize"), 9.75);
    EXPECT_EQ(child(d, "Label3D4").text("Caption"), "Velmora - программа для оптимизаторов.");
    EXPECT_EQ(child(d, "lblVersion").text("Caption"), "v 0.0.0.0");
    for (const char* name : {"Label1", "Label3D4", "lblVersion"}) {
        EXPECT_EQ(child(d, name).integer("BackStyle", 1), 0) << name;
        EXPECT_EQ(child(d, name).integer("FontCharset"), 204) << name;
    }
}

TEST(ProgramWindows, MainWindowMenuTree)
{
    const WindowDefinition d = load("Form1");
    const auto menus = of_kind(d, "menu");
    std::vector<std::string> tops;
    int items = 0, separators = 0, commands = 0;
    std::function<void(const ControlDefinition&)> walk = [&](const ControlDefinition& m) {
        ++items;
        const std::string caption = m.text("Caption");
        if (caption == "-")
            ++separators;
        else if (m.children.empty())
            ++commands;
        for (const auto& c : m.children) {
            EXPECT_EQ(c.kind, "menu");
            walk(c);
        }
    };
    std::vector<int> sizes;
    for (const auto* m : menus) {
        tops.push_back(m->text("Caption"));
        sizes.push_back(count_items(*m));
        walk(*m);
    }
    EXPECT_EQ(tops, (std::vector<std::string> {"Файл", "Информация о сайте", "Сервисы", "Инструменты", "Помощь"}));
    EXPECT_EQ(items, 55);
    EXPECT_EQ(separators, 5);
    EXPECT_EQ(commands, 41);
    EXPECT_EQ(sizes, (std::vector<int> {2, 26, 12, 4, 11}));
    const ControlDefinition& siteinfo = child(d, "siteinfo");
    EXPECT_EQ(child(child(siteinfo, "val"), "css").text("Caption"), "проверка CSS ");
    EXPECT_EQ(child(child(siteinfo, "val"), "rss").text("Caption"), "Проверка RSS ");
    EXPECT_EQ(child(siteinfo, "ya").text("Caption"), "В се страницы в Яндексе");
    EXPECT_EQ(child(child(child(d, "sert4"), "frew"), "noouy").text("Caption"), "Notlong Free Short URL Redirection");
    EXPECT_EQ(child(child(child(d, "stat"), "sert"), "ras").text("Caption"),
              "Растолкованный PageRank, или Все, что вы хотели знать о PageRank");
    // Captions that name a service start as the window needs them to.
    for (const char* name : {"bbe", "pruuy", "sdfr"})
        EXPECT_EQ(child(siteinfo, name).text("Caption").rfind("Анализ сайта на ", 0), 0u) << name;
    const ControlDefinition& frew = child(child(d, "sert4"), "frew");
    EXPECT_TRUE(child(frew, "li").text("Caption").ends_with(" - Linkprotection"));
    EXPECT_TRUE(child(frew, "sin").text("Caption").ends_with(" - shrinking your links"));
    EXPECT_TRUE(child(child(child(d, "sert4"), "prok"), "asde").text("Caption").ends_with(" proxy service"));
}

TEST(ProgramWindows, MainWindowFixedTexts)
{
    const WindowDefinition d = load("Form1");
    struct Case {
        const char* box;
        const char* text; // whole text, or the part after the host when `rest` is set
        bool rest;
    };
    const Case cases[] = {
        {"Text38", "Работаем с сайтом: ", false},
        {"Text15", "http://", false},
        {"Text39", "", false},
        {"Text12", "/&", false},
        {"Text14", "&size=S", false},
        {"Text24", " -1234567890", false},
        {"Text28", "%2F&text=%E2", false},
        {"Text6", "<a href=\"", false},
        {"Text7", "\" target=_blank> <img src=\"", false},
        {"Text10", "\" border=\"0\"alt=\"PageRank\" width=\"80\"height=\"15\"></a>", false},
        {"Text2", "/cy?base=0&host=", true},
        {"Text4", "/cycounter?", true},
        {"Text5", "/prx.php?s=http://", true},
        {"Text9", "", true},
        {"Text11", "/search?sourceid=navclient&ie=UTF-8&oe=UTF-8&q=link:", true},
        {"Text13", "/?url=", true},
        {"Text16", "/_res/script/image.php?type=5&lang=ru", true},
        {"Text17", "/_res/userbar/ua-bar.gif", true},
        {"Text18", "/analysis/?url=", true},
        {"Text19", "/web/*/", true},
        {"Text20", "/check?uri=http://", true},
        {"Text21", "/css-validator/validator?uri=http://", true},
        {"Text22", "/feed/check.cgi?url=http://", true},
        {"Text23", "/search?q=site:", true},
        {"Text25", "/search?sourceid=navclient&ie=UTF-8&oe=UTF-8&q=cache:", true},
        {"Text26", "/yandsearch?serverurl=", true},
        {"Text27", "/yandbtm?url=http://", true},
        {"Text29", "/search?sort=0&filter=http://", true},
        {"Text30", "/advsearch?p=http://", true},
        {"Text31", "/stat/?url=http://", true},
        {"Text32", "/", true},
        {"Text33", "/yca/cy/ch/", true},
        {"Text34", "/google_pr.php?url=http://", true},
        {"Text35", "/tools/Link-Checker.php?url=http://", true},
        {"Text36", "/site_report?url=http://", true},
        {"Text37", "/analysis/?url=", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        const std::string text = child(d, c.box).text("Text", "(none)");
        if (!c.rest) {
            EXPECT_EQ(text, c.text);
            continue;
        }
        // "http://", a host without a path, then exactly the fixed rest.
        ASSERT_EQ(text.rfind("http://", 0), 0u) << text;
        const std::string after_scheme = text.substr(7);
        const size_t slash = after_scheme.find('/');
        const std::string rest = slash == std::string::npos ? "" : after_scheme.substr(slash);
        EXPECT_EQ(rest, c.text) << text;
        EXPECT_GT(slash == std::string::npos ? after_scheme.size() : slash, 0u) << "no host";
    }
    EXPECT_EQ(child(d, "Text8").text("Text").rfind("\" border=\"0\"alt=\"Тиц ", 0), 0u);
    EXPECT_TRUE(child(d, "Text8").text("Text").ends_with("\" width=\"88\"height=\"31\"></a>"));
    auto host = [&](const char* box) {
        const std::string t = child(d, box).text("Text");
        return t.substr(7, t.find('/', 7) - 7);
    };
    // The cache command asks a search server by its numeric address.
    EXPECT_EQ(host("Text25").find_first_not_of("0123456789."), std::string::npos) << host("Text25");
    // The three Google commands and the three Yandex kinds use distinct hosts.
    EXPECT_EQ(std::set<std::string>({host("Text11"), host("Text23"), host("Text25")}).size(), 3u);
    EXPECT_EQ(std::set<std::string>({host("Text26"), host("Text27"), host("Text33")}).size(), 3u);
    EXPECT_EQ(host("Text20"), host("Text22"));
}

TEST(ProgramWindows, MainWindowLayout)
{
    const WindowDefinition d = load("Form1");
    EXPECT_EQ(d.text("Caption"), "Velmora v2.0.0");
    EXPECT_EQ(d.integer("ClientWidth"), 5520);
    EXPECT_EQ(d.integer("ClientHeight"), 2895);
    const ControlDefinition& site = child(d, "Text1");
    EXPECT_EQ(site.integer("TabIndex", -1), 0);
    EXPECT_EQ(site.integer("BackColor"), 0x00C0FFFF);
    EXPECT_EQ(site.integer("ForeColor"), 0x00FF0000);
    EXPECT_FALSE(site.text("Text").empty());
    EXPECT_EQ(site.text("Text").find("http://"), std::string::npos);
    // Every text box but the site box is hidden outside the client area, and no two share a tab place.
    std::set<int64_t> tabs;
    int boxes = 0;
    for (const auto& c : d.children) {
        if (c.find("TabIndex")) {
            EXPECT_TRUE(tabs.insert(c.integer("TabIndex")).second) << c.name;
        }
        if (c.kind != "textbox" || c.name == "Text1")
            continue;
        ++boxes;
        EXPECT_TRUE(outside_client_area(d, c)) << c.name;
    }
    EXPECT_EQ(boxes, 37);
    EXPECT_EQ(child(d, "ww2").text("ToolTipText"), "Получить код для вставки на сайт");
    EXPECT_EQ(child(d, "ww7").integer("TabIndex"), 50);
    // The banner is listed after the result pictures it covers.
    std::vector<std::string> images;
    for (const auto* c : of_kind(d, "image"))
        images.push_back(c->name);
    EXPECT_EQ(images.back(), "Image8");
}

TEST(ProgramWindows, CodeWindowsFragmentsAndPictureAddresses)
{
    const WindowDefinition form5 = load("Form5");
    const WindowDefinition form6 = load("Form6");
    const std::map<std::string, std::string> shared = {
        {"Text13", "<a href=\""},   {"Text15", "\" border=\"0\"></a>"}, {"Text16", "[URL="},
        {"Text17", "][IMG]"},       {"Text18", "[/IMG][/URL]"},
    };
    for (const auto& [box, text] : shared) {
        EXPECT_EQ(child(form5, box).text("Text"), text) << box;
        EXPECT_EQ(child(form6, box).text("Text"), text) << box;
    }
    EXPECT_EQ(child(form5, "Text14").text("Text"), "\" target=\"_blank\"><img src=\"");
    EXPECT_EQ(child(form6, "Text14").text("Text"), "\" title=\"Ваш IP адрес\"><img src=\"");
    const char* bars[] = {"blue-bar", "bar", "ua-bar", "bl-bar", "dg-bar", "lg-bar", "gr-bar", "rd-bar", "gr2-bar",
                          "va-bar"};
    for (int k = 1; k <= 10; ++k) {
        const std::string box = "Text" + std::to_string(k + 1);
        const std::string bar = std::string("/_res/userbar/") + bars[k - 1] + ".gif";
        EXPECT_TRUE(child(form5, box).text("Text").ends_with(bar)) << box;
        const std::string ip = "/_res/script/image.php?type=" + std::to_string(k) + "&lang=ru";
        EXPECT_TRUE(child(form6, box).text("Text").ends_with(k <= 5 ? ip : bar)) << box;
    }
    // Form6 keeps the userbar choices and the BBCODE box out of sight.
    for (const char* name : {"Option6", "Option10", "Image6", "Image10", "Label1", "Image12", "Text12"})
        EXPECT_TRUE(outside_client_area(form6, child(form6, name))) << name;
    EXPECT_EQ(of_kind(form5, "option").size(), 10u);
    EXPECT_EQ(of_kind(form6, "option").size(), 10u);
    EXPECT_EQ(child(form5, "Label5").text("Caption"), "Примеры юзербаров:");
    EXPECT_EQ(child(form6, "Label5").text("Caption"), "Примеры кнопок :");
    EXPECT_EQ(form5.integer("BackColor"), 0x00FF8080);
    EXPECT_EQ(form6.find("BackColor"), nullptr);
}

TEST(ProgramWindows, SearchWindowEngines)
{
    const WindowDefinition d = load("Form7");
    const ControlDefinition& combo = child(d, "Combo1");
    EXPECT_EQ(combo.text("Text"), "Поисковик");
    std::set<std::string> labels;
    for (const auto& [key, value] : combo.properties)
        if (key == "Item")
            labels.insert(value.text);
    EXPECT_EQ(labels.size(), 6u);
    EXPECT_FALSE(labels.count("Поисковик"));
    EXPECT_EQ(child(d, "Text1").text("Text"), "Orlanwerk");
    const std::map<std::string, std::string> rests = {
        {"Text2", "/yandsearch?text="}, {"Text4", "/search?q="}, {"Text6", "/search?utf8=1&words="},
        {"Text8", "/scripts/template.dll?That=std&r="}, {"Text10", "/?status=1&encoding=1&page=0&how=rlv&query="},
    };
    for (const auto& [box, rest] : rests) {
        const std::string text = child(d, box).text("Text");
        EXPECT_EQ(text.rfind("http://", 0), 0u) << box;
        EXPECT_TRUE(text.ends_with(rest)) << box;
    }
    const std::string yahoo = child(d, "Text5").text("Text");
    EXPECT_NE(yahoo.find("/search?ei=utf-8&fr="), std::string::npos);
    EXPECT_TRUE(yahoo.ends_with("&p="));
    EXPECT_EQ(child(d, "Text3").text("Text"), "&from=fx3");
    EXPECT_EQ(child(d, "Text7").text("Text"), "&rt=pp_fx3");
    EXPECT_EQ(child(d, "Text9").text("Text"), "&type=000107X001US");
}

TEST(ProgramWindows, SmallWindowsTexts)
{
    const WindowDefinition form2 = load("Form2");
    EXPECT_EQ(form2.text("Caption"), "Код кнопки");
    EXPECT_EQ(child(form2, "Label2").text("Caption"), "Код кнопки PageRank:");
    EXPECT_EQ(child(form2, "Text2").integer("Height") - child(form2, "Text1").integer("Height"), 120);
    EXPECT_TRUE(child(form2, "Text1").boolean("MultiLine"));
    const WindowDefinition form3 = load("Form3");
    EXPECT_EQ(child(form3, "Label1").text("Caption"), "Нажмите на картинку чтобы зайти");
    EXPECT_EQ(child(form3, "Image1").integer("MousePointer"), 99);
    EXPECT_TRUE(form3.boolean("ShowInTaskbar"));
    const WindowDefinition form4 = load("Form4");
    EXPECT_EQ(child(form4, "Label5").text("ToolTipText"), "Сайт автора программы..");
    EXPECT_EQ(child(form4, "Label5").integer("ForeColor"), 0x00FF0000);
    EXPECT_EQ(child(form4, "Label1").text("Caption"), "Для пользователя провайдера BYFLY:");
    EXPECT_EQ(child(form4, "Label3").text("Caption").rfind("ТИЦ ", 0), 0u);
    EXPECT_TRUE(child(form4, "Label3").text("Caption").ends_with(" - PageRank"));
    const std::string author = child(form4, "Text1").text("Text");
    EXPECT_EQ(author.rfind("http://", 0), 0u);
    EXPECT_EQ(author.find('/', 7), std::string::npos) << "no path";
    EXPECT_TRUE(outside_client_area(form4, child(form4, "Text1")));
}

} // namespace
