#include "shapeelement.h"

#include "look.h"

#include <QBitmap>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

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

// The classic 8x8 pattern with each of its cells a whole number of device pixels, at least one:
// at every scale a regular pattern, its lines at least a device pixel wide, where the pattern
// itself, resampled, would break up into solid and empty blocks below 1.
QBitmap hatchTile(Qt::BrushStyle hatch, qreal devicePixelsPerCell)
{
    QImage classic(8, 8, QImage::Format_ARGB32_Premultiplied);
    classic.fill(Qt::transparent);
    QPainter drawing(&classic);
    drawing.fillRect(classic.rect(), QBrush(Qt::black, hatch));
    drawing.end();

    const int period = std::max(1, int(std::lround(8 * devicePixelsPerCell)));
    const auto cell = [period](int at) {
        const int from = at * period / 8;
        return std::pair(from, std::max(from + 1, (at + 1) * period / 8));
    };
    QBitmap tile(period, period);
    tile.fill(Qt::color0);
    QPainter painter(&tile);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (qAlpha(classic.pixel(x, y)) != 0) {
                const auto [left, right] = cell(x);
                const auto [top, bottom] = cell(y);
                painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                                 Qt::color1);
            }
    return tile;
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
    // The tile's pixels are the device's: undo the scale and the density the painter applies.
    const qreal devicePixels = scale_ * painter.device()->devicePixelRatioF();
    const QBitmap tile = hatchTile(hatch, devicePixels);
    const auto brush = [&](const QColor& colour) {
        QBrush lines(colour, tile);
        lines.setTransform(QTransform::fromScale(1 / devicePixels, 1 / devicePixels));
        return lines;
    };
    if (style_.drawMode == DrawMode::CopyPen) {
        painter.setBrush(brush(style_.fillColour));
        paintFigure(painter, box);
        return;
    }
    // A hatch brush hands its gaps to a raster operation as black, which NOT (colour AND pixel)
    // would turn white. Two passes that leave a pixel alone under black give the same result on
    // the lines: pixel XOR white, then OR (NOT colour).
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setBrush(brush(Qt::white));
    paintFigure(painter, box);
    painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    painter.setBrush(brush(inverted(style_.fillColour)));
    paintFigure(painter, box);
    painter.setCompositionMode(QPainter::RasterOp_NotSourceOrNotDestination);
}

void ShapeElement::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
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
