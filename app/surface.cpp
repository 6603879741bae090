#include "surface.h"

#include "backgroundcolour.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

Surface::Surface(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void Surface::setBackColour(const QColor& colour)
{
    backColour_ = colour;
    bands_ = false;
    update();
}

void Surface::paintBands()
{
    bands_ = true;
    update();
}

void Surface::clearDrawing()
{
    if (!bands_)
        return;
    bands_ = false;
    update();
}

void Surface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

void Surface::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (!bands_) {
        painter.fillRect(event->rect(), backColour_);
        return;
    }
    // Rows of device pixels, so that the bands stay sharp on high-density screens; drawn anew at
    // every size, only where the window asks for it.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    const int width = int(std::ceil(this->width() * ratio));
    const int height = int(std::ceil(this->height() * ratio));
    const int first = int(std::floor(event->rect().top() * ratio));
    const int last = int(std::ceil((event->rect().bottom() + 1) * ratio));
    for (int band = 0; band < Bands::count; ++band) {
        const int top = std::max(Bands::top(band, height), first);
        const int bottom = std::min(Bands::bottom(band, height), last);
        if (top >= bottom)
            continue;
        const Rgb c = Bands::colour(band);
        painter.fillRect(0, top, width, bottom - top, QColor(c.red, c.green, c.blue));
    }
}
