#include "platform/host/populated_image.h"

#include <sys/mman.h>

#include <cstddef>

namespace platform {

namespace {

struct Mapping {
    void* data;
    size_t size;
};

void unmap(void* mapping)
{
    auto* m = static_cast<Mapping*>(mapping);
    ::munmap(m->data, m->size);
    delete m;
}

} // namespace

QImage populated_image(int width, int height, QImage::Format format)
{
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (width <= 0 || height <= 0 || depth <= 0)
        return {};
    const qsizetype line = (qsizetype(width) * depth + 31) / 32 * 4; // rows start 32-bit aligned, as Qt's own
    const size_t size = size_t(line) * size_t(height);
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (data == MAP_FAILED)
        return {};
    return QImage(static_cast<uchar*>(data), width, height, line, format, unmap, new Mapping {data, size});
}

} // namespace platform
