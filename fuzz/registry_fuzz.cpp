// The registry file's reader and writer on any text, in memory: no input may crash them,
// hang them, or make them write what they would not read back as it stands, and what they
// write stays in line with what they read.
#include "platform/services/registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto written = platform::rewritten_store_text(text);
    if (!written)
        return 0;
    // A text that has to go as hex, tabs in it say, takes three bytes a byte and a little more.
    if (written->size() > 4 * size + 64) {
        std::fprintf(stderr, "%zu bytes read were written as %zu\n", size, written->size());
        std::abort();
    }
    const auto again = platform::rewritten_store_text(*written);
    if (!again || *again != *written) {
        std::fprintf(stderr, "what was written does not read back as it stands:\n%s\n", written->c_str());
        std::abort();
    }
    return 0;
}
