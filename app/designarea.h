#pragma once

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

// The game as it was designed, drawn at one scale: every element keeps its designed place, size
// and font, multiplied by the scale. Elements that draw more than a place and a font (borders,
// pictures, hatches) follow scaleChanged.
class DesignArea : public QWidget {
    Q_OBJECT

public:
    explicit DesignArea(QSize designedSize, QWidget* parent);

    QSize designedSize() const { return designedSize_; }
    qreal scale() const { return scale_; }

    // Gives an element of this area its designed place, in design pixels; its font as it stands
    // now is its designed font.
    void place(QWidget* element, const QRect& designed);
    // An element's designed place; null for an element not placed here.
    QRect designedPlace(const QWidget* element) const;

    // Sets the scale and stands at `topLeft` of its parent, at the designed size times the scale.
    void setScale(qreal scale, QPoint topLeft);

signals:
    void scaleChanged(qreal scale);

private:
    struct Placed {
        QPointer<QWidget> element;
        QRect designed;
        QFont font;
    };
    void applyTo(const Placed& placed) const;

    QSize designedSize_;
    qreal scale_ = 1.0;
    std::vector<Placed> placed_;
};
