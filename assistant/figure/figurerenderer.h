#pragma once

#include "characterdescription.h"
#include "pose.h"

#include <QTransform>
#include <memory>
#include <vector>

class QPainter;
class QSvgRenderer;
class SparkleField;

// Draws the character in a pose: its SVG parts moved by their joints, the faces drawn in code,
// and the loose sparkles on top. Vector all the way, so it is sharp at any size.
class FigureRenderer {
public:
    explicit FigureRenderer(std::shared_ptr<const CharacterDescription> description);
    ~FigureRenderer();
    FigureRenderer(const FigureRenderer&) = delete;
    FigureRenderer& operator=(const FigureRenderer&) = delete;

    // Fills a target of the given size (in the painter's units) keeping the figure's proportions.
    void paint(QPainter& painter, const Pose& pose, const SparkleField& sparkles,
               QSizeF target) const;

    // Where a named point of the figure is, in drawing units, for effects to start from.
    QPointF anchorPoint(const Pose& pose, const QString& anchor) const;

    QSizeF viewBox() const { return description_->viewBox; }

private:
    // One transform per joint of the description, each composed on its parent's.
    std::vector<QTransform> jointTransforms(const Pose& pose) const;
    void paintEyes(QPainter& painter, const Pose& pose) const;
    void paintMouth(QPainter& painter, const Pose& pose) const;
    void paintGlow(QPainter& painter, const Pose& pose) const;

    void readParts() const;

    std::shared_ptr<const CharacterDescription> description_;
    // One per part, null for drawn ones; filled at the first paint.
    mutable std::vector<std::unique_ptr<QSvgRenderer>> parts_;
};
