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
{}

FigureRenderer::~FigureRenderer() = default;

// The art is read when the figure is first drawn, after the program's own first frame.
void FigureRenderer::readParts() const
{
    if (parts_.size() == description_->parts.size())
        return;
    for (const PartSpec& part : description_->parts)
        parts_.push_back(part.file.isEmpty() ? nullptr : std::make_unique<QSvgRenderer>(part.file));
}

std::vector<QTransform> FigureRenderer::jointTransforms(const Pose& pose) const
{
    const auto value = [&](double Pose::*field, double otherwise) {
        return field ? pose.*field : otherwise;
    };
    std::vector<QTransform> transforms;
    transforms.reserve(description_->joints.size());
    for (const JointSpec& joint : description_->joints) {
        QTransform t = joint.parent < 0 ? QTransform() : transforms[std::size_t(joint.parent)];
        const QPointF pivot = joint.pivot;
        // A turn about the upright axis seen from the front is a horizontal squeeze; never a
        // line, which would vanish.
        double turn = std::cos(value(joint.spin, 0) * std::numbers::pi / 180);
        if (std::abs(turn) < 0.06)
            turn = std::copysign(0.06, turn);
        const double scale = value(joint.scale, 1);
        t.translate(pivot.x(), pivot.y() + value(joint.lift, 0));
        t.rotate(value(joint.rotate, 0));
        t.scale(scale * turn, scale * value(joint.squash, 1));
        t.translate(-pivot.x(), -pivot.y());
        transforms.push_back(t);
    }
    return transforms;
}

QPointF FigureRenderer::anchorPoint(const Pose& pose, const QString& anchor) const
{
    const std::vector<QTransform> transforms = jointTransforms(pose);
    const auto found = description_->anchors.constFind(anchor);
    if (found == description_->anchors.constEnd()) {
        const int body = description_->bodyJoint;
        return transforms[std::size_t(body)].map(description_->joints[std::size_t(body)].pivot);
    }
    return transforms[std::size_t(found->joint)].map(found->point);
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
    const std::vector<QTransform> transforms = jointTransforms(pose);
    readParts();
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        const PartSpec& part = description_->parts[i];
        painter.setWorldTransform(transforms[std::size_t(part.joint)] * base);
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

// The open mouth is drawn a little larger than the face would have it: at the game's height a
// drawing unit is under a pixel, and each shape must still read.
void FigureRenderer::paintMouth(QPainter& painter, const Pose& pose) const
{
    const QColor lip(0x7a, 0x26, 0x2c);
    const QPointF m = description_->mouth;
    painter.save();
    if (pose.mouthOpen < 0.05 && pose.mouthTeeth < 0.05) {
        QPainterPath smile(m + QPointF(-4, -0.5));
        smile.quadTo(m + QPointF(0, 3), m + QPointF(4, -0.5));
        painter.setPen(QPen(lip, 1.4, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(smile);
        painter.restore();
        return;
    }
    // Four curves through the corners and the middle of each lip: a round "o" at roundness 1, a
    // smiling oval with a flat upper lip and pointed corners at 0.
    const double r = std::clamp(pose.mouthRound, 0.0, 1.0);
    const double w = 5 * pose.mouthWidth;
    const double h = 1 + 4.4 * std::clamp(pose.mouthOpen, 0.0, 1.0);
    const double top = h * (0.45 + 0.55 * r);
    const double bottom = h * (1.45 - 0.45 * r);
    const double corner = -0.8 * (1 - r); // corners turned up a little, as in a smile
    const double k = 0.2 + 0.35 * r;      // how far the curves keep their way at the corners
    const double bulge = 0.56;
    QPainterPath mouth(m + QPointF(-w, corner));
    mouth.cubicTo(m + QPointF(-w, corner - top * k), m + QPointF(-w * bulge, -top),
                  m + QPointF(0, -top));
    mouth.cubicTo(m + QPointF(w * bulge, -top), m + QPointF(w, corner - top * k),
                  m + QPointF(w, corner));
    mouth.cubicTo(m + QPointF(w, corner + bottom * k), m + QPointF(w * bulge, bottom),
                  m + QPointF(0, bottom));
    mouth.cubicTo(m + QPointF(-w * bulge, bottom), m + QPointF(-w, corner + bottom * k),
                  m + QPointF(-w, corner));

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x3a, 0x0e, 0x14));
    painter.drawPath(mouth);
    painter.setClipPath(mouth, Qt::IntersectClip);
    // The tongue shows once the mouth is open enough to see it.
    painter.setBrush(QColor(0xd9, 0x6a, 0x72));
    painter.drawEllipse(m + QPointF(0, bottom * 1.05), w * 0.62, bottom * 0.62 * pose.mouthOpen);
    // Upper teeth; for f and v they rest on the lower lip, which rises to meet them.
    const double teeth = std::clamp(pose.mouthTeeth, 0.0, 1.0);
    if (teeth > 0.02) {
        const double edge = -top + (top + 0.4) * teeth + 0.9;
        painter.setBrush(QColor(0xfb, 0xf7, 0xee));
        painter.drawRect(QRectF(m.x() - w, m.y() - top - 1, 2 * w, edge + top + 1));
        const double rise = std::clamp(2 * teeth - 1, 0.0, 1.0);
        if (rise > 0) {
            const double lower = bottom - rise * (bottom - edge - 0.2);
            painter.setBrush(QColor(0xa8, 0x3c, 0x44)); // lip, darker than the tongue
            painter.drawEllipse(m + QPointF(0, lower + bottom), w * 1.1, bottom);
        }
    }
    painter.setClipping(false);
    painter.setPen(QPen(lip, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(mouth);
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
