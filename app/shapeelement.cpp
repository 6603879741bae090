#include "shapeelement.h"

#include "look.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr qreal hatchSpacing = 8;

// The lines of a hatch fill as one area, so that each pixel is painted once even where lines
// cross: a raster operation applied twice would undo itself.
QPainterPath hatch(const QRectF& box, int fillPattern)
{
    QPainterPath lines;
    lines.setFillRule(Qt::WindingFill);
    const bool horizontal = fillPattern == 2 || fillPattern == 6;
    const bool vertical = fillPattern == 3 || fillPattern == 6;
    const bool upward = fillPattern == 4 || fillPattern == 7;
    const bool downward = fillPattern == 5 || fillPattern == 7;

    if (horizontal)
        for (qreal y = box.top(); y < box.bottom(); y += hatchSpacing)
            lines.addRect(box.left(), y, box.width(), 1);
    if (vertical)
        for (qreal x = box.left(); x < box.right(); x += hatchSpacing)
            lines.addRect(x, box.top(), 1, box.height());
    const qreal h = box.height();
    for (qreal x = box.left() - h; x < box.right(); x += hatchSpacing) {
        if (downward)
            lines.addPolygon(
                QPolygonF({QPointF(x, box.top()), QPointF(x + 1, box.top()),
                           QPointF(x + 1 + h, box.bottom()), QPointF(x + h, box.bottom())}));
        if (upward)
            lines.addPolygon(QPolygonF({QPointF(x, box.bottom()), QPointF(x + 1, box.bottom()),
                                        QPointF(x + 1 + h, box.top()), QPointF(x + h, box.top())}));
    }
    return lines;
}

} // namespace

ShapeElement::ShapeElement(const Style& style, QWidget* parent)
    : QWidget(parent)
    , style_(style)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

QRectF ShapeElement::figureBox() const
{
    if (style_.kind == Kind::Rectangle)
        return rect();
    // The largest circle that fits, centred in the box.
    const int side = std::min(width(), height());
    QRectF box(0, 0, side, side);
    box.moveCenter(QRectF(rect()).center());
    return box;
}

void ShapeElement::paintFigure(QPainter& painter, const QRectF& box) const
{
    if (style_.kind == Kind::Circle)
        painter.drawEllipse(box);
    else
        painter.drawRect(box);
}

void ShapeElement::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (style_.drawMode == DrawMode::NotMaskPen)
        painter.setCompositionMode(QPainter::RasterOp_NotSourceOrNotDestination);
    else
        painter.setRenderHint(QPainter::Antialiasing, style_.kind == Kind::Circle);

    const QRectF box = figureBox();
    painter.setPen(Qt::NoPen);
    if (style_.backColour) {
        painter.setBrush(*style_.backColour);
        paintFigure(painter, box);
    }
    if (style_.fillPattern == 0) {
        painter.setBrush(style_.fillColour);
        paintFigure(painter, box);
    } else if (style_.fillPattern > 1) {
        painter.save();
        QPainterPath figure;
        if (style_.kind == Kind::Circle)
            figure.addEllipse(box);
        else
            figure.addRect(box);
        painter.setClipPath(figure);
        painter.fillPath(hatch(box, style_.fillPattern), style_.fillColour);
        painter.restore();
    }

    // The border lies inside the box, so nothing is drawn outside the element.
    const qreal inset = style_.borderWidth / 2.0;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(style_.borderColour.value_or(systemColour(SystemColour::WindowText)),
                        style_.borderWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    paintFigure(painter, box.adjusted(inset, inset, -inset, -inset));
}
