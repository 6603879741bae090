#pragma once

#include <QRect>
#include <QSize>

#include <optional>

// Where the figure stands beside the game window: its room (the figure with its words) next to
// the frame, right, else left, else under, else above, inside the screen's work area, sliding
// along the frame as little as that asks. Pure geometry, so that every case can be tried without
// windows.
class FigurePlacement {
public:
    // All in screen pixels. wanted: the figure where it was asked to stand, whose size is the
    // figure's; frame: the game window's frame; area: the screen's work area; gap: between the
    // frame and the room; column: the room beside a side of the frame, the figure at its foot,
    // its words above it; row: the room above or under the frame, the figure at its right end.
    // None where no side has room.
    static std::optional<QRect> beside(const QRect& wanted, const QRect& frame, const QRect& area,
                                       int gap, QSize column, QSize row);
    // The figure's place in its room: at the room's foot, on the side nearer the window for a
    // column, at the right end for a row.
    static QRect inRoom(QSize figure, const QRect& room, bool nearLeft);
};
