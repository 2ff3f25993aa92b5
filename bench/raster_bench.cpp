// One button face repaint's worth of raster work, and the ellipse window region,
// each beside the same work done by Qt's own painter and region as a peer.

#include "platform/gradient.h"
#include "platform/raster.h"
#include "platform/region.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRegion>
#include <benchmark/benchmark.h>

namespace {

using namespace platform;

constexpr int face_width = 161;
constexpr int face_height = 25;

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
BENCHMARK(BM_ButtonFace);

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
BENCHMARK(BM_ButtonFace_QPainterPeer);

void BM_EllipticRegion(benchmark::State& state)
{
    for (auto _ : state) {
        Region region = CreateEllipticRgn(0, 0, 100, 100);
        benchmark::DoNotOptimize(region);
    }
}
BENCHMARK(BM_EllipticRegion);

void BM_EllipticRegion_QRegionPeer(benchmark::State& state)
{
    for (auto _ : state) {
        QRegion region(0, 0, 100, 100, QRegion::Ellipse);
        benchmark::DoNotOptimize(region);
    }
}
BENCHMARK(BM_EllipticRegion_QRegionPeer);

} // namespace

BENCHMARK_MAIN();
