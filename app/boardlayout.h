#pragma once

#include <QRect>
#include <QSize>

// Where the designed game and the touch keypad stand in the window's client area: the design at
// the largest scale that fits beside the keypad, centred in what the keypad leaves; the keypad in
// the margin, right of the design or under it, whichever leaves the design larger.
struct BoardLayout {
    static constexpr int kGap = 8; // around the keypad, in pixels

    qreal scale = 1.0;
    QRect design;
    QRect keypad; // null when no keypad shows

    // keypad: the keypad's size, or an empty size for none.
    static BoardLayout fit(QSize client, QSize designed, QSize keypad);
    // The scale of the design alone in the client area, no keypad beside it.
    static qreal aloneScale(QSize client, QSize designed);
    // The largest scale, at most 1, at which the designed client area fits in `room`.
    static qreal openingScale(QSize designed, QSize room);
};
