// A stored property set as a window definition carries it: read into a button instance as
// the forms run time does (so its extents size the surface and its font and caption reach
// the text), painted, and written back. A damaged set may raise a run-time error; nothing
// else may happen, and what was read must survive being written and read again.
#include "fuzz/fuzz_support.h"

#include "button/ww.h"
#include "button/ww_persist.h"
#include "platform/errors.h"
#include "platform/host/property_bag.h"

#include <QtGlobal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace {

using platform::PropertyBag;
using platform::Variant;

// Everything a value holds, spelled out, so two bags can be compared.
std::string describe(const Variant& value)
{
    std::string out = std::to_string(value.vt()) + ":";
    if (value.vt() != platform::VT_DISPATCH)
        return out + value.to_string();
    if (value.is_nothing())
        return out + "none";
    if (value.is_font()) {
        const auto font = value.to_font();
        return out + font->name + "/" + std::to_string(font->size) + "/" + std::to_string(font->weight) + "/" +
               std::to_string(font->charset) + "/" + std::to_string(font->italic) +
               std::to_string(font->underline) + std::to_string(font->strikethrough);
    }
    const std::vector<uint8_t>& file = value.to_picture()->bytes();
    return out + "picture " + std::string(file.begin(), file.end());
}

std::vector<std::string> describe(const PropertyBag& bag)
{
    std::vector<std::string> out;
    for (const auto& entry : bag.entries())
        out.push_back(entry.key + "=" + describe(entry.value));
    return out;
}

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "property set: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    velmora::fuzz::start_gui(argc, argv);
    // The picture decoders complain about every damaged file they see.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PropertyBag bag;
    try {
        bag = PropertyBag::from_stored(std::span(data, size));
    } catch (const platform::RuntimeError&) {
        return 0;
    }

    // Written and read again, the set holds what it held, and its stored form is stable.
    const std::vector<uint8_t> stored = bag.stored_form();
    const PropertyBag again = PropertyBag::from_stored(stored);
    check(describe(again) == describe(bag), "a value changed on its way through the stored form");
    check(again.stored_form() == stored, "the stored form changed when written again");

    button::ww control("ww1");
    try {
        button::read_instance_set(control, bag);
        control.UserControl_Show();
        (void)button::write_instance_set(control, control.UserControl.Width(), control.UserControl.Height())
            .stored_form();
    } catch (const platform::RuntimeError&) {
    }
    return 0;
}
