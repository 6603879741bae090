#include "picturebutton.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <qdrawutil.h>

#include <cmath>

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

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    // The face in its back colour, flat as designed (a style would shade it), edged as a raised
    // button, or a sunken one while held down.
    const QPalette& colours = palette();
    qDrawWinButton(&painter, rect(), colours, isDown(), &colours.brush(QPalette::Button));

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
