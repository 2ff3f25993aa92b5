#pragma once
// Memory whose pages are all mapped by one call before it is written. A large picture's
// pixels are tens of megabytes; written a page at a time they cost thousands of page faults,
// which on some machines take longer than decoding them.

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

class PopulatedMemory {
public:
    // Nothing when the memory cannot be had.
    static std::optional<PopulatedMemory> map(size_t size);

    ~PopulatedMemory();
    PopulatedMemory(PopulatedMemory&& other) noexcept;
    PopulatedMemory& operator=(PopulatedMemory&&) = delete;
    PopulatedMemory(const PopulatedMemory&) = delete;
    PopulatedMemory& operator=(const PopulatedMemory&) = delete;

    uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }

    // The memory as the pixels of an image, which frees it when its last copy goes; a null
    // image, the memory kept, when they do not fit in it.
    QImage into_image(int width, int height, qsizetype bytes_per_line, QImage::Format format) &&;

private:
    PopulatedMemory(uint8_t* data, size_t size) : m_data(data), m_size(size) { }

    uint8_t* m_data;
    size_t m_size;
};

} // namespace platform
