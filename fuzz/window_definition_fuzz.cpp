// A window definition as the program reads one: parsed from code page 1251, then every block
// and value asked for as the forms run time asks. A bad definition raises DefinitionError;
// nothing else may happen.
#include "fuzz/fuzz_support.h"

#include "platform/window_definition.h"

#include <cstdint>
#include <string_view>

namespace {

using platform::ControlDefinition;

size_t visit(const ControlDefinition& d)
{
    size_t seen = d.kind.size() + d.name.size();
    for (const auto& [key, value] : d.properties) {
        seen += size_t(d.integer(key)) + (d.number(key) > 0) + d.boolean(key);
        seen += d.text(key).size() + d.picture(key).size();
        if (const auto* bytes = d.bytes(key))
            seen += bytes->size();
        (void)value;
    }
    for (const auto& child : d.children)
        seen += visit(child);
    return seen;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    velmora::fuzz::start_gui(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const platform::WindowDefinition d =
            platform::parse_window_definition(std::string_view(reinterpret_cast<const char*>(data), size));
        volatile size_t seen = visit(d);
        (void)seen;
    } catch (const platform::DefinitionError&) {
    }
    return 0;
}
