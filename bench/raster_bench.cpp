// One button face repaint's worth of raster work and the window regions the button's
// shapes make, each beside the same work done by Qt's own painter and region as a peer.
// After the usual table it prints each of ours against its peer measured in the same run.

#include "platform/gdi/gradient.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/region.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace platform;

constexpr int face_width = 161;
constexpr int face_height = 25;

double minimum(const std::vector<double>& values) { return *std::ranges::min_element(values); }
double maximum(const std::vector<double>& values) { return *std::ranges::max_element(values); }

// Repetitions also report their fastest and slowest, for the spread beside each median.
void spread(benchmark::internal::Benchmark* b)
{
    b->ComputeStatistics("min", minimum)->ComputeStatistics("max", maximum);
}

TRIVERTEX vertex(LONG x, LONG y, COLORREF c)
{
    return {x, y, COLOR16(GetRValue(c) << 8), COLOR16(GetGValue(c) << 8), COLOR16(GetBValue(c) << 8), 0};
}

void outline(HDC dc, int w, int h)
{
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 0, h - 1);
    LineTo(dc, w - 1, h - 1);
    LineTo(dc, w - 1, 0);
    LineTo(dc, 0, 0);
    MoveToEx(dc, 1, 1, nullptr);
    LineTo(dc, 1, h - 2);
    LineTo(dc, w - 2, h - 2);
    LineTo(dc, w - 2, 1);
    LineTo(dc, 1, 1);
}

void BM_ButtonFace(benchmark::State& state)
{
    Surface surface(face_width, face_height);
    DeviceContext dc(surface);
    const GRADIENT_RECT rect {1, 0};
    for (auto _ : state) {
        surface.fill(0xD8D8D8);
        TRIVERTEX top[2] = {vertex(0, 17, 0xD8D8D8), vertex(face_width, 0, 0xEFEFEF)};
        GradientFill(&dc, top, 2, &rect, 1, GRADIENT_FILL_RECT_V);
        TRIVERTEX bottom[2] = {vertex(0, 12, 0xD8D8D8), vertex(face_width, 50, 0xEFEFEF)};
        GradientFill(&dc, bottom, 2, &rect, 1, GRADIENT_FILL_RECT_V);
        dc.pen = 0x8F8F8E;
        outline(&dc, face_width, face_height);
        benchmark::DoNotOptimize(surface.pixels().data());
    }
}
BENCHMARK(BM_ButtonFace)->Apply(spread);

void BM_ButtonFace_QPainterPeer(benchmark::State& state)
{
    QImage image(face_width, face_height, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(QColor(0xD8, 0xD8, 0xD8));
        QPainter painter(&image);
        QLinearGradient top(0, 0, 0, 17);
        top.setColorAt(0, QColor(0xEF, 0xEF, 0xEF));
        top.setColorAt(1, QColor(0xD8, 0xD8, 0xD8));
        painter.fillRect(0, 0, face_width, 17, top);
        QLinearGradient bottom(0, 12, 0, 50);
        bottom.setColorAt(0, QColor(0xD8, 0xD8, 0xD8));
        bottom.setColorAt(1, QColor(0xEF, 0xEF, 0xEF));
        painter.fillRect(0, 12, face_width, face_height - 12, bottom);
        painter.setPen(QColor(0x8E, 0x8F, 0x8F));
        painter.drawRect(0, 0, face_width - 1, face_height - 1);
        painter.drawRect(1, 1, face_width - 3, face_height - 3);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ButtonFace_QPainterPeer)->Apply(spread);

// The program makes a window region after Qt has painted, and Qt's image fill leaves the
// upper halves of the vector registers in use, which slows the plain SSE code that runs
// after it (threefold, for the polygon region as it was). Every region benchmark, ours and
// the peer, starts from that state.
void as_after_a_paint()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    benchmark::DoNotOptimize(image.constBits());
}

