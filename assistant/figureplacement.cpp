#include "figureplacement.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

// Moves rect inside area; a rect larger than area keeps its top left corner on it.
QRect clampInto(QRect rect, const QRect& area)
{
    rect.moveLeft(std::max(area.left(), std::min(rect.left(), area.right() - rect.width() + 1)));
    rect.moveTop(std::max(area.top(), std::min(rect.top(), area.bottom() - rect.height() + 1)));
    return rect;
}

bool coversAny(const QRect& rect, const QList<QRect>& keepClear)
{
    return std::any_of(keepClear.begin(), keepClear.end(),
                       [&rect](const QRect& clear) { return rect.intersects(clear); });
}

} // namespace

QRect FigurePlacement::choose(const QRect& wanted, const QRect& host, const QList<QRect>& keepClear,
                              const QRect& lastResort, const QRect& area)
{
    const QRect asked = clampInto(wanted, area);
    if (!coversAny(asked, keepClear))
        return asked;

    const QSize size = wanted.size();
    // Beside the frame, sliding along it as little as the screen allows.
    const auto along = [&](int x, int y) {
        QRect rect(QPoint(x, y), size);
        if (x == wanted.x())
            rect.moveLeft(clampInto(rect, area).left());
        else
            rect.moveTop(clampInto(rect, area).top());
        return rect;
    };
    const QRect above = along(wanted.x(), host.top() - kGap - size.height());
    const QRect below = along(wanted.x(), host.bottom() + 1 + kGap);
    const bool aboveNearer = std::abs(above.center().y() - wanted.center().y()) <=
                             std::abs(below.center().y() - wanted.center().y());
    const std::array candidates{along(host.right() + 1 + kGap, wanted.y()),
                                along(host.left() - kGap - size.width(), wanted.y()),
                                aboveNearer ? above : below, aboveNearer ? below : above};
    for (const QRect& candidate : candidates)
        if (area.contains(candidate) && !coversAny(candidate, keepClear))
            return candidate;

    QRect corner(QPoint(), size);
    corner.moveBottomRight(lastResort.bottomRight());
    corner = clampInto(corner, area);
    // A figure taller than the corner stands lower, its feet past the screen's edge, rather than
    // on what the child reads.
    for (const QRect& clear : keepClear)
        if (corner.intersects(clear))
            corner.moveTop(clear.bottom() + 1);
    return corner;
}
