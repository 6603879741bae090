#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <cmath>

// The game window a control stands on, as its characters see it. A figure stands where there is
// room for it and its words: beside the window, in windows of its own that stay with it, hide
// while it is minimised and never stand on it; or, where that cannot be, on the board, a part of
// the window's client area the game keeps free for it. roomBeside() alone decides which.
struct AgentStage {
    // The window's client area as designed, drawn at a scale: places asked for are read against
    // it, and the figure and its words take its scale.
    QPointer<QWidget> client;
    // Where the client area stands on the screen in the design: MoveTo places are screen pixels
    // for the window standing there.
    QPoint designedAt;
    // The client area's size in the design.
    QSize designedSize;
    // The figure's height in the design: what the room beside the window, or on the board, is
    // made for.
    int figureHeight = 0;
    // The figure's stage inside the window, shown by the game while there is no room beside the
    // window; the figure and its balloon are then drawn in it.
    QPointer<QWidget> board;

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

    // The room a figure `figureHeight` high takes with its balloon, in designed pixels: beside
    // a window's side (Qt::Vertical: the words above the figure), or above or under it
    // (Qt::Horizontal: the words beside the figure).
    static QSize room(int figureHeight, Qt::Orientation orientation);
    // The gap between the window's frame and the room beside it, at a scale.
    static int gapBeside(qreal scale);
    // Whether the figure, drawn at `scale`, stands beside `window`: where windows of its own
    // stand where they are put, the window is neither full screen nor maximised, and its
    // screen's work area has room beside the frame.
    static bool roomBeside(const QWidget* window, qreal scale, int figureHeight);
};
