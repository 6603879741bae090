#include "figureplacement.h"

#include <algorithm>

namespace {

// Slides one coordinate of rect into area, where it fits there.
QRect slid(QRect rect, const QRect& area, Qt::Orientation along)
{
    if (along == Qt::Vertical)
        rect.moveTop(std::clamp(rect.top(), area.top(),
                                std::max(area.top(), area.bottom() - rect.height() + 1)));
    else
        rect.moveLeft(std::clamp(rect.left(), area.left(),
                                 std::max(area.left(), area.right() - rect.width() + 1)));
    return rect;
}

} // namespace

std::optional<QRect> FigurePlacement::beside(const QRect& wanted, const QRect& frame,
                                             const QRect& area, int gap, QSize column, QSize row)
{
    const QSize figure = wanted.size();
    const int columnTop = wanted.bottom() + 1 - column.height(); // the figure where asked
    const int rowLeft = wanted.right() + 1 - row.width();
    const QRect right(QPoint(frame.right() + 1 + gap, columnTop), column);
    const QRect left(QPoint(frame.left() - gap - column.width(), columnTop), column);
    const QRect under(QPoint(rowLeft, frame.bottom() + 1 + gap), row);
    const QRect above(QPoint(rowLeft, frame.top() - gap - row.height()), row);
    const struct {
        QRect room;
        Qt::Orientation along;
        bool nearLeft;
    } sides[] = {{right, Qt::Vertical, true},
                 {left, Qt::Vertical, false},
                 {under, Qt::Horizontal, false},
                 {above, Qt::Horizontal, false}};
    for (const auto& side : sides) {
        const QRect room = slid(side.room, area, side.along);
        if (area.contains(room))
            return inRoom(figure, room, side.nearLeft);
    }
    return std::nullopt;
}

QRect FigurePlacement::inRoom(QSize figure, const QRect& room, bool nearLeft)
{
    QRect place(QPoint(), figure);
    if (nearLeft)
        place.moveBottomLeft(room.bottomLeft());
    else
        place.moveBottomRight(room.bottomRight());
    return place;
}
