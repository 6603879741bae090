#include "captionlabel.h"

#include "agentstage.h"

#include <algorithm>
#include <cmath>

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
    border_ = border;
    setFrameStyle(border ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    setLineWidth(1);
    fitCaption();
}

void CaptionLabel::keepWithin(const QRect& area)
{
    designedArea_ = area_ = area;
    home_ = pos();
    fitCaption();
}

void CaptionLabel::setScale(qreal scale)
{
    if (border_)
        setLineWidth(std::max(1, int(std::lround(scale))));
    if (!designedArea_.isNull()) {
        area_ = AgentStage::scaled(designedArea_, scale);
        home_ = pos();
    }
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
