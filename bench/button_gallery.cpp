// Draws every style in every visual state, with a caption and with a glyph, into one PNG
// to look at: button_gallery [out.png]

#include "bench/button_images.h"

#include "platform/host/window.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <functional>

namespace {

QImage image_of(const platform::Surface& surface)
{
    QImage image(surface.width(), surface.height(), QImage::Format_RGB32);
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) {
            const auto c = surface.pixel(x, y);
            image.setPixel(x, y, qRgb(platform::GetRValue(c), platform::GetGValue(c), platform::GetBValue(c)));
        }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("button_gallery.png");

    const char* states[] = {"idle", "hover", "pressed", "focused", "disabled"};
    constexpr int cell_w = 175, cell_h = 34, label_w = 60, scale = 2;
    QImage sheet((label_w + 5 * cell_w) * scale, (8 * cell_h + 20) * scale, QImage::Format_RGB32);
    sheet.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter painter(&sheet);
    painter.scale(scale, scale);
    for (int s = 0; s < 5; ++s)
        painter.drawText(label_w + s * cell_w, 14, QString::fromLatin1(states[s]));

    for (int style = 1; style <= 8; ++style) {
        painter.drawText(4, 20 + style * cell_h - 14, QStringLiteral("style %1").arg(style));
        for (int s = 0; s < 5; ++s) {
            for (int kind = 0; kind < 2; ++kind) {
                button::ww b(kind == 0 ? "ww1" : "ww4");
                bench::program_look(b, kind == 0 ? 120 : 25, 25, kind == 0 ? "Узнать" : "", kind == 0);
                b.let_ButtonStyle(style);
                if (kind == 1)
                    b.set_Picture(bench::glyph_picture());
                platform::SetCursorPos(-100, -100);
                if (s == 1) {
                    platform::SetCursorPos(10, 10);
                    int16_t bt = 0, sh = 0;
                    float x = 10, y = 10;
                    b.UserControl.raise_MouseMove(bt, sh, x, y);
                } else if (s == 2) {
                    int16_t bt = 1, sh = 0;
                    float x = 10, y = 10;
                    b.UserControl.raise_MouseDown(bt, sh, x, y);
                } else if (s == 3) {
                    b.UserControl.raise_GotFocus();
                } else if (s == 4) {
                    b.let_Enabled(false);
                }
                painter.drawImage(label_w + s * cell_w + kind * 130, 20 + (style - 1) * cell_h,
                                  image_of(b.UserControl.surface()));
            }
        }
    }
    painter.end();
    return sheet.save(out) ? 0 : 1;
}