void BM_EllipticRegion(benchmark::State& state)
{
    as_after_a_paint();
    for (auto _ : state) {
        Region region = CreateEllipticRgn(0, 0, 100, 100);
        benchmark::DoNotOptimize(region);
    }
}
BENCHMARK(BM_EllipticRegion)->Apply(spread);

void BM_EllipticRegion_QRegionPeer(benchmark::State& state)
{
    as_after_a_paint();
    for (auto _ : state) {
        QRegion region(0, 0, 100, 100, QRegion::Ellipse);
        benchmark::DoNotOptimize(region);
    }
}
BENCHMARK(BM_EllipticRegion_QRegionPeer)->Apply(spread);

void BM_RoundRectRegion(benchmark::State& state)
{
    as_after_a_paint();
    for (auto _ : state) {
        Region region = CreateRoundRectRgn(0, 0, 161, 25, 12, 12);
        benchmark::DoNotOptimize(region);
    }
}
BENCHMARK(BM_RoundRectRegion)->Apply(spread);

// The diamond the button's shape makes, at 100 x 100.
constexpr POINT diamond[] = {{100, 50}, {50, 0}, {0, 50}, {50, 100}};

void BM_PolygonRegion(benchmark::State& state)
{
    as_after_a_paint();
    for (auto _ : state) {
        Region region = CreatePolygonRgn(diamond, 4, WINDING);
        benchmark::DoNotOptimize(region);
    }
}
BENCHMARK(BM_PolygonRegion)->Apply(spread);

void BM_PolygonRegion_QRegionPeer(benchmark::State& state)
{
    const QPolygon polygon({QPoint(100, 50), QPoint(50, 0), QPoint(0, 50), QPoint(50, 100)});
    as_after_a_paint();
    for (auto _ : state) {
        QRegion region(polygon, Qt::WindingFill);
        benchmark::DoNotOptimize(region);
    }
}
BENCHMARK(BM_PolygonRegion_QRegionPeer)->Apply(spread);

double median_of(std::vector<double> values)
{
    std::ranges::sort(values);
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The console table as usual, then for every BM_X that has a BM_X_<name>Peer: the medians
// of both over the repetitions, their fastest and slowest, and ours / peer.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            Times& times = m_times[run.run_name.function_name];
            if (run.run_type == Run::RT_Iteration)
                times.runs.push_back(run.GetAdjustedRealTime());
            else if (run.aggregate_name == "median")
                times.median = run.GetAdjustedRealTime();
            else if (run.aggregate_name == "min")
                times.min = run.GetAdjustedRealTime();
            else if (run.aggregate_name == "max")
                times.max = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-28s %22s %22s %6s\n", "ours / peer, ns", "ours median (min-max)", "peer median (min-max)",
                    "ratio");
        for (const auto& [peer_name, peer] : m_times) {
            const size_t cut = peer_name.rfind('_');
            if (cut == std::string::npos || !peer_name.ends_with("Peer"))
                continue;
            const auto ours = m_times.find(peer_name.substr(0, cut));
            if (ours == m_times.end())
                continue;
            const Summary a = ours->second.summary(), b = peer.summary();
            std::printf("%-28s %8.0f (%5.0f-%5.0f) %8.0f (%5.0f-%5.0f) %6.2f\n", ours->first.c_str(), a.median, a.min,
                        a.max, b.median, b.min, b.max, a.median / b.median);
        }
    }

private:
    struct Summary {
        double median = 0;
        double min = 0;
        double max = 0;
    };
    // Either every repetition, or only their aggregates (--benchmark_report_aggregates_only).
    struct Times {
        std::vector<double> runs;
        double median = 0;
        double min = 0;
        double max = 0;

        Summary summary() const
        {
            if (median > 0)
                return {median, min, max};
            if (runs.empty())
                return {};
            return {median_of(runs), minimum(runs), maximum(runs)};
        }
    };

    std::map<std::string, Times> m_times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
