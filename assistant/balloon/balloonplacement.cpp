#include "balloonplacement.h"

#include <QRegion>
#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

namespace {

using Side = BalloonPlacement::Side;
constexpr int kTipInset = 28;   // from the body's end to the tail, on a balloon above or below
constexpr int kBelowMouth = 12; // how far a balloon beside the figure reaches under its mouth

// The tail's sizes at a scale.
struct Tail {
    int length;
    int inset;
    int belowMouth;
    explicit Tail(qreal scale)
        : length(int(std::lround(BalloonPlacement::kTail * scale)))
        , inset(int(std::lround(kTipInset * scale)))
        , belowMouth(int(std::lround(kBelowMouth * scale)))
    {}
};

// Moves rect inside area; a rect larger than area keeps its top left corner on it.
QRect clampInto(QRect rect, const QRect& area)
{
    rect.moveLeft(std::max(area.left(), std::min(rect.left(), area.right() - rect.width() + 1)));
    rect.moveTop(std::max(area.top(), std::min(rect.top(), area.bottom() - rect.height() + 1)));
    return rect;
}

qint64 areaOf(const QRegion& region)
{
    qint64 sum = 0;
    for (const QRect& part : region)
        sum += qint64(part.width()) * part.height();
    return sum;
}

// The balloon beside the art, before it is kept on the screen; variant 0 of a balloon above or
// below reaches to the right of the head, variant 1 to the left.
QRect besideArt(const QRect& art, QPoint mouth, QSize body, Side side, int variant, Tail tail)
{
    switch (side) {
    case Side::Right:
        return {QPoint(art.right() + 1, mouth.y() + tail.belowMouth - body.height()),
                QSize(body.width() + tail.length, body.height())};
    case Side::Left:
        return {QPoint(art.left() - body.width() - tail.length,
                       mouth.y() + tail.belowMouth - body.height()),
                QSize(body.width() + tail.length, body.height())};
    case Side::Above:
    case Side::Below: {
        const int left =
            variant == 0 ? mouth.x() - tail.inset : mouth.x() + tail.inset - body.width() + 1;
        const int top =
            side == Side::Above ? art.top() - body.height() - tail.length : art.bottom() + 1;
        return {QPoint(left, top), QSize(body.width(), body.height() + tail.length)};
    }
    }
    return {};
}

// The tail's point: on the edge facing the figure, as near the mouth (or head) as that edge goes.
QPoint tipOf(const QRect& rect, QPoint mouth, Side side)
{
    const int x = std::clamp(mouth.x(), rect.left(), rect.right());
    const int y = std::clamp(mouth.y(), rect.top(), rect.bottom());
    switch (side) {
    case Side::Right:
        return {rect.left(), y};
    case Side::Left:
        return {rect.right(), y};
    case Side::Above:
        return {x, rect.bottom()};
    case Side::Below:
        return {x, rect.top()};
    }
    return {};
}

} // namespace

QRect BalloonPlacement::figureArt(const QRect& figure)
{
    // The wizard's robe leaves a fifth of the width free on each side, his feet a little at the
    // bottom, and his hat a little at the top.
    const int side = figure.width() / 5;
    return figure.adjusted(side, figure.height() / 20, -side, -figure.height() / 40);
}

BalloonPlacement::Choice BalloonPlacement::choose(const QRect& figure, const QList<QSize>& bodies,
                                                  const QRect& screen,
                                                  const QList<QRect>& keepClear, Side previous,
                                                  qreal scale)
{
    const Tail tail(scale);
    const QRect art = figureArt(figure);
    const QPoint mouth(figure.left() + figure.width() / 2,
                       figure.top() + figure.height() * 45 / 100);
    QRegion avoid(art);
    for (const QRect& window : keepClear)
        avoid += window;

    constexpr std::array sides{Side::Right, Side::Left, Side::Above, Side::Below};
    Choice best;
    bool found = false;
    auto rank = [previous](const Choice& c, int order, int variant) {
        return std::tuple(c.covered, c.side != previous, c.layout, order, variant);
    };
    decltype(rank(best, 0, 0)) bestRank{};
    for (int layout = 0; layout < bodies.size(); ++layout)
        for (int order = 0; order < int(sides.size()); ++order)
            for (int variant = 0; variant < 2; ++variant) {
                const Side side = sides[order];
                if (variant == 1 && (side == Side::Right || side == Side::Left))
                    continue;
                Choice candidate;
                candidate.side = side;
                candidate.layout = layout;
                candidate.rect =
                    clampInto(besideArt(art, mouth, bodies[layout], side, variant, tail), screen);
                candidate.tip = tipOf(candidate.rect, mouth, side);
                candidate.covered = areaOf(avoid.intersected(candidate.rect));
                const auto candidateRank = rank(candidate, order, variant);
                if (!found || candidateRank < bestRank) {
                    best = candidate;
                    bestRank = candidateRank;
                    found = true;
                }
            }
    return best;
}
