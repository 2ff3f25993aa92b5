#include "platform/forms/classic_palette.h"

#include "platform/gdi/colour.h"

#include <array>
#include <utility>

namespace platform::forms {

namespace {

QColor system(OLE_COLOR colour)
{
    const COLORREF c = resolve_colour(colour);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

} // namespace

QPalette classic_palette()
{
    // Each Qt role by the system colour a classic control paints it with.
    static constexpr std::array<std::pair<QPalette::ColorRole, OLE_COLOR>, 19> roles = {{
        {QPalette::Window, COLOR_BTNFACE},
        {QPalette::WindowText, COLOR_BTNTEXT},
        {QPalette::Base, COLOR_WINDOW},
        {QPalette::AlternateBase, COLOR_WINDOW},
        {QPalette::Text, COLOR_WINDOWTEXT},
        {QPalette::PlaceholderText, COLOR_GRAYTEXT},
        {QPalette::Button, COLOR_BTNFACE},
        {QPalette::ButtonText, COLOR_BTNTEXT},
        {QPalette::BrightText, COLOR_3DHIGHLIGHT},
        {QPalette::Light, COLOR_3DHIGHLIGHT},
        {QPalette::Midlight, COLOR_3DLIGHT},
        {QPalette::Mid, COLOR_BTNSHADOW},
        {QPalette::Dark, COLOR_BTNSHADOW},
        {QPalette::Shadow, COLOR_3DDKSHADOW},
        {QPalette::Highlight, COLOR_HIGHLIGHT},
        {QPalette::HighlightedText, COLOR_HIGHLIGHTTEXT},
        {QPalette::ToolTipBase, COLOR_INFOBK},
        {QPalette::ToolTipText, COLOR_INFOTEXT},
        {QPalette::Link, COLOR_HOTLIGHT},
    }};
    QPalette palette;
    for (const auto& [role, colour] : roles)
        palette.setColor(role, system(colour)); // every group: an inactive window keeps its colours
    palette.setColor(QPalette::LinkVisited, system(COLOR_HOTLIGHT));
    // A disabled control greys its text and shows the face under it.
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, system(COLOR_GRAYTEXT));
    palette.setColor(QPalette::Disabled, QPalette::Base, system(COLOR_BTNFACE));
    return palette;
}

} // namespace platform::forms
