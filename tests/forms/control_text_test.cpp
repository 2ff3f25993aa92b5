// Standard controls draw their text with Qt in the font their definition gives: in MS Sans
// Serif their ink must be what GDI draws (the oracle's dumps among the text fixtures).

#include "platform/codepage.h"
#include "platform/forms/forms.h"
#include "tests/support/gdi_script.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace platform;
using namespace platform::forms;

// Text1 and Label1 as the main window has them, the splash text on one line, a bold
// underlined 8.25 pt label as the information window has, and the search box's combo box.
constexpr const char* window_text = R"(
form Main
    ClientWidth = 6000
    ClientHeight = 4000
    textbox Text1
        Left = 795
        Top = 1440
        Width = 4215
        Height = 375
        BackColor = 0x00C0FFFF
        ForeColor = 0x00FF0000
        FontName = "MS Sans Serif"
        FontSize = 9.75
        FontBold = true
        FontUnderline = true
        FontCharset = 204
        Text = "сайт.рф Test"
    end
    label Label1
        Left = 120
        Top = 1480
        Width = 615
        Height = 255
        ForeColor = 0x00FF0000
        FontName = "MS Sans Serif"
        FontSize = 9.75
        FontBold = true
        FontUnderline = true
        Caption = "http://"
    end
    label Splash
        Left = 120
        Top = 120
        Width = 4935
        Height = 255
        ForeColor = 0x00FF0000
        FontName = "MS Sans Serif"
        FontSize = 9.75
        FontBold = true
        FontCharset = 204
        Caption = "(SE) Google и Яндекс."
    end
    label Author
        Left = 120
        Top = 600
        Width = 2000
        Height = 255
        ForeColor = 0x00FF0000
        FontName = "MS Sans Serif"
        FontSize = 8.25
        FontBold = true
        FontUnderline = true
        FontCharset = 204
        Caption = "ORLANWERK"
    end
    combo Combo1
        Left = 120
        Top = 2400
        Width = 3000
        Height = 315
        ForeColor = 0x00FF0000
        FontName = "MS Sans Serif"
        FontSize = 8.25
        FontBold = true
        FontCharset = 204
        Text = "сайт.рф Test"
    end
end
)";

using Picture = std::vector<std::string>; // rows of '#' (ink) and '.', cut to the ink's bounds

Picture cut_to_ink(int width, int height, const std::function<bool(int, int)>& ink)
{
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (ink(x, y)) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    Picture picture;
    for (int y = top; y <= bottom; ++y) {
        std::string row;
        for (int x = left; x <= right; ++x)
            row += ink(x, y) ? '#' : '.';
        picture.push_back(row);
    }
    return picture;
}

// The black pixels of one "dump W H" block.
Picture oracle_ink(const std::string& dump)
{
    std::istringstream in(dump);
    std::string word;
    int width = 0, height = 0;
    in >> word >> width >> height;
    std::vector<std::string> pixels;
    while (in >> word)
        pixels.push_back(word);
    return cut_to_ink(width, height, [&](int x, int y) { return pixels[size_t(y * width + x)] == "000000"; });
}

Picture widget_ink(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    const QRgb ink = qRgb(0, 0, 0xFF); // ForeColor 0xFF0000 is blue
    return cut_to_ink(image.width(), image.height(), [&](int x, int y) { return image.pixel(x, y) == ink; });
}

std::string shown(const Picture& picture)
{
    std::string out;
    for (const std::string& row : picture)
        out += row + "\n";
    return out;
}

TEST(ControlText, MsSansSerifInStandardControlsIsWhatGdiDraws)
{
    Forms forms;
    forms.add("Main", parse_window_definition(utf8_to_cp1251(window_text)), nullptr);
    Form& form = forms["Main"];
    const std::string fixtures = VELMORA_FIXTURES_DIR;
    const struct {
        const char* name;
        QWidget* widget;
        const char* fixture;
        size_t dump;
    } cases[] = {
        {"Text1", form.text("Text1").widget(), "text-ms-sans-serif-13", 2},
        {"Label1", form.label("Label1").widget(), "text-ms-sans-serif-13", 3},
        {"Splash", form.label("Splash").widget(), "text-ms-sans-serif-splash", 0},
        {"Author", form.label("Author").widget(), "text-ms-sans-serif-11", 3},
        {"Combo1", form.combo("Combo1").widget(), "text-ms-sans-serif-11", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto dumps = test_support::oracle_dumps(fixtures + "/" + c.fixture + ".out");
        ASSERT_GT(dumps.size(), c.dump);
        const Picture expected = oracle_ink(dumps[c.dump]);
        const Picture actual = widget_ink(c.widget);
        EXPECT_TRUE(actual == expected) << "drawn:\n" << shown(actual) << "GDI:\n" << shown(expected);
    }
}

} // namespace
