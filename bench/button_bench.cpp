// One complete repaint of the button as the main window uses it, at 1x, 2x and 4x its size,
// each beside its peer measured in the same run:
// - shown: the paint plus the host widget's paint into an image, beside a Qt push button of the
//   same size and caption rendered into an image;
// - painted: the paint into the surface only, beside two plain fills of a buffer that size.
// After the runs it prints the ratios (medians when repeated).

#include "bench/button_images.h"
#include "platform/forms/user_control_widget.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int base_width = 161, base_height = 25;
const char* const caption = "Узнать";

int width_at(const benchmark::State& state)
{
    return base_width * int(state.range(0));
}

int height_at(const benchmark::State& state)
{
    return base_height * int(state.range(0));
}

// A shown window to hold a button, as the program's windows hold theirs.
struct Window {
    explicit Window(const benchmark::State& state)
    {
        widget.resize(width_at(state) + 20, height_at(state) + 20);
        widget.show();
        QCoreApplication::processEvents();
    }
    QWidget widget;
};

void BM_Shown(benchmark::State& state)
{
    button::ww b("ww1");
    bench::program_look(b, width_at(state), height_at(state), caption, true);
    if (state.range(1))
        b.UserControl.raise_GotFocus();
    Window window(state);
    auto* host = new platform::forms::UserControlWidget(b.UserControl, &window.widget);
    host->show();
    QImage image(width_at(state), height_at(state), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        b.UserControl_Paint();
        host->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_PeerShown(benchmark::State& state)
{
    Window window(state);
    auto* peer = new QPushButton(QString::fromUtf8(caption), &window.widget);
    peer->resize(width_at(state), height_at(state));
    peer->show();
    QImage image(width_at(state), height_at(state), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        peer->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_Painted(benchmark::State& state)
{
    button::ww b("ww1");
    bench::program_look(b, width_at(state), height_at(state), caption, true);
    if (state.range(1))
        b.UserControl.raise_GotFocus();
    for (auto _ : state)
        b.UserControl_Paint();
}

void BM_PeerTwoFills(benchmark::State& state)
{
    std::vector<uint32_t> pixels(size_t(width_at(state)) * size_t(height_at(state)));
    for (auto _ : state) {
        std::fill(pixels.begin(), pixels.end(), 0xD8E9ECu);
        benchmark::ClobberMemory();
        std::fill(pixels.begin(), pixels.end(), 0xEFEFEFu);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
}

// Scale, focused: the peers have no focus, so a focused row compares with the unfocused peer.
void sizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"scale", "focused"});
    for (int scale : {1, 2, 4})
        b->Args({scale, 0});
    b->Args({1, 1});
}

BENCHMARK(BM_Shown)->Apply(sizes);
BENCHMARK(BM_PeerShown)->Apply(sizes);
BENCHMARK(BM_Painted)->Apply(sizes);
BENCHMARK(BM_PeerTwoFills)->Apply(sizes);

// Keeps each run's time (the median of repeated runs) and prints the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (single || median)
                m_times[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-22s %10s %10s %7s   %10s %10s %7s\n", "repaint (us)", "shown", "peer", "ratio", "painted",
                    "2 fills", "ratio");
        for (const char* args : {"scale:1/focused:0", "scale:2/focused:0", "scale:4/focused:0", "scale:1/focused:1"}) {
            const double shown = time_of("BM_Shown", args), peer = time_of("BM_PeerShown", args);
            const double painted = time_of("BM_Painted", args), fills = time_of("BM_PeerTwoFills", args);
            std::printf("%-22s %10.2f %10.2f %7.2f   %10.2f %10.2f %7.2f\n", args, shown / 1e3, peer / 1e3,
                        ratio(shown, peer), painted / 1e3, fills / 1e3, ratio(painted, fills));
        }
    }

private:
    double time_of(const std::string& function, const char* args) const
    {
        const auto it = m_times.find(function + "/" + args);
        return it == m_times.end() ? 0 : it->second;
    }
    static double ratio(double ours, double peer) { return peer > 0 ? ours / peer : 0; }

    std::map<std::string, double> m_times; // in nanoseconds
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
