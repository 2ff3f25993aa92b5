
#include "platform/forms/form_widget.h"
#include "platform/forms/forms.h"
#include "platform/forms/user_control_widget.h"
#include "platform/services/http.h"
#include "tests/support/eventually.h"
#include "tests/support/http_server.h"

#include <QApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace platform;
using namespace platform::forms;
using namespace std::chrono_literals;
using test_support::eventually;
using Log = std::vector<std::string>;

constexpr const char* main_window = R"(
form Main
    Caption = "Main"
    ClientWidth = 3000
    ClientHeight = 2000
    textbox Text1
        Left = 120
        Top = 120
        Width = 2000
        Height = 300
    end
    label Label1
        Left = 120
        Top = 600
        Width = 2000
        Height = 300
        Caption = "before"
    end
    timer Timer1
        Interval = 20
    end
end
)";

// How long the server keeps the handler's download waiting.
constexpr auto stall = 400ms;

// Each entry says whether it came while the download was under way.
class Notes {
public:
    bool inside = false;
    Log log;
    void note(const std::string& what) { log.push_back(what + (inside ? " inside" : "")); }
    bool noted(const std::string& what) const { return std::find(log.begin(), log.end(), what) != log.end(); }
};

class MainCode final : public FormCode {
public:
    MainCode(Form& form, Notes& notes)
    {
        for (const char* name : {"Text1_Change", "Timer1_Timer"})
            form.on(name, [&notes, name] { notes.note(name); });
    }
};

// A window's code whose end shows when the run time frees the window it unloaded.
class OtherCode final : public FormCode {
public:
    explicit OtherCode(Notes& notes) : m_notes(notes) {}
    ~OtherCode() override { m_notes.note("Other freed"); }

private:
    Notes& m_notes;
};

// What a window paints, and under which cursor.
class PaintSpy final : public QObject {
public:
    PaintSpy(QWidget* watched, Notes& notes) : m_notes(notes) { watched->installEventFilter(this); }
    std::vector<std::pair<bool, Qt::CursorShape>> paints; // inside the download; the cursor shown

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            paints.emplace_back(m_notes.inside, cursor ? cursor->shape() : Qt::ArrowCursor);
        }
        return false;
    }

private:
    Notes& m_notes;
};

class FocusNotes final : public UserControlHandlers {
public:
    explicit FocusNotes(Notes& notes) : m_notes(notes) {}
    void UserControl_GotFocus() override { m_notes.note("GotFocus"); }
    void UserControl_LostFocus() override { m_notes.note("LostFocus"); }

private:
    Notes& m_notes;
};

bool exposed(QWidget& widget)
{
    return eventually([&] { return widget.windowHandle() && widget.windowHandle()->isExposed(); });
}

class DownloadWaitTest : public ::testing::Test {
protected:
    DownloadWaitTest()
    {
        server.routes().Get("/stalled", [this](const httplib::Request&, httplib::Response& res) {
            server.wait_until_released(stall);
            res.set_content("late", "text/plain");
        });
        server.start();
        forms.add("Main", parse_window_definition(main_window),
                  [this](Form& form) { return std::make_unique<MainCode>(form, notes); });
        forms.add("Other", parse_window_definition("form Other\nend\n"),
                  [this](Form&) { return std::make_unique<OtherCode>(notes); });
    }
    ~DownloadWaitTest() override { forms.collect(); }

