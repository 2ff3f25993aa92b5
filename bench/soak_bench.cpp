// A day's use in one process: each window opened and closed, the code windows switched with
// their buttons, lookups against a local server and settings saved, each in a loop of its
// own, with the heap in use (after malloc_trim) measured around each loop. A row prints the
// growth per 1,000 iterations twice: with Qt's pixmap cache emptied before each measurement,
// and without (the cache then keeps pictures up to its limit, which the row's window may
// fill with what it draws).
//
// glibc's per-thread caches of freed blocks count as in use, and would move a row by some tens
// of KB either way: the bench runs without them unless GLIBC_TUNABLES says otherwise.
//
//     soak_bench [ITERATIONS] [ROW...]     ITERATIONS defaults to 1000; ROW picks rows by name

#include "app/program.h"
#include "bench/child_process.h"
#include "platform/forms/form_widget.h"
#include "platform/services/registry.h"
#include "platform/services/shell.h"
#include "platform/services/temp_path.h"

#include <QApplication>
#include <QImage>
#include <QPixmapCache>

#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using platform::forms::Form;
using platform::forms::Forms;

constexpr int warm_up_iterations = 20;

// A click on a button as its widget hands it on: the button's Click, then its window's handler.
void click(Form& form, std::string_view button)
{
    form.user_control(button).host().raise_Click();
}

// Paints what was shown, runs what was deferred (the unloaded windows' collection among it).
void settle(Forms& forms)
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    forms.collect();
}

size_t heap_in_use()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

struct Row {
    const char* name;
    const char* what;
    std::function<void()> once; // one iteration
    std::function<void()> done; // after the loop: back to where it started
};

struct Growth {
    double emptied_kb = 0;
    double kept_kb = 0;
};

Growth measure(Forms& forms, const Row& row, int iterations)
{
    const auto loop = [&](int count) {
        for (int i = 0; i < count; ++i) {
            row.once();
            settle(forms);
        }
        if (row.done)
            row.done();
        settle(forms);
    };
    loop(warm_up_iterations);
    QPixmapCache::clear();
    const size_t before = heap_in_use();
    loop(iterations);
    const size_t kept = heap_in_use();
    QPixmapCache::clear();
    const size_t emptied = heap_in_use();
    const double per_thousand = 1000.0 / iterations / 1024.0;
    return {(double(emptied) - double(before)) * per_thousand, (double(kept) - double(before)) * per_thousand};
}

void open_and_close(Forms& forms, const char* name)
{
    Form& form = forms[name];
    form.Show();
    QCoreApplication::processEvents(); // painted
    form.widget()->close();            // as the user closes it
}

bool write_picture(const std::filesystem::path& path, QColor colour)
{
    QImage image(88, 31, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(QString::fromStdString(path.string()), "PNG");
}

int run(int iterations, const std::vector<std::string>& wanted)
{
    // A registry and a temporary directory of the run's own; addresses open nothing.
    char home[] = "/tmp/velmora-soak-XXXXXX";
    if (!mkdtemp(home))
        return 1;
    setenv("XDG_CONFIG_HOME", home, 1);
    setenv("XDG_RUNTIME_DIR", home, 1);
    platform::reopen_registry_store();
    platform::set_open_command({"true"});
    const std::filesystem::path served = std::filesystem::path(home) / "served";
    std::filesystem::create_directories(served);
    if (!write_picture(served / "ip.png", Qt::red) || !write_picture(served / "userbar.png", Qt::green) ||
        !write_picture(served / "site.png", Qt::blue))
        return 1;
    bench::ChildProcess server({VELMORA_FILE_SERVER, served.string()});
    const std::string port = server.read_line();
    if (port.empty()) {
        std::fprintf(stderr, "the file server did not start\n");
        return 1;
    }
    const std::string base = "http://127.0.0.1:" + port + "/";

    bool fetched = true;
    {
        Forms forms;
        forms.set_message_box_hook([](const std::string&, int, const std::string&) { return 1; });
        app::register_program(forms);
        Form& main = forms["Form1"];
        main.Show();
        main.text("Text1").set_Text("site.png");
        main.text("Text16").set_Text(base + "ip.png");
        main.text("Text17").set_Text(base + "userbar.png");
        main.text("Text4").set_Text(base);
        main.text("Text5").set_Text(base);
        settle(forms);

        struct Window {
            const char* name;
            const char* what;
        };
        // Every window but the main one, whose closing ends the program.
        constexpr Window windows[] = {
            {"Form2", "button-code window"},  {"Form3", "screenshot window"},     {"Form4", "information window"},
            {"Form5", "userbar-code window"}, {"Form6", "IP-button-code window"}, {"Form7", "search window"},
            {"Form8", "splash window"},
        };
        std::vector<Row> rows;
        for (const Window& w : windows)
            rows.push_back({w.name, w.what, [&forms, name = w.name] { open_and_close(forms, name); }, {}});
        rows.push_back({"switch", "Form5 <-> Form6 with their buttons",
                        [&forms] {
                            forms["Form5"].Show();
                            QCoreApplication::processEvents();
                            click(forms["Form5"], "ww1");
                            QCoreApplication::processEvents();
                            click(forms["Form6"], "ww1");
                        },
                        [&forms] {
                            if (forms.is_loaded("Form5"))
                                forms["Form5"].Unload();
                        }});
        rows.push_back({"lookup", "Find out: four pictures from the local server", [&main] { click(main, "ww1"); },
                        [&main, &fetched] {
                            fetched = main.image("Image6").get_Picture() && main.image("Image1").get_Picture();
                        }});
        rows.push_back({"save", "search window's engine saved (Form7 ww1, no engine)",
                        [&forms] {
                            Form& search = forms["Form7"];
                            search.combo("Combo1").set_Text("Поисковик");
                            click(search, "ww1");
                        },
                        [&forms] {
                            if (forms.is_loaded("Form7"))
                                forms["Form7"].Unload();
                        }});

        std::printf("heap in use after malloc_trim, growth per 1,000 iterations (%d iterations a row, after %d)\n",
                    iterations, warm_up_iterations);
        std::printf("Qt's pixmap cache limit: %d KB; GLIBC_TUNABLES=%s\n", QPixmapCache::cacheLimit(),
                    std::getenv("GLIBC_TUNABLES"));
        std::printf("%-8s %-48s %14s %14s\n", "row", "", "cache emptied", "cache kept");
        for (const Row& row : rows) {
            if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), row.name) == wanted.end())
                continue;
            const Growth g = measure(forms, row, iterations);
            std::printf("%-8s %-48s %+11.1f KB %+11.1f KB\n", row.name, row.what, g.emptied_kb, g.kept_kb);
            std::fflush(stdout);
        }
    }
    std::filesystem::remove_all(home);
    if (!fetched) {
        std::fprintf(stderr, "the lookups fetched no pictures: their row measured failed downloads\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("GLIBC_TUNABLES")) {
        setenv("GLIBC_TUNABLES", "glibc.malloc.tcache_count=0", 1);
        execv("/proc/self/exe", argv); // read at start only; on failure the run goes on with them
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Offscreen has no grabs and no stacking, and says so at every window: not the table's business.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (!message.startsWith(QLatin1String("This plugin does not support")))
            std::fputs(qPrintable(qFormatLogMessage(type, context, message) + u'\n'), stderr);
    });
    QApplication application(argc, argv);
    int iterations = 1000;
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        if (const int n = std::atoi(argv[i]); n > 0)
            iterations = n;
        else
            wanted.emplace_back(argv[i]);
    }
    return run(iterations, wanted);
}
