#include "characterwindow.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int kDefaultHeight = 205;
constexpr int kActiveFrameMs = 33;
constexpr int kRestingFrameMs = 80;
constexpr double kGlideSpeed = 1400; // pixels per second
constexpr double kLongestGlideMs = 700;

// The logical pixels of a mask drawn at `ratio`, each set where all of its device pixels are. A
// window's shape has logical pixels: one only partly covered would show its uncovered device
// pixels black around the figure on a high-density screen.
QImage coveredPixels(const QImage& dense, QSize size, qreal ratio)
{
    QImage mask(size, QImage::Format_MonoLSB);
    mask.setColorTable(dense.colorTable());
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRect block = QRect(QPoint(int(x * ratio), int(y * ratio)),
                                      QPoint(int(std::ceil((x + 1) * ratio)) - 1,
                                             int(std::ceil((y + 1) * ratio)) - 1)) &
                                dense.rect();
            bool covered = !block.isEmpty();
            for (int dy = block.top(); covered && dy <= block.bottom(); ++dy)
                for (int dx = block.left(); covered && dx <= block.right(); ++dx)
                    covered = dense.pixelIndex(dx, dy) == 1;
            mask.setPixel(x, y, covered ? 1 : 0);
        }
    return mask;
}

} // namespace

CharacterWindow::CharacterWindow(std::shared_ptr<const CharacterDescription> description,
                                 double pace)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus)
    , renderer_(description)
    , animator_(std::move(description))
    , pace_(pace > 0 ? pace : 1.0)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::OpenHandCursor);
    setFigureHeight(kDefaultHeight);
    connect(&ticker_, &QTimer::timeout, this, &CharacterWindow::tick);
    rest_.setSingleShot(true);
    // A coarse timer may fire 5% early: half a second before a blink, to draw nothing new.
    rest_.setTimerType(Qt::PreciseTimer);
    connect(&rest_, &QTimer::timeout, this, &CharacterWindow::restStep);
}

CharacterWindow::~CharacterWindow() = default;

void CharacterWindow::setFigureHeight(int pixels)
{
    pixels = std::clamp(pixels, 24, 4000);
    const QSizeF box = renderer_.viewBox();
    resize(std::max(1, int(std::lround(pixels * box.width() / box.height()))), pixels);
}

void CharacterWindow::appear()
{
    sparkles_.clear();
    animator_.playAppearance();
    renderFrame();
    show();
    keepTicking();
}

bool CharacterWindow::play(const QString& animation)
{
    if (!animator_.play(animation))
        return false;
    keepTicking();
    return true;
}

void CharacterWindow::glideTo(QPoint topLeft)
{
    const QPointF from = pos();
    const double distance = std::hypot(topLeft.x() - from.x(), topLeft.y() - from.y());
    if (!isVisible() || distance < 1) {
        move(topLeft);
        endGlide();
        return;
    }
    gliding_ = true;
    glideFrom_ = from;
    glideTo_ = topLeft;
    glideTime_ = 0;
    glideDuration_ = std::min(kLongestGlideMs, 1000 * distance / kGlideSpeed);
    keepTicking();
}

void CharacterWindow::setSpeaking(bool speaking)
{
    animator_.setSpeaking(speaking);
    keepTicking();
}

void CharacterWindow::setMouth(MouthShape shape)
{
    animator_.setMouth(shape);
    keepTicking();
}

void CharacterWindow::keepTicking()
{
    const bool busy =
        animator_.isPlaying() || animator_.mouthMoving() || gliding_ || !sparkles_.isEmpty();
    const int interval = busy ? kActiveFrameMs : kRestingFrameMs;
    if (!busy && !isVisible()) {
        ticker_.stop();
        rest_.stop();
        return;
    }
    // With nothing to do, the program sleeps between blinks.
    const bool resting = !busy && (rest_.isActive() || animator_.canRest());
    animator_.setResting(resting);
    if (resting) {
        ticker_.stop();
        if (!rest_.isActive()) {
            clock_.start();
            rest_.start(int(std::ceil(animator_.msToNextBlinkChange() / pace_)) + 1);
        }
        return;
    }
    rest_.stop();
    if (!ticker_.isActive()) {
        clock_.start();
        ticker_.start(interval);
    } else if (ticker_.interval() != interval) {
        ticker_.setInterval(interval);
    }
}

