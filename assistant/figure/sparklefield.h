#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <vector>

class QPainter;

// The loose light of the character's magic: sparkles, stars and fireworks, in the character's
// drawing units. Each kind of effect gives its particles their own colours and motion.
class SparkleField {
public:
    void release(const QString& kind, QPointF origin, int count);
    void advance(double ms);
    void paint(QPainter& painter) const;
    bool isEmpty() const { return particles_.empty(); }
    void clear() { particles_.clear(); }

private:
    struct Particle {
        QPointF position;
        QPointF velocity; // units per second
        double gravity = 0;
        double age = 0;
        double life = 1000;
        double size = 3;
        QColor colour;
        bool star = false;
    };

    void emitPuff(QPointF origin, int count);
    void emitBurst(QPointF origin, int count);
    void emitStars(QPointF origin, int count);
    void emitFireworks(QPointF origin, int count);

    std::vector<Particle> particles_;
};
