#pragma once
// An image whose pixels are all mapped by one call before they are written. A large
// picture's pixels are tens of megabytes; written a page at a time they cost thousands of
// page faults, which on some machines take longer than decoding them.

#include <QImage>

namespace platform {

// Freed when its last copy goes; a null image when the memory cannot be had.
QImage populated_image(int width, int height, QImage::Format format);

} // namespace platform
