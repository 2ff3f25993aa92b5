#include "app/program.h"
#include "button/ww.h"
#include "platform/forms/form_widget.h"
#include "platform/services/shell.h"
#include "tests/services/registry_sandbox.h"
#include "tests/support/http_server.h"
#include "tests/support/picture_files.h"
#include "tests/support/recording_opener.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace {

using platform::forms::Form;
using platform::forms::Forms;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

// Each service answers with a picture of its own width; the height is the server's
// current generation, so a test can tell one lookup's pictures from the next one's.
struct Service {
    const char* box;  // the template box of Form1
    const char* path; // the path the box's template holds after its host
    int width;
};

const Service ip_picture {"Text16", "/_res/script/image.php", 30};
const Service userbar {"Text17", "/_res/userbar/ua-bar.gif", 35};
const Service counter {"Text4", "/cycounter", 40};
const Service badge {"Text5", "/prx.php", 45};
const Service screenshot {"Text13", "/", 50};

// The result areas of Form1 and the service that fills each.
const std::pair<const char*, const Service*> result_areas[] = {
    {"Image6", &ip_picture}, {"Image7", &userbar}, {"Image1", &counter}, {"Image2", &badge}};

struct ScratchDir {
    ScratchDir()
    {
        std::string pattern = (fs::temp_directory_path() / "velmora-lookup-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

class SiteLookupTest : public ::testing::Test {
protected:
    SiteLookupTest()
    {
        for (const Service* service : {&ip_picture, &userbar, &counter, &badge, &screenshot})
            serve(*service);
        server.start();
        app::register_program(forms);
        forms.set_message_box_hook([this](const std::string& prompt, int flags, const std::string& title) {
            messages.push_back({prompt, flags, title});
            return 1;
        });
        platform::set_open_command({opener.script()});
        main().Show();
        messages.clear(); // the first-run notice of the fresh store
        for (const Service* service : {&ip_picture, &userbar, &counter, &badge, &screenshot})
            point_at(server_base(), *service);
    }
    ~SiteLookupTest() override
    {
        platform::set_open_command(saved_opener);
        forms.collect();
    }

    struct Message {
        std::string prompt;
        int flags;
        std::string title;
    };

    Form& main() { return forms["Form1"]; }
    button::ww& button(const char* name) { return main().custom<button::ww>(name); }
    void find_out() { button("ww1").UserControl.raise_Click(); }
    void take_screenshot() { button("ww3").UserControl.raise_Click(); }

    std::string server_base() const { return server.url(""); }

    // Keeps the template's path and query and puts `base` in place of its host, so the
    // window definition's own templates are what gets tested.
    void point_at(const std::string& base, const Service& service)
    {
        auto& box = main().text(service.box);
        const std::string design = box.Text();
        const size_t path = design.find('/', std::string_view("http://").size());
        ASSERT_TRUE(design.starts_with("http://") && path != std::string::npos) << service.box << ": " << design;
        box.set_Text(base + design.substr(path));
    }

    void serve(const Service& service)
    {
        server.routes().Get(service.path, [this, &service](const httplib::Request& request, httplib::Response& res) {
            // The screenshot service has nothing to show for an empty url value.
            if (&service == &screenshot && request.get_param_value("url").empty()) {
                res.set_content("no url given", "text/plain");
                return;
            }
            const auto body = test_pictures::png(service.width, generation, qRgb(40, 90, 200));
            res.set_content(reinterpret_cast<const char*>(body.data()), body.size(), "image/png");
        });
    }

    Strings targets() const
    {
        Strings seen;
        for (const auto& request : server.seen())
            seen.push_back(request.target);
        return seen;
    }

    // The size of the area's picture and of the area itself, which takes the picture's size.
    static std::string shown(const platform::forms::ImageArea& area)
    {
        const auto& picture = area.get_Picture();
        if (!picture)
            return area.Visible() ? "blank" : "blank, hidden";
        const QSize size = area.widget()->size();
        if (size != QSize(picture->pixel_width(), picture->pixel_height()))
            return "area of another size";
        return std::to_string(size.width()) + "x" + std::to_string(size.height());
    }
    static std::string expected(const Service& service, int height)
    {
        return std::to_string(service.width) + "x" + std::to_string(height);
    }

    void expect_results(int height)
    {
        for (const auto& [area, service] : result_areas)
            EXPECT_EQ(shown(main().image(area)), height ? expected(*service, height) : "blank") << area;
    }

    void expect_fresh_state()
    {
        EXPECT_TRUE(main().image("Image8").Visible());
        for (const auto& [area, service] : result_areas)
            EXPECT_EQ(main().image(area).get_Picture(), nullptr) << area;
        EXPECT_FALSE(button("ww2").get_Enabled());
        EXPECT_EQ(main().text("Text39").Text(), "");
    }

    void expect_looked_up()
    {
        EXPECT_FALSE(main().image("Image8").Visible());
        EXPECT_TRUE(button("ww2").get_Enabled());
        EXPECT_EQ(main().text("Text39").Text(), "Первый вход");
    }

    // A left click on the screenshot, as the mouse gives it.
    void click_screenshot()
    {
        QWidget* picture = forms["Form3"].image("Image1").widget();
        const QPointF centre(picture->width() / 2.0, picture->height() / 2.0);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, centre, picture->mapToGlobal(centre), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(picture, &event);
        }
    }

    test_support::RegistrySandbox registry;
    test::NoProxyEnv no_proxy;
    // The temporary picture file in a directory of this test's own.
    ScratchDir temp;
    test::ScopedEnv runtime_dir {"XDG_RUNTIME_DIR", std::nullopt};
    test::ScopedEnv tmpdir {"TMPDIR", temp.path.string()};
    std::atomic<int> generation {1};
    test::LocalHttpServer server;
    Strings saved_opener = platform::open_command();
    test::RecordingOpener opener;
    Forms forms;
    std::vector<Message> messages;
};

TEST_F(SiteLookupTest, TheFourPicturesComeInOrderFromAddressesBuiltOfTheSite)
{
    struct Case {
        std::string site;
        std::string in_request; // the site as the request line carries it
    };
    const Case cases[] = {
        {"velmora.example", "velmora.example"},
        {"  ", "%20%20"}, // only the empty text is refused
        {"www.site.example/dir/a&b=2", "www.site.example/dir/a&b=2"}, // the test server refuses a second "?"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("site \"" + c.site + "\"");
        const size_t before = server.seen().size();
        main().text("Text1").set_Text(c.site);
        find_out();
        const auto seen = server.seen();
        ASSERT_EQ(seen.size(), before + 4);
        const Strings expected_targets = {
            "/_res/script/image.php?type=5&lang=ru",
            "/_res/userbar/ua-bar.gif",
            "/cycounter?" + c.in_request,
            "/prx.php?s=http://" + c.in_request,
        };
        for (size_t i = 0; i < expected_targets.size(); ++i) {
            EXPECT_EQ(seen[before + i].target, expected_targets[i]);
            EXPECT_EQ(seen[before + i].method, "GET");
            EXPECT_EQ(seen[before + i].user_agent, "Mozilla/4.0");
        }
        expect_results(1);
        expect_looked_up();
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SiteLookupTest, AnEmptySiteBoxOnlyAsksForTheAddress)
{
    main().text("Text1").set_Text("");
    find_out();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].prompt, "Пожалуйста введите адрес сайта без http://");
    EXPECT_EQ(messages[0].flags, 16);
    EXPECT_EQ(messages[0].title, "Ведите адрес");
    expect_fresh_state();
    EXPECT_TRUE(targets().empty());

    // After a lookup the refusal keeps what the lookup left.
    main().text("Text1").set_Text("velmora.example");
    find_out();
    main().text("Text1").set_Text("");
    find_out();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(targets().size(), 4u);
    expect_results(1);
    expect_looked_up();
}

TEST_F(SiteLookupTest, WhenEveryDownloadFailsTheAreasAreBlankAndTheLookupStillCounts)
{
    test::UnusedPort refused;
    for (const auto& [area, service] : result_areas)
        point_at(refused.url(""), *service);
    main().text("Text1").set_Text("velmora.example");
    find_out();
    expect_results(0);
    expect_looked_up();
    EXPECT_TRUE(messages.empty());
}

TEST_F(SiteLookupTest, ASecondLookupFetchesAllFourAgainAndReplacesThem)
{
    main().text("Text1").set_Text("one.example");
    find_out();
    generation = 2;
    main().text("Text1").set_Text("two.example");
    find_out();
    const Strings seen = targets();
    ASSERT_EQ(seen.size(), 8u);
    EXPECT_EQ(Strings(seen.begin() + 4, seen.end()),
              (Strings {"/_res/script/image.php?type=5&lang=ru", "/_res/userbar/ua-bar.gif", "/cycounter?two.example",
                        "/prx.php?s=http://two.example"}));
    expect_results(2);
    expect_looked_up();
}

TEST_F(SiteLookupTest, AFailedDownloadBlanksItsAreaAndTheRestStillRun)
{
    main().text("Text1").set_Text("velmora.example");
    find_out();
    test::UnusedPort refused;
    point_at(refused.url(""), ip_picture); // the first of the four
    generation = 2;
    find_out();
    EXPECT_EQ(targets().size(), 7u);
    EXPECT_EQ(shown(main().image("Image6")), "blank");
    EXPECT_EQ(shown(main().image("Image7")), expected(userbar, 2));
    EXPECT_EQ(shown(main().image("Image1")), expected(counter, 2));
    EXPECT_EQ(shown(main().image("Image2")), expected(badge, 2));
}

TEST_F(SiteLookupTest, TheScreenshotButtonShowsTheWindowWithTheSitesPicture)
{
    struct Case {
        std::string site;
        std::string target;
        std::string shown; // the service has no picture for an empty url value
    };
    const Case cases[] = {
        {"velmora.example", "/?url=velmora.example&size=S", expected(screenshot, 1)},
        {"", "/?url=&size=S", "blank"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("site \"" + c.site + "\"");
        main().text("Text1").set_Text(c.site);
        take_screenshot();
        const auto seen = server.seen();
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().target, c.target);
        EXPECT_EQ(seen.back().user_agent, "Mozilla/4.0");
        ASSERT_TRUE(forms.is_loaded("Form3"));
        EXPECT_TRUE(forms["Form3"].Visible());
        EXPECT_EQ(shown(forms["Form3"].image("Image1")), c.shown);
    }
    EXPECT_EQ(server.seen().size(), 2u);
    EXPECT_TRUE(messages.empty());
    expect_fresh_state(); // the screenshot is no lookup
}

TEST_F(SiteLookupTest, AClosedScreenshotWindowIsMadeAndFilledAnew)
{
    main().text("Text1").set_Text("velmora.example");
    take_screenshot();
    forms["Form3"].widget()->close();
    forms.collect();
    ASSERT_FALSE(forms.is_loaded("Form3"));
    generation = 2;
    take_screenshot();
    ASSERT_TRUE(forms.is_loaded("Form3"));
    EXPECT_TRUE(forms["Form3"].Visible());
    EXPECT_EQ(shown(forms["Form3"].image("Image1")), expected(screenshot, 2));
}

TEST_F(SiteLookupTest, AClickOnTheScreenshotOpensTheSiteBoxAsItIsThen)
{
    main().text("Text1").set_Text("velmora.example");
    take_screenshot();
    for (const std::string site : {"velmora.example", "other.example/страница?a=1&b=2", ""}) {
        SCOPED_TRACE("site \"" + site + "\"");
        main().text("Text1").set_Text(site);
        click_screenshot();
        EXPECT_EQ(opener.wait_for_address(), "http://" + site);
    }
    EXPECT_EQ(server.seen().size(), 1u); // a click fetches nothing
    EXPECT_TRUE(opener.nothing_opened());
}

} // namespace
