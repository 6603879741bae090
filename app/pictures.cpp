#include "pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QSvgRenderer>

namespace {

qreal screenRatio()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

QPixmap render(QSvgRenderer& svg, int side, qreal ratio)
{
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    svg.render(&painter, QRectF(0, 0, side, side));
    return pixmap;
}

QString iconFile(const QString& name)
{
    return QStringLiteral(":/icons/%1.svg").arg(name);
}

} // namespace

namespace pictures {

QIcon icon(const QString& name)
{
    // Drawn from the SVG at the size and density asked for, when it is first shown.
    return QIcon(iconFile(name));
}

QIcon windowIcon()
{
    // Fixed sizes for the window manager, which would otherwise have a scalable icon drawn at
    // every size up to 128 px before the window first shows.
    QIcon icon;
    const qreal ratio = screenRatio();
    QSvgRenderer masks(iconFile(QStringLiteral("masks"))); // read once for the three sizes
    for (int side : {16, 32, 48})
        icon.addPixmap(render(masks, side, ratio));
    return icon;
}

QCursor duckCursor(qreal scale)
{
    // The beak's tip is the hot spot.
    QSvgRenderer duck(iconFile(QStringLiteral("duck")));
    const int hotSpot = qRound(3 * scale);
    return QCursor(render(duck, qRound(48 * scale), screenRatio()), hotSpot, hotSpot);
}

QCursor iconCursor(qreal scale)
{
    const qreal ratio = screenRatio();
    const int side = qRound(32 * scale);
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, !qFuzzyCompare(scale, 1.0));
    painter.scale(side / 32.0, side / 32.0);
    // Black lines edged in white, visible on any background.
    for (const auto& [colour, width] : {std::pair{Qt::white, 3}, std::pair{Qt::black, 1}}) {
        painter.setPen(QPen(colour, width));
        painter.drawRect(QRectF(6.5, 6.5, 19, 19));
        painter.drawRect(QRectF(13.5, 13.5, 5, 5));
    }
    return QCursor(pixmap, side / 2, side / 2);
}

} // namespace pictures
