#include "picturebutton.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <cmath>
#include <utility>

namespace {

constexpr int pictureSide = 32;
constexpr int pictureTop = 4;

} // namespace

PictureButton::PictureButton(QWidget* parent)
    : QPushButton(parent)
{
    setAutoDefault(true);
}

void PictureButton::setPictures(const QIcon& normal, const QIcon& pressed, const QIcon& disabled)
{
    normal_ = normal;
    pressed_ = pressed;
    disabled_ = disabled;
    update();
}

void PictureButton::setBackColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Button, colour);
    setPalette(p);
}

void PictureButton::setScale(qreal scale)
{
    scale_ = scale;
    update();
}

QIcon PictureButton::currentPicture() const
{
    if (!isEnabled())
        return disabled_;
    return isDown() ? pressed_ : normal_;
}

// The face in its back colour, flat as designed (a style would shade it), edged as a raised
// button, or a sunken one while held down: two rings of lines a designed pixel wide, lit above
// and on the left, shaded below and on the right.
void PictureButton::paintFace(QPainter& painter) const
{
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.button());
    const int line = std::max(1, int(std::lround(scale_)));
    const auto colour = [&colours](QPalette::ColorRole role) {
        return colours.color(role);
    };
    const bool down = isDown();
    const std::pair<QColor, QColor> rings[] = {
        {colour(down ? QPalette::Shadow : QPalette::Light),
         colour(down ? QPalette::Light : QPalette::Shadow)},
        {colour(down ? QPalette::Dark : QPalette::Midlight),
         colour(down ? QPalette::Midlight : QPalette::Dark)}};
    QRect ring = rect();
    for (const auto& [lit, shaded] : rings) {
        painter.fillRect(QRect(ring.left(), ring.top(), ring.width(), line), lit);
        painter.fillRect(QRect(ring.left(), ring.top(), line, ring.height()), lit);
        painter.fillRect(QRect(ring.left(), ring.bottom() - line + 1, ring.width(), line), shaded);
        painter.fillRect(QRect(ring.right() - line + 1, ring.top(), line, ring.height()), shaded);
        ring.adjust(line, line, -line, -line);
    }
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    paintFace(painter);

    const auto scaled = [this](int designed) {
        return int(std::lround(designed * scale_));
    };
    const int side = scaled(pictureSide);
    const int shift = isDown() ? std::max(1, scaled(1)) : 0;
    const QRect picture(width() / 2 - side / 2 + shift, scaled(pictureTop) + shift, side, side);
    currentPicture().paint(&painter, picture);

    const QRect caption(shift, picture.bottom() + 1, width(), height() - picture.bottom() - 1);
    painter.drawItemText(caption, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, palette(),
                         isEnabled(), text(), QPalette::ButtonText);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        const int inset = scaled(4);
        focus.rect = rect().adjusted(inset, inset, -inset, -inset);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