void CharacterWindow::tick()
{
    // A stalled event loop must not make the figure jump a whole clip ahead.
    const double ms = std::min<double>(clock_.restart(), 120) * pace_;
    stepGlide(ms);
    releaseEffects(animator_.advance(ms));
    sparkles_.advance(ms);
    const bool clipEnded = animator_.finished();
    if (isVisible())
        renderFrame();
    keepTicking();
    if (clipEnded)
        emit clipFinished();
}

// At rest the only change is a blink: the eyes close or open, and nothing else is drawn.
void CharacterWindow::restStep()
{
    animator_.advance(double(clock_.restart()) * pace_);
    if (isVisible())
        renderFrame();
    keepTicking();
}

void CharacterWindow::stepGlide(double ms)
{
    if (!gliding_)
        return;
    glideTime_ += ms;
    const double t = std::min(1.0, glideTime_ / glideDuration_);
    const double eased = t * t * (3 - 2 * t);
    move((glideFrom_ + (glideTo_ - glideFrom_) * eased).toPoint());
    if (t >= 1)
        endGlide();
}

void CharacterWindow::endGlide()
{
    gliding_ = false;
    emit glideFinished();
}

void CharacterWindow::releaseEffects(const std::vector<EffectSpec>& effects)
{
    const Pose pose = animator_.pose();
    for (const EffectSpec& effect : effects)
        sparkles_.release(effect.kind, renderer_.anchorPoint(pose, effect.anchor), effect.count);
}

void CharacterWindow::renderFrame()
{
    const qreal ratio = devicePixelRatioF();
    // At rest only the eyes change: each of his two resting frames is drawn once. Drawing the
    // figure's paths wakes the painter's helper threads every time.
    const Pose pose = animator_.pose();
    const bool resting = animator_.isResting() && sparkles_.isEmpty();
    QImage& kept = restFrames_[pose.eyesOpen < 0.5 ? 1 : 0];
    if (!resting) {
        restFrames_[0] = restFrames_[1] = QImage();
    } else if (kept.size() == size() * ratio) {
        if (frame_.cacheKey() != kept.cacheKey()) {
            frame_ = kept;
            update();
        }
        return;
    }
    QImage image(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer_.paint(painter, pose, sparkles_, QSizeF(size()));
    }
    frame_ = std::move(image);
    if (resting)
        kept = frame_;
    updateShape();
    update();
}

// Without a compositor a translucent window shows black around the figure, so the window is
// cut to the figure's outline; with one, the mask costs nothing visible.
void CharacterWindow::updateShape()
{
    QImage alpha = frame_.createAlphaMask();
    if (frame_.devicePixelRatio() != 1.0)
        alpha = coveredPixels(alpha, size(), frame_.devicePixelRatio());
    QRegion shape(QBitmap::fromImage(alpha));
    if (shape.isEmpty())
        shape = QRegion(0, 0, 1, 1);
    // Setting a shape costs the X server a round of work: only when the outline changes.
    if (shape != mask())
        setMask(shape);
}

void CharacterWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), frame_);
}

void CharacterWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
    setCursor(Qt::ClosedHandCursor);
    if (gliding_)
        endGlide();
}

void CharacterWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_)
        move(event->globalPosition().toPoint() - dragOffset_);
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
    setCursor(Qt::OpenHandCursor);
}

void CharacterWindow::moveEvent(QMoveEvent*)
{
    emit placed(geometry());
}

void CharacterWindow::resizeEvent(QResizeEvent*)
{
    renderFrame();
    emit placed(geometry());
}
