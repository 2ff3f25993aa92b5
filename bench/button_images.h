#pragma once
// Buttons set up the way the program's windows use them, for the benchmarks and the gallery.

#include "button/ww.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <memory>

namespace bench {

// A 16 x 16 glyph with a transparent corner, a ring and a dot, as PNG bytes.
inline platform::Picture glyph_picture()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QColor(0x20, 0x60, 0xC0));
    painter.setBrush(QColor(0xF0, 0xC0, 0x20));
    painter.drawEllipse(1, 1, 13, 13);
    painter.fillRect(6, 6, 4, 4, QColor(0xC0, 0x20, 0x20));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return platform::StdPicture::from_bytes(
        {reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())});
}

// The program's look: style 7 with its preset face colours, Tahoma 8.25 pt.
inline void program_look(button::ww& b, int width, int height, const std::string& caption, bool bold)
{
    b.UserControl_InitProperties();
    b.UserControl.set_Width(float(width * platform::twips_per_pixel));
    b.UserControl.set_Height(float(height * platform::twips_per_pixel));
    b.let_ButtonStyle(7);
    b.let_Caption(caption);
    auto font = std::make_shared<platform::StdFont>();
    font->name = "Tahoma";
    font->charset = 204;
    font->weight = bold ? 700 : 400;
    b.set_Font(font);
}

} // namespace bench
