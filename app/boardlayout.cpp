#include "boardlayout.h"

#include "agentstage.h"

#include <algorithm>
#include <array>

namespace {

enum class Side { Right, Under };

struct Arrangement {
    Side keypad;
    Side stage;
};

// Right of the design first, which a wide screen has room for.
constexpr std::array kArrangements{
    Arrangement{Side::Right, Side::Right}, Arrangement{Side::Under, Side::Right},
    Arrangement{Side::Right, Side::Under}, Arrangement{Side::Under, Side::Under}};

QSize scaledSize(QSize designed, qreal scale)
{
    return AgentStage::scaled(QRect(QPoint(), designed), scale).size();
}

// The pieces at one scale, in an arrangement: the design, the column right of it (the keypad
// above the stage), the row under both (the keypad left of the stage).
struct Board {
    QSize design;
    QSize keypad{0, 0}; // with its gaps
    QSize stage{0, 0};
    bool keypadRight = false;
    bool stageRight = false;

    Board(const BoardLayout::Pieces& pieces, Arrangement arrangement, qreal scale)
        : design(scaledSize(pieces.designed, scale))
        , keypadRight(arrangement.keypad == Side::Right)
        , stageRight(arrangement.stage == Side::Right)
    {
        if (!pieces.keypad.isEmpty())
            keypad = pieces.keypad + QSize(2, 2) * BoardLayout::kGap;
        const QSize designedStage = stageRight ? pieces.stageBeside : pieces.stageUnder;
        if (!designedStage.isEmpty())
            stage = scaledSize(designedStage, scale);
    }
    QSize column() const
    {
        const QSize k = keypadRight ? keypad : QSize(0, 0);
        const QSize s = stageRight ? stage : QSize(0, 0);
        return {std::max(k.width(), s.width()), k.height() + s.height()};
    }
    QSize row() const
    {
        const QSize k = keypadRight ? QSize(0, 0) : keypad;
        const QSize s = stageRight ? QSize(0, 0) : stage;
        return {k.width() + s.width(), std::max(k.height(), s.height())};
    }
    QSize top() const
    {
        return {design.width() + column().width(), std::max(design.height(), column().height())};
    }
    QSize whole() const
    {
        return {std::max(top().width(), row().width()), top().height() + row().height()};
    }
};

bool fits(QSize size, QSize room)
{
    return size.width() <= room.width() && size.height() <= room.height();
}

// The largest scale up to `most` at which the pieces so arranged fit `room`; 0 for none.
qreal largestScale(const BoardLayout::Pieces& pieces, Arrangement arrangement, QSize room,
                   qreal most)
{
    if (fits(Board(pieces, arrangement, most).whole(), room))
        return most;
    qreal low = 0;
    qreal high = most;
    for (int step = 0; step < 40; ++step) {
        const qreal middle = (low + high) / 2;
        (fits(Board(pieces, arrangement, middle).whole(), room) ? low : high) = middle;
    }
    return low;
}

struct Choice {
    Arrangement arrangement;
    qreal scale;
};

Choice bestArrangement(const BoardLayout::Pieces& pieces, QSize room, qreal most)
{
    Choice best{kArrangements.front(), -1};
    for (const Arrangement& arrangement : kArrangements) {
        const qreal scale = largestScale(pieces, arrangement, room, most);
        if (scale > best.scale + 1e-9)
            best = {arrangement, scale};
    }
    return best;
}

QRect centredIn(QSize size, const QRect& within)
{
    return {within.topLeft() +
                QPoint((within.width() - size.width()) / 2, (within.height() - size.height()) / 2),
            size};
}

} // namespace

BoardLayout BoardLayout::fit(QSize client, const Pieces& pieces)
{
    const qreal alone = aloneScale(client, pieces.designed);
    const Choice choice = bestArrangement(pieces, client, alone);
    BoardLayout layout;
    layout.scale = std::max(choice.scale, 0.01);
    const Board board(pieces, choice.arrangement, layout.scale);

    const QRect whole = centredIn(board.whole(), QRect(QPoint(), client));
    const QRect top =
        centredIn(board.top(), QRect(whole.topLeft(), QSize(whole.width(), board.top().height())));
    layout.design =
        centredIn(board.design, QRect(top.topLeft(), QSize(board.design.width(), top.height())));
    const QRect column =
        centredIn(board.column(), QRect(QPoint(layout.design.right() + 1, top.top()),
                                        QSize(board.column().width(), top.height())));
    const QRect row = centredIn(board.row(), QRect(QPoint(whole.left(), top.bottom() + 1),
                                                   QSize(whole.width(), board.row().height())));
    QRect keypadSlot;
    if (!board.keypad.isEmpty()) {
        keypadSlot = board.keypadRight
                         ? QRect(column.topLeft(), QSize(column.width(), board.keypad.height()))
                         : QRect(row.topLeft(), QSize(board.keypad.width(), row.height()));
        layout.keypad = centredIn(pieces.keypad, keypadSlot);
    }
    if (!board.stage.isEmpty()) {
        // The stage reaches to the client area's edges on its own side.
        const bool keypadAbove = board.keypadRight && !keypadSlot.isNull();
        const bool keypadLeft = !board.keypadRight && !keypadSlot.isNull();
        layout.stage =
            board.stageRight
                ? QRect(
                      QPoint(layout.design.right() + 1, keypadAbove ? keypadSlot.bottom() + 1 : 0),
                      QPoint(client.width() - 1, keypadLeft ? row.top() - 1 : client.height() - 1))
                : QRect(QPoint(keypadLeft ? keypadSlot.right() + 1 : 0, top.bottom() + 1),
                        QPoint(client.width() - 1, client.height() - 1));
    }
    return layout;
}

qreal BoardLayout::aloneScale(QSize client, QSize designed)
{
    if (client.isEmpty() || designed.isEmpty())
        return 0.01;
    return std::max(0.01, std::min(qreal(client.width()) / designed.width(),
                                   qreal(client.height()) / designed.height()));
}

QSize BoardLayout::openingSize(const Pieces& pieces, QSize room)
{
    const Choice choice = bestArrangement(pieces, room, 1.0);
    return Board(pieces, choice.arrangement, std::max(choice.scale, 0.01)).whole();
}
