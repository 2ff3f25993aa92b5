#include "app/probas.h"

#include "platform/services/shell.h"
#include "platform/window_definition.h"
#include "tests/support/recording_opener.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

class OpenUrlTest : public ::testing::Test {
protected:
    OpenUrlTest()
    {
        forms.add("Main", platform::parse_window_definition("form Main\n    Caption = \"Main\"\nend\n"),
                  [](platform::forms::Form&) { return std::make_unique<platform::forms::FormCode>(); });
    }
    void SetUp() override { platform::set_open_command({opener.script()}); }
    void TearDown() override { platform::set_open_command(saved); }

    platform::forms::Form& window() { return forms["Main"]; }

    Strings saved = platform::open_command();
    test::RecordingOpener opener;
    platform::forms::Forms forms;
};

TEST_F(OpenUrlTest, TheAddressReachesTheOpenerExactlyAsJoined)
{
    const std::string ran = opener.directory() + "/ran";
    const std::string cases[] = {
        "http://www.velmora.example/",
        "http://search.example/?q=site:my site -1234567890", // blanks and a search suffix, not encoded
        "http://a.example/?x=1&y=2#part",
        "http://\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.\xD1\x80\xD1\x84/", // Cyrillic
        "http://http://velmora.example",                                           // doubled scheme
        "",
        "http://a.example/$(touch " + ran + ")`touch " + ran + "`;touch " + ran,
    };
    for (const std::string& address : cases) {
        SCOPED_TRACE(address);
        app::OpenURL(window(), address);
        const auto call = opener.wait_for_call();
        ASSERT_TRUE(call);
        EXPECT_EQ(call->args, Strings {address});
    }
    EXPECT_FALSE(std::filesystem::exists(ran)); // no shell read the address
}

TEST_F(OpenUrlTest, EachCallOpensAgainAndNothingIsReported)
{
    for (int i = 0; i < 2; ++i) {
        app::OpenURL(window(), "http://velmora.example/");
        EXPECT_TRUE(opener.wait_for_call());
    }
    // An address the opener would take for an option is not handed over; the caller
    // goes on as after any other call.
    app::OpenURL(window(), "-1234567890");
    EXPECT_FALSE(opener.wait_for_call(300ms));
    platform::set_open_command({"velmora-no-such-opener"});
    app::OpenURL(window(), "http://velmora.example/");
}

} // namespace
