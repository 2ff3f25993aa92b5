// A region as a QRegion with exactly the same pixels, e.g. for a widget mask.
#include "platform/gdi/region.h"

#include <QRect>
#include <QRegion>

#include <vector>

namespace platform {

QRegion to_qregion(const Region& region)
{
    // Our bands are already QRegion's y-x banded form: sorted, non-overlapping rectangles.
    std::vector<QRect> rects;
    for (const Region::Band& band : region.bands()) {
        for (const Region::Span& span : region.spans(band))
            rects.emplace_back(span.x0, band.y0, span.x1 - span.x0, band.y1 - band.y0);
    }
    QRegion result;
    result.setRects(rects.data(), int(rects.size()));
    return result;
}

} // namespace platform
