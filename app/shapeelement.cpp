#include "shapeelement.h"

#include "look.h"

#include <QPainter>

#include <algorithm>

namespace {

Qt::BrushStyle hatchStyle(int fillPattern)
{
    switch (fillPattern) {
    case 2:
        return Qt::HorPattern;
    case 3:
        return Qt::VerPattern;
    case 4:
        return Qt::BDiagPattern; // upward diagonal
    case 5:
        return Qt::FDiagPattern; // downward diagonal
    case 6:
        return Qt::CrossPattern;
    case 7:
        return Qt::DiagCrossPattern;
    default:
        return Qt::NoBrush;
    }
}

QColor inverted(const QColor& colour)
{
    return QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue());
}

} // namespace

ShapeElement::ShapeElement(const Style& style, QWidget* parent)
    : QWidget(parent)
    , style_(style)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void ShapeElement::setScale(qreal scale)
{
    scale_ = scale;
    update();
}

// In designed pixels: the painter scales them.
QRectF ShapeElement::figureBox() const
{
    const QRectF whole(0, 0, width() / scale_, height() / scale_);
    if (style_.kind == Kind::Rectangle)
        return whole;
    // The largest circle that fits, centred in the box.
    const qreal side = std::min(whole.width(), whole.height());
    QRectF box(0, 0, side, side);
    box.moveCenter(whole.center());
    return box;
}

void ShapeElement::paintFigure(QPainter& painter, const QRectF& box) const
{
    if (style_.kind == Kind::Circle)
        painter.drawEllipse(box);
    else
        painter.drawRect(box);
}

void ShapeElement::paintHatch(QPainter& painter, const QRectF& box, Qt::BrushStyle hatch) const
{
    if (style_.drawMode == DrawMode::CopyPen) {
        painter.setBrush(QBrush(style_.fillColour, hatch));
        paintFigure(painter, box);
        return;
    }
    // A hatch brush hands its gaps to a raster operation as black, which NOT (colour AND pixel)
    // would turn white. Two passes that leave a pixel alone under black give the same result on
    // the lines: pixel XOR white, then OR (NOT colour).
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setBrush(QBrush(Qt::white, hatch));
    paintFigure(painter, box);
    painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    painter.setBrush(QBrush(inverted(style_.fillColour), hatch));
    paintFigure(painter, box);
    painter.setCompositionMode(QPainter::RasterOp_NotSourceOrNotDestination);
}

void ShapeElement::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Hatches grow with the window, as the rest of it does, on high-density screens too.
    painter.setRenderHint(QPainter::NonCosmeticBrushPatterns);
    painter.scale(scale_, scale_);
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
    } else if (const Qt::BrushStyle hatch = hatchStyle(style_.fillPattern); hatch != Qt::NoBrush) {
        paintHatch(painter, box, hatch);
    }

    // The border lies inside the box, so nothing is drawn outside the element.
    const qreal inset = style_.borderWidth / 2.0;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(style_.borderColour.value_or(systemColour(SystemColour::WindowText)),
                        style_.borderWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    paintFigure(painter, box.adjusted(inset, inset, -inset, -inset));
}