    // A handler's download, as the program makes it; the log notes its end.
    void download()
    {
        notes.inside = true;
        const HINTERNET internet = InternetOpenA("Mozilla/4.0", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        const HINTERNET file = InternetOpenUrlA(internet, server.url("/stalled").c_str(), nullptr, 0, 0, 0);
        EXPECT_NE(file, 0u);
        InternetCloseHandle(file);
        InternetCloseHandle(internet);
        notes.inside = false;
        notes.log.push_back("downloaded");
    }

    test::LocalHttpServer server;
    Notes notes;
    Forms forms;
    QObject context;
};

// The window shows what the handler changed before it fetched, under the busy cursor; its
// timer, the run time's deferred freeing of a window and a handler that a queued call
// raises all wait for the handler, and then run in the order they came, the timer's missed
// ticks as one.
TEST_F(DownloadWaitTest, TheWindowPaintsMeanwhileAndNothingOfTheProgramRunsInsideTheDownload)
{
    Form& main = forms["Main"];
    main.Show();
    ASSERT_TRUE(exposed(*main.widget()));
    ASSERT_TRUE(eventually([&] { return notes.noted("Timer1_Timer"); }));
    PaintSpy spy(main.label("Label1").widget(), notes);
    forms["Other"].Unload();
    QMetaObject::invokeMethod(&context, [&] { main.text("Text1").set_Text("queued"); }, Qt::QueuedConnection);
    main.label("Label1").set_Caption("changed");
    notes.log.clear();

    download();
    EXPECT_EQ(notes.log, Log {"downloaded"});
    ASSERT_FALSE(spy.paints.empty());
    EXPECT_TRUE(spy.paints.front().first);
    EXPECT_EQ(spy.paints.front().second, Qt::WaitCursor);
    EXPECT_EQ(main.text("Text1").Text(), "queued"); // Qt's part of the queued call did run

    // The timer came due many times over meanwhile: it ticks once for all of them.
    QCoreApplication::processEvents();
    EXPECT_LE(std::count(notes.log.begin(), notes.log.end(), "Timer1_Timer"), 1);
    ASSERT_TRUE(eventually([&] { return notes.noted("Text1_Change") && notes.noted("Timer1_Timer"); }));
    Log held;
    std::copy_if(notes.log.begin(), notes.log.end(), std::back_inserter(held),
                 [](const std::string& entry) { return entry != "Timer1_Timer"; });
    EXPECT_EQ(held, (Log {"downloaded", "Other freed", "Text1_Change"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// The window manager moves the focus whenever it likes; a control hosted in the window hears
// of it after the handler that was fetching.
TEST_F(DownloadWaitTest, AControlHearsOfTheFocusMovedDuringADownloadAfterIt)
{
    UserControl host;
    FocusNotes handlers(notes);
    host.set_handlers(&handlers);
    host.set_Width(80 * twips_per_pixel);
    host.set_Height(25 * twips_per_pixel);
    QWidget window;
    window.resize(120, 60);
    auto* control = new UserControlWidget(host, &window);
    auto* box = new QLineEdit(&window); // holds the focus first
    box->move(0, 30);
    window.show();
    ASSERT_TRUE(exposed(window));
    window.activateWindow();
    box->setFocus();
    ASSERT_TRUE(eventually([&] { return window.isActiveWindow() && box->hasFocus(); }));
    notes.log.clear();
    bool moved_inside = false;
    QMetaObject::invokeMethod(&context, [&] {
        control->setFocus();
        moved_inside = notes.inside && control->hasFocus();
    }, Qt::QueuedConnection);

    download();
    EXPECT_TRUE(moved_inside);
    EXPECT_EQ(notes.log, Log {"downloaded"});
    ASSERT_TRUE(eventually([&] { return notes.noted("GotFocus"); }));
    EXPECT_EQ(notes.log, (Log {"downloaded", "GotFocus"}));
}

// A drop cannot wait for the handler: during a download it is refused, afterwards taken.
TEST_F(DownloadWaitTest, ADropDuringADownloadIsRefused)
{
    Form& main = forms["Main"];
    main.Show();
    ASSERT_TRUE(exposed(*main.widget()));
    QWidget* box = main.text("Text1").widget();
    QMimeData text;
    text.setText("dropped");
    const auto offer = [&] {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &enter);
        return enter.isAccepted();
    };
    std::optional<bool> taken_inside;
    QMetaObject::invokeMethod(&context, [&] {
        if (notes.inside)
            taken_inside = offer();
    }, Qt::QueuedConnection);

    download();
    ASSERT_TRUE(taken_inside.has_value());
    EXPECT_FALSE(*taken_inside);
    EXPECT_TRUE(offer());
}

} // namespace
