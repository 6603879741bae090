#include "figurerenderer.h"

#include "sparklefield.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

FigureRenderer::FigureRenderer(std::shared_ptr<const CharacterDescription> description)
    : description_(std::move(description))
{
    for (const PartSpec& part : description_->parts)
        parts_.push_back(part.file.isEmpty() ? nullptr : std::make_unique<QSvgRenderer>(part.file));
}

FigureRenderer::~FigureRenderer() = default;

QTransform FigureRenderer::jointTransform(const Pose& pose, const QString& joint) const
{
    const QPointF feet = description_->joints.value(QStringLiteral("body"));
    QTransform t;
    t.translate(feet.x(), feet.y() + pose.bodyY);
    t.rotate(pose.lean);
    t.scale(pose.scale, pose.scale * pose.squash);
    t.translate(-feet.x(), -feet.y());
    if (joint == QLatin1String("body"))
        return t;

    const QPointF pivot = description_->joints.value(joint);
    if (joint == QLatin1String("hat")) {
        // A turn about the hat's upright axis seen from the front is a horizontal squeeze.
        const double turn = std::cos(pose.hatSpin * std::numbers::pi / 180);
        t.translate(pivot.x(), pivot.y() + pose.hatLift);
        t.rotate(pose.hatTilt);
        t.scale(std::abs(turn) < 0.06 ? std::copysign(0.06, turn) : turn, 1);
        t.translate(-pivot.x(), -pivot.y());
        return t;
    }
    const double angle = joint == QLatin1String("armWand") ? pose.armWand : pose.armFree;
    t.translate(pivot.x(), pivot.y());
    t.rotate(angle);
    t.translate(-pivot.x(), -pivot.y());
    return t;
}

QPointF FigureRenderer::anchorPoint(const Pose& pose, const QString& anchor) const
{
    const auto found = description_->anchors.constFind(anchor);
    if (found == description_->anchors.constEnd())
        return jointTransform(pose, QStringLiteral("body"))
            .map(description_->joints.value(QStringLiteral("body")));
    return jointTransform(pose, found->joint).map(found->point);
}

void FigureRenderer::paint(QPainter& painter, const Pose& pose, const SparkleField& sparkles,
                           QSizeF target) const
{
    const QSizeF box = description_->viewBox;
    const double k = std::min(target.width() / box.width(), target.height() / box.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate((target.width() - box.width() * k) / 2,
                      (target.height() - box.height() * k) / 2);
    painter.scale(k, k);
    const QTransform base = painter.worldTransform();

    painter.setOpacity(std::clamp(pose.opacity, 0.0, 1.0));
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        const PartSpec& part = description_->parts[i];
        painter.setWorldTransform(jointTransform(pose, part.joint) * base);
        if (parts_[i])
            parts_[i]->render(&painter, QRectF(QPointF(0, 0), box));
        else if (part.draw == QLatin1String("eyes"))
            paintEyes(painter, pose);
        else if (part.draw == QLatin1String("mouth"))
            paintMouth(painter, pose);
    }
    painter.setWorldTransform(base);
    paintGlow(painter, pose);
    sparkles.paint(painter);
    painter.restore();
}

void FigureRenderer::paintEyes(QPainter& painter, const Pose& pose) const
{
    painter.save();
    for (const QPointF& eye : description_->eyes) {
        if (pose.eyesOpen > 0.5) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0x2b, 0x1d, 0x14));
            painter.drawEllipse(eye, 2.6, 3.2);
            painter.setBrush(Qt::white);
            painter.drawEllipse(eye + QPointF(0.9, -1.1), 0.9, 0.9);
        } else {
            painter.setPen(QPen(QColor(0x2b, 0x1d, 0x14), 1.4, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(eye + QPointF(-2.8, 0.5), eye + QPointF(2.8, 0.5));
        }
    }
    painter.restore();
}

void FigureRenderer::paintMouth(QPainter& painter, const Pose& pose) const
{
    painter.save();
    const QPointF m = description_->mouth;
    if (pose.mouthOpen > 0.05) {
        painter.setPen(QPen(QColor(0x5a, 0x1e, 0x1e), 0.8));
        painter.setBrush(QColor(0x7a, 0x26, 0x2c));
        painter.drawEllipse(m, 3.6, 0.8 + 3.6 * pose.mouthOpen);
    } else {
        QPainterPath smile(m + QPointF(-4, -0.5));
        smile.quadTo(m + QPointF(0, 3), m + QPointF(4, -0.5));
        painter.setPen(QPen(QColor(0x7a, 0x26, 0x2c), 1.4, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(smile);
    }
    painter.restore();
}

void FigureRenderer::paintGlow(QPainter& painter, const Pose& pose) const
{
    if (pose.glow <= 0.01)
        return;
    const QPointF tip = anchorPoint(pose, QStringLiteral("wand_tip"));
    const double radius = 8 + 22 * pose.glow;
    QRadialGradient light(tip, radius);
    light.setColorAt(0, QColor(255, 255, 230, int(230 * std::min(pose.glow, 1.0))));
    light.setColorAt(0.4, QColor(255, 220, 90, int(140 * std::min(pose.glow, 1.0))));
    light.setColorAt(1, QColor(255, 200, 60, 0));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawEllipse(tip, radius, radius);
    painter.restore();
}
