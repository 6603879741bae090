#pragma once

#include "animator.h"
#include "figurerenderer.h"
#include "sparklefield.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <memory>

// The character's own window: frameless, shaped to the figure, above the game and never taking
// the keyboard focus from it. It animates itself; the learner may drag it around.
class CharacterWindow : public QWidget {
    Q_OBJECT

public:
    // pace > 1 runs every animation and glide faster (tests use it).
    CharacterWindow(std::shared_ptr<const CharacterDescription> description, double pace);
    ~CharacterWindow() override;

    void setFigureHeight(int pixels);
    void appear();
    bool play(const QString& animation);
    void glideTo(QPoint topLeft);
    void setSpeaking(bool speaking);
    // Eases the mouth to a shape while speaking (the voice calls it as sounds are heard).
    void setMouth(MouthShape shape);
    MouthShape mouth() const { return animator_.mouth(); }
    bool isGliding() const { return gliding_; }

    QString clipName() const { return animator_.clipName(); }
    // Nothing to do: no frame is drawn until his eyes next close or open.
    bool isResting() const { return animator_.isResting(); }
    // The last frame drawn, at the screen's device pixel ratio.
    const QImage& frame() const { return frame_; }

signals:
    void clipFinished();
    void glideFinished();
    void placed(QRect geometry);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void tick();
    void restStep();
    void stepGlide(double ms);
    void releaseEffects(const std::vector<EffectSpec>& effects);
    void renderFrame();
    void updateShape();
    void keepTicking();
    void endGlide();

    FigureRenderer renderer_;
    Animator animator_;
    SparkleField sparkles_;
    double pace_;
    QImage frame_;
    QImage restFrames_[2]; // at rest: eyes open, eyes shut
    QTimer ticker_;
    QTimer rest_; // single-shot, to the next blink while nothing else happens
    QElapsedTimer clock_;

    bool gliding_ = false;
    QPointF glideFrom_;
    QPointF glideTo_;
    double glideTime_ = 0;
    double glideDuration_ = 0;

    bool dragging_ = false;
    QPoint dragOffset_;
};
