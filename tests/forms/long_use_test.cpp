// What is done again and again all day piles nothing up: a window opened and closed leaves no
// widgets, no window handles and no new pictures in Qt's pixmap cache (which keys the pictures
// of scroll bars and combo boxes by the identity of the palette they are drawn with), and a
// property changed again and again is one change.

#include "platform/forms/forms.h"

#include "platform/forms/form_widget.h"
#include "platform/forms/shared_palettes.h"
#include "platform/forms/tooltip.h"

#include <QApplication>
#include <QStyleOptionComplex>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace platform;
using namespace platform::forms;

// Two boxes of the same colours and one of its own, with scroll bars, and a combo box.
constexpr const char* window_text = R"(
form Codes
    Caption = "Codes"
    ClientWidth = 4680
    ClientHeight = 3600
    textbox Text1
        Left = 120
        Top = 120
        Width = 4455
        Height = 855
        BackColor = 0x00C0FFFF
        ForeColor = 0x00FF0000
        MultiLine = true
        ScrollBars = 3
        Text = "one"
    end
    textbox Text2
        Left = 120
        Top = 1080
        Width = 4455
        Height = 855
        BackColor = 0x00C0FFFF
        ForeColor = 0x00FF0000
        MultiLine = true
        ScrollBars = 2
    end
    textbox Text3
        Left = 120
        Top = 2040
        Width = 4455
        Height = 855
        BackColor = 0x00FFC0C0
        MultiLine = true
        ScrollBars = 2
    end
    combo Combo1
        Left = 120
        Top = 3000
        Width = 2000
        Height = 315
        Item = "one"
        Item = "two"
    end
end
)";

// Under the application's style: the palettes scroll bars and combo boxes come to be drawn
// with, by the identity the pixmap cache keys their pictures by, and their base colour.
class PaletteRecorder final : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        if (control == CC_ScrollBar || control == CC_ComboBox)
            palettes[option->palette.cacheKey()] = option->palette.color(QPalette::Active, QPalette::Base).rgb();
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }

    mutable std::map<qint64, QRgb> palettes;
};

// The application's style over a recorder while a test runs; the run time keeps a style of
// this kind once there is one.
struct RecordedStyle {
    RecordedStyle() { QApplication::setStyle(new SharedPaletteStyle(recorder)); }
    ~RecordedStyle() { QApplication::setStyle(new SharedPaletteStyle); }
    PaletteRecorder* recorder = new PaletteRecorder; // the style's
};

class LongUseTest : public ::testing::Test {
protected:
    LongUseTest() { forms.add("Codes", parse_window_definition(window_text), nullptr); }

    // Shown, drawn whole, closed as the user closes it, and freed.
    std::vector<HWND> open_and_close()
    {
        Form& form = forms["Codes"];
        form.Show();
        form.widget()->grab();
        std::vector<HWND> handles {form.hWnd()};
        for (const auto& control : form.controls())
            handles.push_back(control->hWnd());
        form.widget()->close();
        forms.collect();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return handles;
    }

    RecordedStyle style;
    PaletteRecorder* recorder = style.recorder;
    Forms forms;
};

TEST_F(LongUseTest, AWindowMadeAnewDrawsWithThePalettesOfTheOneBefore)
{
    const std::vector<HWND> first = open_and_close();
    const std::map<qint64, QRgb> palettes = recorder->palettes;
    const qsizetype widgets = QApplication::allWidgets().size();
    // Equal colours are one palette, other colours another: the yellow boxes, the blue one, the combo box.
    std::vector<QRgb> bases;
    for (const auto& [key, base] : palettes)
        bases.push_back(base);
    std::sort(bases.begin(), bases.end());
    EXPECT_EQ(bases, (std::vector<QRgb> {qRgb(0xC0, 0xC0, 0xFF), qRgb(0xFF, 0xFF, 0xC0), qRgb(0xFF, 0xFF, 0xFF)}));

    std::vector<HWND> seen = first;
    for (int i = 1; i < 200; ++i) {
        const std::vector<HWND> handles = open_and_close();
        seen.insert(seen.end(), handles.begin(), handles.end());
    }
    EXPECT_EQ(recorder->palettes.size(), palettes.size()) << "every window drew and kept pictures of its own";
    EXPECT_EQ(QApplication::allWidgets().size(), widgets);
    // Each handle named one window once, and names nothing once its window has gone.
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
    for (HWND handle : first) {
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_EQ(widget_of(handle), nullptr);
    }
}

// The host tells which properties changed; one changed at every lookup of a long day is one
// change it keeps, not one more each time.
TEST(LongUse, APropertyChangedAgainAndAgainIsOneChange)
{
    UserControl host;
    for (int i = 0; i < 200; ++i) {
        host.PropertyChanged("Enabled");
        host.PropertyChanged("Picture");
    }
    EXPECT_EQ(host.changed_properties(), (std::vector<std::string> {"Enabled", "Picture"}));
}

} // namespace
