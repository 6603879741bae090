#pragma once

#include "characterdescription.h"
#include "mouthshape.h"
#include "pose.h"

#include <memory>
#include <vector>

// Plays the character's clips and its quiet life in between (breathing, blinking, the mouth
// easing from shape to shape while it talks). Time is fed in from outside, so a test can run it at
// any speed.
class Animator {
public:
    explicit Animator(std::shared_ptr<const CharacterDescription> description);

    // False, and nothing changes, when the character has no clip of that name.
    bool play(const QString& name);
    void playAppearance();
    // Off eases the mouth shut; while off, mouth shapes are ignored, so that a late one cannot
    // leave the mouth open at rest.
    void setSpeaking(bool speaking);
    void setMouth(MouthShape shape);
    // The mouth needs frames: speaking, or still easing.
    bool mouthMoving() const;
    // The shape the mouth is taking or has taken.
    MouthShape mouth() const { return mouth_; }

    // Moves time on by the given milliseconds. Returns the effects whose moment has come;
    // finished() tells whether the clip has ended in this step.
    std::vector<EffectSpec> advance(double ms);
    bool finished() const { return finished_; }

    bool isPlaying() const { return clip_ != nullptr; }

    // At rest the breath is held (he may only blink), so that a figure with nothing to do needs
    // a frame only when his eyes close or open. He comes to rest where his breath is still.
    bool canRest() const;
    void setResting(bool resting) { resting_ = resting; }
    bool isResting() const { return resting_; }
    // Milliseconds of life until the eyes next close or open.
    double msToNextBlinkChange() const;
    QString clipName() const;
    Pose pose() const;

private:
    void applyClip(Pose& pose) const;
    void applyLife(Pose& pose) const;
    void scheduleBlink();

    std::shared_ptr<const CharacterDescription> description_;
    const Clip* clip_ = nullptr;
    double clipTime_ = 0;
    std::size_t nextEffect_ = 0;
    bool finished_ = false;
    double lifeTime_ = 0;
    double breathTime_ = 0;
    bool resting_ = false;
    double nextBlink_ = 0;
    void applyMouth(Pose& pose) const;

    bool speaking_ = false;
    MouthShape mouth_ = MouthShape::Closed;
    Pose mouthFrom_;
    Pose mouthTo_;
    double mouthTime_ = 0;
};
