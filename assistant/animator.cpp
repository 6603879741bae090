#include "animator.h"

#include <QRandomGenerator>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

constexpr double kBreathPeriodMs = 3600;
constexpr double kBlinkMs = 140;

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
    speaking_ = speaking;
    speakingTime_ = 0;
}

std::vector<EffectSpec> Animator::advance(double ms)
{
    lifeTime_ += ms;
    if (speaking_)
        speakingTime_ += ms;
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
    const double breath = std::sin(2 * std::numbers::pi * lifeTime_ / kBreathPeriodMs);
    pose.squash *= 1 + 0.012 * breath;
    if (lifeTime_ >= nextBlink_ && lifeTime_ < nextBlink_ + kBlinkMs)
        pose.eyesOpen = 0;
    if (speaking_) {
        // Two beats that never line up look more like syllables than one steady flap.
        const double s = speakingTime_ / 1000;
        pose.mouthOpen =
            0.15 + 0.55 * std::abs(std::sin(s * 11.0)) + 0.3 * std::abs(std::sin(s * 17.0 + 1.0));
    }
}

void Animator::scheduleBlink()
{
    nextBlink_ = lifeTime_ + 2200 + QRandomGenerator::global()->bounded(2800);
}
