// Writes every image of an icon file as a PNG of a desktop icon theme:
// icon_pngs ICON_FILE THEME_DIR NAME  ->  THEME_DIR/NxN/apps/NAME.png for each size it carries.
//
// A size carried twice (at two colour depths) keeps the later image, the deeper one in our icons.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "icon_pngs: %s\n", qPrintable(message));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);  // finds the image format plugins
    if (argc != 4)
        return fail(QStringLiteral("usage: icon_pngs ICON_FILE THEME_DIR NAME"));
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString theme = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);

    QImageReader reader(file);
    const int count = std::max(reader.imageCount(), 1);
    for (int i = 0; i < count; ++i) {
        const QImage image = i == 0 || reader.jumpToImage(i) ? reader.read() : QImage();
        if (image.isNull())
            return fail(file + QStringLiteral(": image %1: ").arg(i + 1) + reader.errorString());
        if (image.width() != image.height())
            return fail(file + QStringLiteral(": image %1 is not square").arg(i + 1));
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(theme, QString::number(image.width()));
        const QString out = dir + QStringLiteral("/") + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !image.save(out, "PNG"))
            return fail(QStringLiteral("cannot write ") + out);
    }
    return 0;
}
