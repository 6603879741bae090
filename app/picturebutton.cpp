#include "picturebutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

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

QIcon PictureButton::currentPicture() const
{
    if (!isEnabled())
        return disabled_;
    return isDown() ? pressed_ : normal_;
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const int shift = isDown() ? 1 : 0;
    const QRect picture(width() / 2 - pictureSide / 2 + shift, pictureTop + shift, pictureSide,
                        pictureSide);
    currentPicture().paint(&painter, picture);

    const QRect caption(shift, picture.bottom() + 1, width(), height() - picture.bottom() - 1);
    painter.drawItemText(caption, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, palette(),
                         isEnabled(), text(), QPalette::ButtonText);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
