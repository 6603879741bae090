#pragma once

#include <QList>
#include <QRect>

// Where the figure stands: where it was asked to, unless that covers what the child must read;
// then beside the game window (right, else left, else above or below, the nearer first), inside
// the screen's work area; on a screen too small for that, over the window's least important
// corner, and lower still where it is taller than that corner. Pure geometry, so that every case
// can be tried without windows.
class FigurePlacement {
public:
    static constexpr int kGap = 8; // between the game window's frame and the figure beside it

    // All in screen pixels. wanted: the figure where it was asked to stand; host: the game
    // window's frame; area: the screen's work area.
    static QRect choose(const QRect& wanted, const QRect& host, const QList<QRect>& keepClear,
                        const QRect& lastResort, const QRect& area);
};
