#include "boardlayout.h"

#include <algorithm>

namespace {

qreal fitting(QSize room, QSize designed)
{
    if (room.isEmpty() || designed.isEmpty())
        return 0;
    return std::min(qreal(room.width()) / designed.width(),
                    qreal(room.height()) / designed.height());
}

QRect centred(QSize size, const QRect& within)
{
    QRect rect(QPoint(), size);
    rect.moveCenter(within.center());
    return rect;
}

QSize scaledSize(QSize designed, qreal scale)
{
    return QSize(qRound(designed.width() * scale), qRound(designed.height() * scale));
}

} // namespace

BoardLayout BoardLayout::fit(QSize client, QSize designed, QSize keypad)
{
    const QRect whole(QPoint(), client);
    BoardLayout layout;
    if (keypad.isEmpty()) {
        layout.scale = aloneScale(client, designed);
        layout.design = centred(scaledSize(designed, layout.scale), whole);
        return layout;
    }
    const QRect besideRoom(0, 0, client.width() - keypad.width() - 2 * kGap, client.height());
    const QRect underRoom(0, 0, client.width(), client.height() - keypad.height() - 2 * kGap);
    const qreal beside = fitting(besideRoom.size(), designed);
    const qreal under = fitting(underRoom.size(), designed);
    const bool right = beside >= under;
    const QRect room = right ? besideRoom : underRoom;
    layout.scale = std::max(right ? beside : under, 0.01);
    layout.design = centred(scaledSize(designed, layout.scale), room);
    const QRect margin = right ? QRect(QPoint(room.right() + 1, 0), whole.bottomRight())
                               : QRect(QPoint(0, room.bottom() + 1), whole.bottomRight());
    layout.keypad = centred(keypad, margin);
    return layout;
}

qreal BoardLayout::aloneScale(QSize client, QSize designed)
{
    return std::max(fitting(client, designed), 0.01);
}

qreal BoardLayout::openingScale(QSize designed, QSize room)
{
    return std::min(1.0, fitting(room, designed));
}
