#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where the speech balloon goes beside the figure: the side that covers least of the windows to
// keep clear, never off the screen. Pure geometry, so that every case can be tried without
// windows.
class BalloonPlacement {
public:
    // Where the balloon stands, seen from the figure.
    enum class Side { Right, Left, Above, Below };

    struct Choice {
        QRect rect; // the balloon with its tail
        Side side = Side::Right;
        QPoint tip;         // the tail's point, on the balloon's edge facing the figure
        int layout = 0;     // which of the offered bodies
        qint64 covered = 0; // pixels of the windows to keep clear, and of the art, under it
    };

    static constexpr int kTail = 18; // how far the tail reaches out of the body

    // bodies: the balloon without its tail, in the order preferred (the same words wrapped to
    // several widths). figure: the figure's window, whose art leaves a margin at its sides.
    // scale: the figure's and the words' size, to which the tail is drawn.
    static Choice choose(const QRect& figure, const QList<QSize>& bodies, const QRect& screen,
                         const QList<QRect>& keepClear, Side previous, qreal scale = 1.0);
    // The part of the figure's window its art takes up, which the balloon keeps clear as well.
    static QRect figureArt(const QRect& figure);
};
