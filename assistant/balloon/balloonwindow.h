#pragma once

#include "balloonplacement.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cmath>

// The speech balloon: a frameless window next to the figure holding what the character says,
// shaped like a cartoon balloon whose tail points at the figure's mouth.
class BalloonWindow : public QWidget {
    Q_OBJECT

public:
    BalloonWindow();

    // The room a balloon takes at the designed size for words of `lines` lines at the widest,
    // with its tail on any side.
    static QSize room(int lines);

    // Drawn inside a parent widget: the balloon then opens within area, in the parent's
    // coordinates, rather than on the screen away from the program's windows. A null area: a
    // window of its own again.
    void keepWithin(const QRect& area);
    void showText(const QString& text, const QRect& figure);
    void follow(const QRect& figure);
    // The words are written this many times their usual size, and wrapped as much wider.
    void setScale(qreal scale);
    QString text() const { return text_; }
    // Marks the word being heard (start -1: none), for the eye alone.
    void markWord(int start, int length);
    int markedStart() const { return markStart_; }
    int markedLength() const { return markLength_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // A length of the balloon's design at its scale.
    int scaled(int designed) const { return int(std::lround(designed * scale_)); }
    QPainterPath outline() const;
    QRect body() const;
    QRect textArea() const;
    QList<QRect> hostWindows() const;
    void measure();
    void announce(const QString& text);

    QString text_;
    qreal scale_ = 1.0;
    int markStart_ = -1;
    int markLength_ = 0;
    QList<QSize> bodies_; // the words wrapped to each width tried, widest first
    BalloonPlacement::Side side_ = BalloonPlacement::Side::Right;
    QPoint tip_; // where the tail points, in the balloon's own coordinates
    QRect area_; // null: on the screen
};
