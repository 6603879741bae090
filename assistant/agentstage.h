#pragma once

#include <QList>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cmath>

// The game window a control stands on, as its characters see it. Their windows belong to it:
// they stay with it when it moves, hide while it is minimised or hidden, and never stand on
// what the child must read.
struct AgentStage {
    // The window's client area: places asked for are read against it.
    QPointer<QWidget> client;
    // Where the client area stands on the screen in the design: MoveTo places are screen pixels
    // for the window standing there.
    QPoint designedAt;
    // In the client area's coordinates: what no figure may cover, and where one may stand when
    // no place beside the window fits on the screen.
    QList<QRect> keepClear;
    QRect lastResort;
    // The client area's size in the design. Where the client is drawn larger or smaller, places
    // and the rectangles above, given for the design, and the figure's height scale with it.
    QSize designedSize;

    // Where a program cannot place its own windows (native Wayland), the figure and balloon are
    // drawn inside the client area instead, the figure in lastResort: a window of their own would
    // land wherever the compositor puts it, and take the keyboard from the game.
    bool inside = false;

    // Client pixels to a designed one.
    qreal scale() const
    {
        if (!client || designedSize.isEmpty())
            return 1.0;
        return qreal(client->width()) / designedSize.width();
    }
    // A rectangle given for the design, in the client area's coordinates.
    QRect scaled(const QRect& designed) const { return scaled(designed, scale()); }
    // Where a designed rectangle stands at a scale. Edges, not sizes, are scaled and rounded, so
    // that rectangles that meet in the design still meet.
    static QRect scaled(const QRect& designed, qreal scale)
    {
        const auto edge = [scale](int at) {
            return int(std::lround(at * scale));
        };
        return QRect(QPoint(edge(designed.left()), edge(designed.top())),
                     QPoint(edge(designed.left() + designed.width()) - 1,
                            edge(designed.top() + designed.height()) - 1));
    }
};
