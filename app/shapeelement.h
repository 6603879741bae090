#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

// A rectangle or circle drawn on the window under the windowed elements: background, then fill,
// then border.
class ShapeElement : public QWidget {
    Q_OBJECT

public:
    enum class Kind { Rectangle, Circle };
    // CopyPen paints over what lies beneath; NotMaskPen turns each pixel into
    // NOT (colour AND pixel beneath).
    enum class DrawMode { CopyPen, NotMaskPen };

    struct Style {
        Kind kind = Kind::Rectangle;
        std::optional<QColor> backColour; // opaque when set, transparent otherwise
        int fillPattern = 1;              // 0 solid, 1 none, 2 to 7 hatches
        QColor fillColour = Qt::black;
        std::optional<QColor> borderColour; // the desktop's text colour when not set
        int borderWidth = 1;
        DrawMode drawMode = DrawMode::CopyPen;

        Style& circle() { return kind = Kind::Circle, *this; }
        Style& back(const QColor& colour) { return backColour = colour, *this; }
        Style& fill(int pattern, const QColor& colour)
        {
            fillPattern = pattern;
            fillColour = colour;
            return *this;
        }
        Style& border(int width, std::optional<QColor> colour = std::nullopt)
        {
            borderWidth = width;
            borderColour = colour;
            return *this;
        }
        Style& notMaskPen() { return drawMode = DrawMode::NotMaskPen, *this; }
    };

    ShapeElement(const Style& style, QWidget* parent);

    // Borders and hatches are drawn at this many pixels to a designed one.
    void setScale(qreal scale);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintFigure(QPainter& painter, const QRectF& box) const;
    void paintHatch(QPainter& painter, const QRectF& box, Qt::BrushStyle hatch) const;
    QRectF figureBox() const;

    Style style_;
    qreal scale_ = 1.0;
};
