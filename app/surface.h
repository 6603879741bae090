#pragma once

#include <QColor>
#include <QWidget>

// The window's own drawing surface, under every element: a background colour and, over it, the
// bands painted since the surface was last cleared.
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
    bool showsBands() const { return bands_; }

signals:
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QColor backColour_;
    bool bands_ = false;
};
