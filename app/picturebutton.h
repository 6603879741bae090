#pragma once

#include <QIcon>
#include <QPushButton>

class QPainter;

// A command button that shows a picture with its caption under it, and other pictures while it
// is held down or disabled. Enter or Return clicks it while it has the focus.
class PictureButton : public QPushButton {
    Q_OBJECT

public:
    explicit PictureButton(QWidget* parent);

    void setPictures(const QIcon& normal, const QIcon& pressed, const QIcon& disabled);
    void setBackColour(const QColor& colour);
    // The picture and its margins are drawn at this many pixels to a designed one.
    void setScale(qreal scale);

    // The picture shown now, as it is drawn.
    QIcon currentPicture() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintFace(QPainter& painter) const;

    QIcon normal_;
    QIcon pressed_;
    QIcon disabled_;
    qreal scale_ = 1.0;
};
