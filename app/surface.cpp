#include "surface.h"

#include "backgroundcolour.h"

#include <QPaintEvent>
#include <QPainter>

Surface::Surface(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void Surface::setBackColour(const QColor& colour)
{
    backColour_ = colour;
    drawing_ = QImage();
    update();
}

void Surface::paintBands()
{
    // Painted in device pixels, so that the bands stay sharp on high-density screens. The
    // image takes its ratio once painted: before, the painter would scale the rows once more.
    const qreal ratio = devicePixelRatioF();
    drawing_ = QImage(size() * ratio, QImage::Format_RGB32);

    QPainter painter(&drawing_);
    const int height = drawing_.height();
    for (int band = 0; band < Bands::count; ++band) {
        const Rgb c = Bands::colour(band);
        const int top = Bands::top(band, height);
        painter.fillRect(0, top, drawing_.width(), Bands::bottom(band, height) - top,
                         QColor(c.red, c.green, c.blue));
    }
    painter.end();
    drawing_.setDevicePixelRatio(ratio);
    update();
}

void Surface::clearDrawing()
{
    if (drawing_.isNull())
        return;
    drawing_ = QImage();
    update();
}

void Surface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (showsBands())
        paintBands();
    emit resized();
}

void Surface::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (drawing_.isNull())
        painter.fillRect(event->rect(), backColour_);
    else
        painter.drawImage(event->rect(), drawing_,
                          QRectF(QPointF(event->rect().topLeft()) * drawing_.devicePixelRatio(),
                                 QSizeF(event->rect().size()) * drawing_.devicePixelRatio()));
}
