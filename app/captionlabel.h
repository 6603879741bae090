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

private:
    void fitCaption();

    Sizing sizing_;
};
