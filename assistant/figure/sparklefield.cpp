#include "sparklefield.h"

#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double uniform(double from, double to)
{
    return from + (to - from) * QRandomGenerator::global()->generateDouble();
}

QPointF towards(double degrees, double speed)
{
    const double r = degrees * std::numbers::pi / 180;
    return {std::cos(r) * speed, std::sin(r) * speed};
}

QPainterPath starPath(QPointF centre, double radius)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? radius : radius * 0.45;
        const double a = (-90 + i * 36) * std::numbers::pi / 180;
        const QPointF p = centre + QPointF(std::cos(a) * r, std::sin(a) * r);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

} // namespace

void SparkleField::release(const QString& kind, QPointF origin, int count)
{
    count = std::clamp(count, 0, 200);
    if (kind == QLatin1String("puff"))
        emitPuff(origin, count);
    else if (kind == QLatin1String("burst"))
        emitBurst(origin, count);
    else if (kind == QLatin1String("stars"))
        emitStars(origin, count);
    else if (kind == QLatin1String("fireworks"))
        emitFireworks(origin, count);
}

void SparkleField::emitPuff(QPointF origin, int count)
{
    for (int i = 0; i < count; ++i) {
        Particle p;
        p.position = origin + QPointF(uniform(-50, 50), uniform(-100, 90));
        p.velocity = towards(uniform(0, 360), uniform(10, 40));
        p.life = uniform(600, 1100);
        p.size = uniform(5, 10);
        p.colour = QColor::fromHsv(int(uniform(230, 290)), 60, 255);
        p.star = i % 3 == 0;
        particles_.push_back(p);
    }
}

void SparkleField::emitBurst(QPointF origin, int count)
{
    for (int i = 0; i < count; ++i) {
        Particle p;
        p.position = origin;
        p.velocity = towards(360.0 * i / std::max(count, 1) + uniform(-8, 8), uniform(60, 130));
        p.life = uniform(600, 1000);
        p.size = uniform(5, 9);
        p.colour = QColor::fromHsv(int(uniform(40, 58)), int(uniform(60, 200)), 255);
        p.star = i % 2 == 0;
        particles_.push_back(p);
    }
}

void SparkleField::emitStars(QPointF origin, int count)
{
    for (int i = 0; i < count; ++i) {
        Particle p;
        p.position = origin;
        p.velocity = towards(uniform(-175, -5), uniform(90, 160));
        p.gravity = 180;
        p.life = uniform(800, 1300);
        p.size = uniform(6, 11);
        p.colour = QColor::fromHsv(int(uniform(45, 55)), 220, 255);
        p.star = true;
        particles_.push_back(p);
    }
}

void SparkleField::emitFireworks(QPointF origin, int count)
{
    static constexpr int kHues[] = {0, 120, 200, 300, 45};
    const QPointF centre = origin + QPointF(uniform(-25, 25), uniform(-45, -25));
    const int hue = kHues[QRandomGenerator::global()->bounded(int(std::size(kHues)))];
    for (int i = 0; i < count; ++i) {
        Particle p;
        p.position = centre;
        p.velocity = towards(360.0 * i / std::max(count, 1), uniform(50, 90));
        p.gravity = 50;
        p.life = uniform(700, 1000);
        p.size = uniform(3.5, 5.5);
        p.colour = QColor::fromHsv((hue + int(uniform(-15, 15)) + 360) % 360, 200, 255);
        particles_.push_back(p);
    }
}

void SparkleField::advance(double ms)
{
    const double s = ms / 1000;
    for (Particle& p : particles_) {
        p.age += ms;
        p.velocity += QPointF(0, p.gravity * s);
        p.velocity *= std::pow(0.5, s); // air slows them down
        p.position += p.velocity * s;
    }
    std::erase_if(particles_, [](const Particle& p) { return p.age >= p.life; });
}

void SparkleField::paint(QPainter& painter) const
{
    painter.save();
    painter.setPen(Qt::NoPen);
    for (const Particle& p : particles_) {
        const double fade = 1 - p.age / p.life;
        QColor colour = p.colour;
        colour.setAlphaF(float(std::clamp(fade * 1.4, 0.0, 1.0)));
        painter.setBrush(colour);
        if (p.star)
            painter.drawPath(starPath(p.position, p.size * (0.6 + 0.4 * fade)));
        else
            painter.drawEllipse(p.position, p.size * 0.5, p.size * 0.5);
    }
    painter.restore();
}
