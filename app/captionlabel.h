#pragma once

#include <QLabel>

// A label with a transparent background. One that sizes itself keeps its left and top and takes
// the size of its caption on one line; one of fixed size breaks its caption at blanks and cuts off
// what passes its bottom edge.
class CaptionLabel : public QLabel {
    Q_OBJECT

public:
    enum class Sizing { Fixed, ToCaption };

    CaptionLabel(Sizing sizing, QWidget* parent);

    void setCaption(const QString& caption);
    void setForeColour(const QColor& colour);
    void setBorder(bool border);
    QColor foreColour() const;
    // A label that sizes itself stays inside `area`: from where it stands now it moves left as
    // far as its caption needs, and a caption wider than the area wraps at blanks.
    void keepWithin(const QRect& area);
    // Its border and the area it keeps within are drawn at this many pixels to a designed one;
    // it is already at its designed place and font for the scale.
    void setScale(qreal scale);

private:
    void fitCaption();

    Sizing sizing_;
    bool border_ = false;
    QRect designedArea_;
    QRect area_;
    QPoint home_;
};
