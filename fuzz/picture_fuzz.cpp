// Picture files as a picture server could send them, through the loader: any bytes give a
// picture within the caps, or none, and never a crash.
#include "fuzz/fuzz_support.h"
#include "platform/host/picture.h"

#include <QLoggingCategory>

#include <cstdlib>
#include <span>

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

int64_t pixels(const QImage& image) { return int64_t(image.width()) * image.height(); }

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    velmora::fuzz::start_gui(argc, argv);
    // Qt's readers warn of every broken file, and here nearly every file is broken.
    QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false\n*.critical=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace platform;
    const Picture picture = StdPicture::from_bytes(std::span<const uint8_t>(data, size));
    if (!picture)
        return 0;
    check(picture->image_count() >= 1 && picture->image_count() <= ICON_IMAGE_CAP);
    check(picture->pixel_width() > 0 && picture->pixel_height() > 0);
    check(picture->image().width() == picture->pixel_width());
    check(pixels(picture->image()) <= PICTURE_PIXEL_CAP);
    // What the windows do with it: an area picks the image of its size, a host paints it.
    for (const int side : {1, 16, 32, 48, 256, 4096})
        check(pixels(picture->image_for(side, side)) <= PICTURE_PIXEL_CAP);
    Surface surface(8, 8, 0x00FFFFFF);
    paint_picture(surface, *picture, -3, -2);
    return 0;
}
