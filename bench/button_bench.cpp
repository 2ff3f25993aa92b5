// One complete repaint of the button as the main window uses it, beside a Qt push button
// of the same size and caption rendered into an image, in the same run.

#include "bench/button_images.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_ButtonPaint_Caption(benchmark::State& state)
{
    button::ww b("ww1");
    bench::program_look(b, 161, 25, "Узнать", true);
    if (state.range(0))
        b.UserControl.raise_GotFocus();
    for (auto _ : state)
        b.UserControl_Paint();
}
BENCHMARK(BM_ButtonPaint_Caption)->Arg(0)->Arg(1)->ArgName("focused");

void BM_ButtonPaint_Glyph(benchmark::State& state)
{
    button::ww b("ww4");
    bench::program_look(b, 25, 25, "", false);
    b.set_Picture(bench::glyph_picture());
    for (auto _ : state)
        b.UserControl_Paint();
}
BENCHMARK(BM_ButtonPaint_Glyph);

void BM_QPushButtonPeer(benchmark::State& state)
{
    QPushButton peer(QString::fromUtf8("Узнать"));
    peer.resize(161, 25);
    QImage image(161, 25, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        peer.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_QPushButtonPeer);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
