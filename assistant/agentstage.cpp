#include "agentstage.h"

#include "balloonwindow.h"
#include "companion.h"
#include "figureplacement.h"

#include <QScreen>

#include <algorithm>

namespace {

constexpr int kLinesOfWords = 5; // the longest words a figure says, wrapped at the widest
constexpr int kGapBeside = 8;

// The figure's art is four fifths as wide as it is tall.
QSize figureSize(int height)
{
    return {height * 4 / 5, height};
}

} // namespace

QSize AgentStage::room(int figureHeight, Qt::Orientation orientation)
{
    const QSize figure = figureSize(figureHeight);
    const QSize words = BalloonWindow::room(kLinesOfWords);
    if (orientation == Qt::Vertical)
        return {std::max(figure.width(), words.width()), figure.height() + words.height()};
    return {figure.width() + words.width(), std::max(figure.height(), words.height())};
}

int AgentStage::gapBeside(qreal scale)
{
    return std::max(1, int(std::lround(kGapBeside * scale)));
}

bool AgentStage::roomBeside(const QWidget* window, qreal scale, int figureHeight)
{
    if (!window || !Companion::placesWhereAsked() ||
        window->windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized))
        return false;
    const QScreen* screen = window->screen();
    if (!screen)
        return false;
    const QRect frame = window->frameGeometry();
    const QSize figure = scaled(QRect(QPoint(), figureSize(figureHeight)), scale).size();
    const QRect wanted(frame.topRight(), figure);
    return FigurePlacement::beside(
               wanted, frame, screen->availableGeometry(), gapBeside(scale),
               scaled(QRect(QPoint(), room(figureHeight, Qt::Vertical)), scale).size(),
               scaled(QRect(QPoint(), room(figureHeight, Qt::Horizontal)), scale).size())
        .has_value();
}
