// The six drag-and-drop events: nothing on this platform starts a drag from a hosted
// control or lets one land on it (its drop mode stays none), so the host raises none of
// them; a control still hands each one on to its container as it came.

#include "tests/forms/hosted_button.h"

#include <string>
#include <vector>

namespace {

using namespace hosted_button;

TEST(HostedOleDrag, TheControlPassesEachEventOnWithItsArgumentsByReference)
{
    button::ww b {"ww1"};
    platform::DataObject data, other;
    std::vector<std::string> log;
    b.events.OLECompleteDrag = [&](int32_t& effect) {
        log.push_back("OLECompleteDrag " + std::to_string(effect));
        effect = -1;
    };
    b.events.OLEDragDrop = [&](DataObject*& d, int32_t& effect, int16_t& button, int16_t& shift, float& x,
                               float& y) {
        log.push_back("OLEDragDrop " + std::to_string(d == &data) + std::to_string(effect) + std::to_string(button) +
                      std::to_string(shift) + std::to_string(int(x)) + std::to_string(int(y)));
        d = &other;
        effect = -1;
    };
    b.events.OLEDragOver = [&](DataObject*& d, int32_t& effect, int16_t& button, int16_t& shift, float& x, float& y,
                               int16_t& state) {
        log.push_back("OLEDragOver " + std::to_string(d == &data) + std::to_string(effect) + std::to_string(button) +
                      std::to_string(shift) + std::to_string(int(x)) + std::to_string(int(y)) +
                      std::to_string(state));
        d = &other;
        effect = -1;
    };
    b.events.OLEGiveFeedback = [&](int32_t& effect, bool& defaults) {
        log.push_back("OLEGiveFeedback " + std::to_string(effect) + std::to_string(defaults));
        effect = -1;
    };
    b.events.OLESetData = [&](DataObject*& d, int16_t& format) {
        log.push_back("OLESetData " + std::to_string(d == &data) + std::to_string(format));
        d = &other;
    };
    b.events.OLEStartDrag = [&](DataObject*& d, int32_t& allowed) {
        log.push_back("OLEStartDrag " + std::to_string(d == &data) + std::to_string(allowed));
        d = &other;
        allowed = -1;
    };

    // Each as a host raises it, through the handlers it knows; then what came back.
    platform::UserControlHandlers& handlers = b;
    DataObject* d = &data;
    int32_t effect = 1;
    int16_t button = 1, shift = 2, state = 3, format = 4;
    float x = 5, y = 6;
    bool defaults = true;
    handlers.UserControl_OLEStartDrag(d, effect);
    EXPECT_TRUE(d == &other && effect == -1);
    d = &data, effect = 1;
    handlers.UserControl_OLESetData(d, format);
    EXPECT_EQ(d, &other);
    d = &data;
    handlers.UserControl_OLEGiveFeedback(effect, defaults);
    EXPECT_EQ(effect, -1);
    effect = 1;
    handlers.UserControl_OLEDragOver(d, effect, button, shift, x, y, state);
    EXPECT_TRUE(d == &other && effect == -1);
    d = &data, effect = 1;
    handlers.UserControl_OLEDragDrop(d, effect, button, shift, x, y);
    EXPECT_TRUE(d == &other && effect == -1);
    effect = 1;
    handlers.UserControl_OLECompleteDrag(effect);
    EXPECT_EQ(effect, -1);
    EXPECT_EQ(log, (std::vector<std::string> {"OLEStartDrag 11", "OLESetData 14", "OLEGiveFeedback 11",
                                              "OLEDragOver 1112563", "OLEDragDrop 111256", "OLECompleteDrag 1"}));
}

} // namespace
