#pragma once
// The application's style, drawing controls of equal colours under one palette. Qt keeps the
// pictures it draws for scroll bars and combo boxes in its pixmap cache, keyed by the
// palette's identity, and every control's palette is a new one: without this a window made
// anew would draw all its pictures again beside those of the windows before it, instead of
// finding them, and the cache would fill up with pictures nobody looks for any more.

#include <QPalette>
#include <QProxyStyle>

#include <vector>

namespace platform::forms {

class SharedPaletteStyle final : public QProxyStyle {
public:
    // Over `base` (taken over), else over the style the application would have.
    explicit SharedPaletteStyle(QStyle* base = nullptr);

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;

    // The palette equal to `palette` that the style drew with first, in `palette`'s colour
    // group; `palette` itself when it is the first of its colours.
    QPalette shared(const QPalette& palette) const;
    size_t palette_count() const { return m_palettes.size(); }

private:
    mutable std::vector<QPalette> m_palettes;
};

// Makes SharedPaletteStyle the application's style, over a style of the desktop's own kind,
// unless it is already; a style set before it is replaced.
void use_shared_palettes();

} // namespace platform::forms
