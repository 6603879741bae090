#pragma once

#include <QRect>
#include <QSize>

// Where the designed game, the touch keypad and Merlin's stage stand in the window's client area:
// all at one scale, the largest at which they fit, choosing for the keypad and the stage each a
// place right of the design or under it, whichever arrangement leaves the design largest. What
// the design and the keypad leave of the client area on the stage's side is the stage's.
struct BoardLayout {
    static constexpr int kGap = 8; // around the keypad, in pixels

    // What is to be laid out: the design and the stage in designed pixels, the keypad in pixels
    // (its keys are a fingertip wide at least). An empty size for a piece that is not there.
    struct Pieces {
        QSize designed;
        QSize keypad;
        QSize stageBeside; // the stage right of the design
        QSize stageUnder;  // the stage under it
    };

    qreal scale = 1.0;
    QRect design;
    QRect keypad; // null when no keypad shows
    QRect stage;  // null when the stage is not on the board

    static BoardLayout fit(QSize client, const Pieces& pieces);
    // The scale of the design alone in the client area, no keypad beside it.
    static qreal aloneScale(QSize client, QSize designed);
    // The client area for the pieces at the largest scale, at most 1, at which they fit in
    // `room`.
    static QSize openingSize(const Pieces& pieces, QSize room);
};
