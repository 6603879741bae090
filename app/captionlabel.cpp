#include "captionlabel.h"

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

void CaptionLabel::fitCaption()
{
    if (sizing_ == Sizing::ToCaption)
        resize(sizeHint());
}
