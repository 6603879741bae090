#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The window's own drawing surface, under every element: a background colour and, over it, what
// was painted since the surface was last cleared, kept in an image the window repaints from.
class Surface : public QWidget {
    Q_OBJECT

public:
    explicit Surface(QWidget* parent);

    // Setting the background colour also erases what was painted.
    void setBackColour(const QColor& colour);
    QColor backColour() const { return backColour_; }

    // Covers the whole surface with the bands, top to bottom; they cover it again at every new
    // size until cleared.
    void paintBands();
    void clearDrawing();
    bool showsBands() const { return !drawing_.isNull(); }

signals:
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QColor backColour_;
    QImage drawing_;
};
