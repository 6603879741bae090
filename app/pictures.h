#pragma once

#include <QCursor>
#include <QIcon>

class QString;

// The game's pictures, drawn from our SVG art at whatever size and pixel density they are shown.
namespace pictures {

QIcon icon(const QString& name);
// The window's own icon, at the sizes window managers use.
QIcon windowIcon();
// The duck's head over the window's surface, `scale` times its designed size.
QCursor duckCursor(qreal scale = 1);
// A small square within a square, over the elements that invite a click.
QCursor iconCursor(qreal scale = 1);

} // namespace pictures
