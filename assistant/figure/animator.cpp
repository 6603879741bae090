#include "animator.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

constexpr double kBreathPeriodMs = 3600;
constexpr double kBlinkMs = 140;
constexpr double kMouthEaseMs = 60; // quick enough for syllables, slow enough to read as motion

double smooth(double t)
{
    return t * t * (3 - 2 * t);
}

double valueAt(const Track& track, double at)
{
    const auto& keys = track.keys;
    if (at <= keys.front().at)
        return keys.front().value;
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (at <= keys[i].at) {
            const double span = keys[i].at - keys[i - 1].at;
            const double t = span > 0 ? (at - keys[i - 1].at) / span : 1;
            return keys[i - 1].value + (keys[i].value - keys[i - 1].value) * smooth(t);
        }
    }
    return keys.back().value;
}

// Opening, width, roundness and teeth of each shape.
Pose mouthOf(MouthShape shape)
{
    Pose pose;
    const auto set = [&pose](double open, double width, double round, double teeth) {
        pose.mouthOpen = open;
        pose.mouthWidth = width;
        pose.mouthRound = round;
        pose.mouthTeeth = teeth;
        return pose;
    };
    switch (shape) {
    case MouthShape::Closed:
        break;
    case MouthShape::Open:
        return set(1, 1.1, 0.25, 0);
    case MouthShape::Mid:
        return set(0.42, 1.3, 0, 0.45);
    case MouthShape::Round:
        return set(0.8, 0.7, 1, 0);
    case MouthShape::Teeth:
        return set(0.3, 1, 0, 1);
    }
    return pose;
}

} // namespace

Animator::Animator(std::shared_ptr<const CharacterDescription> description)
    : description_(std::move(description))
{
    scheduleBlink();
}

bool Animator::play(const QString& name)
{
    const Clip* clip = description_->animation(name);
    if (!clip)
        return false;
    clip_ = clip;
    clipTime_ = 0;
    nextEffect_ = 0;
    finished_ = false;
    return true;
}

void Animator::playAppearance()
{
    clip_ = &description_->appearance;
    clipTime_ = 0;
    nextEffect_ = 0;
    finished_ = false;
}

void Animator::setSpeaking(bool speaking)
{
    if (!speaking)
        setMouth(MouthShape::Closed);
    speaking_ = speaking;
}

void Animator::setMouth(MouthShape shape)
{
    if (!speaking_)
        return;
    applyMouth(mouthFrom_); // from wherever the mouth is now, even mid-way
    mouth_ = shape;
    mouthTo_ = mouthOf(shape);
    mouthTime_ = 0;
}

bool Animator::mouthMoving() const
{
    return speaking_ || mouthTime_ < kMouthEaseMs;
}

std::vector<EffectSpec> Animator::advance(double ms)
{
    lifeTime_ += ms;
    if (!resting_)
        breathTime_ += ms;
    mouthTime_ += ms;
    if (lifeTime_ > nextBlink_ + kBlinkMs)
        scheduleBlink();

    std::vector<EffectSpec> due;
    finished_ = false;
    if (!clip_)
        return due;
    clipTime_ += ms;
    while (nextEffect_ < clip_->effects.size() && clip_->effects[nextEffect_].at <= clipTime_)
        due.push_back(clip_->effects[nextEffect_++]);
    if (clipTime_ >= clip_->duration) {
        clip_ = nullptr;
        finished_ = true;
    }
    return due;
}

QString Animator::clipName() const
{
    return clip_ ? clip_->name : QString();
}

Pose Animator::pose() const
{
    Pose pose;
    applyClip(pose);
    applyLife(pose);
    return pose;
}

void Animator::applyClip(Pose& pose) const
{
    if (!clip_)
        return;
    for (const Track& track : clip_->tracks)
        pose.*track.field = valueAt(track, clipTime_);
}

void Animator::applyLife(Pose& pose) const
{
    const double breath = std::sin(2 * std::numbers::pi * breathTime_ / kBreathPeriodMs);
    pose.squash *= 1 + 0.012 * breath;
    if (lifeTime_ >= nextBlink_ && lifeTime_ < nextBlink_ + kBlinkMs)
        pose.eyesOpen = 0;
    applyMouth(pose);
}

void Animator::applyMouth(Pose& pose) const
{
    const double t = smooth(std::min(1.0, mouthTime_ / kMouthEaseMs));
    const auto ease = [&](double Pose::*field) {
        pose.*field = t >= 1 ? mouthTo_.*field
                             : mouthFrom_.*field + (mouthTo_.*field - mouthFrom_.*field) * t;
    };
    ease(&Pose::mouthOpen);
    ease(&Pose::mouthWidth);
    ease(&Pose::mouthRound);
    ease(&Pose::mouthTeeth);
}

bool Animator::canRest() const
{
    // Within a tenth of the breath's swing of its still point: a resting frame differs from the
    // one before by less than a pixel's shade.
    return !isPlaying() && !mouthMoving() &&
           std::abs(std::sin(2 * std::numbers::pi * breathTime_ / kBreathPeriodMs)) < 0.1;
}

double Animator::msToNextBlinkChange() const
{
    if (lifeTime_ < nextBlink_)
        return nextBlink_ - lifeTime_;
    return std::max(0.0, nextBlink_ + kBlinkMs - lifeTime_);
}

void Animator::scheduleBlink()
{
    // Resting, he blinks less often: each blink wakes the program twice.
    nextBlink_ = lifeTime_ + (resting_ ? 10000 + QRandomGenerator::global()->bounded(8000)
                                       : 2200 + QRandomGenerator::global()->bounded(2800));
}
