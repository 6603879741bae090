#include "captionlabel.h"

#include <algorithm>

CaptionLabel::CaptionLabel(Sizing sizing, QWidget* parent)
    : QLabel(parent)
    , sizing_(sizing)
{
    setIndent(0);
    setWordWrap(sizing == Sizing::Fixed);
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
}

void CaptionLabel::setCaption(const QString& caption)
{
    setText(caption);
    fitCaption();
}

void CaptionLabel::setForeColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

QColor CaptionLabel::foreColour() const
{
    return palette().color(QPalette::WindowText);
}

void CaptionLabel::setBorder(bool border)
{
    setFrameStyle(border ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    setLineWidth(1);
    fitCaption();
}

void CaptionLabel::keepWithin(const QRect& area)
{
    area_ = area;
    home_ = pos();
    fitCaption();
}

void CaptionLabel::fitCaption()
{
    if (sizing_ != Sizing::ToCaption)
        return;
    if (area_.isNull()) {
        resize(sizeHint());
        return;
    }
    setWordWrap(false);
    QSize size = sizeHint();
    if (size.width() > area_.width()) {
        setWordWrap(true);
        size = QSize(area_.width(), heightForWidth(area_.width()));
    }
    const int x = std::clamp(home_.x(), area_.left(), area_.right() + 1 - size.width());
    const int y = std::clamp(home_.y(), area_.top(),
                             std::max(area_.top(), area_.bottom() + 1 - size.height()));
    setGeometry(QRect(QPoint(x, y), size));
}
