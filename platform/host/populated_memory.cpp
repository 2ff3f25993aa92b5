#include "platform/host/populated_memory.h"

#include <sys/mman.h>

#include <utility>

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

std::optional<PopulatedMemory> PopulatedMemory::map(size_t size)
{
    if (size == 0)
        return PopulatedMemory(nullptr, 0);
    void* memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED)
        return std::nullopt;
    return PopulatedMemory(static_cast<uint8_t*>(memory), size);
}

PopulatedMemory::~PopulatedMemory()
{
    if (m_data)
        ::munmap(m_data, m_size);
}

PopulatedMemory::PopulatedMemory(PopulatedMemory&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0))
{
}

QImage PopulatedMemory::into_image(int width, int height, qsizetype bytes_per_line, QImage::Format format) &&
{
    if (width <= 0 || height <= 0 || bytes_per_line <= 0 || size_t(bytes_per_line) * size_t(height) > m_size)
        return {};
    auto* mapping = new Mapping {std::exchange(m_data, nullptr), std::exchange(m_size, 0)};
    return QImage(static_cast<uchar*>(mapping->data), width, height, bytes_per_line, format, unmap, mapping);
}

} // namespace platform
