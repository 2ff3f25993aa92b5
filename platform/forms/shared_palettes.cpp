// The application's style drawing equal palettes as one, so cached pictures are found again.
#include "platform/forms/shared_palettes.h"

#include <QApplication>
#include <QStyleOptionComplex>

#include <algorithm>
#include <iterator>
#include <type_traits>

namespace platform::forms {

namespace {

// The program's controls have a handful of colour sets; more than this means palettes made
// on the fly, whose pictures are drawn anew once the list starts over.
constexpr size_t max_palettes = 64;

} // namespace

SharedPaletteStyle::SharedPaletteStyle(QStyle* base) : QProxyStyle(base) {}

QPalette SharedPaletteStyle::shared(const QPalette& palette) const
{
    auto known = std::find(m_palettes.begin(), m_palettes.end(), palette); // equal colours, all groups
    if (known == m_palettes.end()) {
        if (m_palettes.size() >= max_palettes)
            m_palettes.clear();
        m_palettes.push_back(palette);
        known = std::prev(m_palettes.end());
    }
    QPalette same = *known;
    same.setCurrentColorGroup(palette.currentColorGroup());
    return same;
}

// The controls whose pictures the styles keep: scroll bars and sliders, combo and spin boxes.
void SharedPaletteStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                            const QWidget* widget) const
{
    const auto draw_shared = [&](const auto* typed) {
        std::remove_cvref_t<decltype(*typed)> copy(*typed);
        copy.palette = shared(typed->palette);
        QProxyStyle::drawComplexControl(control, &copy, painter, widget);
    };
    if (const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option))
        draw_shared(slider);
    else if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option))
        draw_shared(combo);
    else if (const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option))
        draw_shared(spin);
    else
        QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void use_shared_palettes()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return; // no widgets, nothing drawn
    if (!dynamic_cast<SharedPaletteStyle*>(QApplication::style()))
        QApplication::setStyle(new SharedPaletteStyle);
}

} // namespace platform::forms
