#pragma once

#include "voice.h"

class QString;

// The character's voice as the voice module offers it. The module is loaded once the program's
// first frame is up, so that its libraries (espeak-ng, Qt Multimedia and theirs) are not on the
// way to it. Plain virtual calls join the two sides: each has its own copy of Voice, so a signal
// of one could not be connected from the other.
class VoiceBackend {
public:
    // Called on the thread that made the backend, as Voice's signals would be.
    class Listener {
    public:
        virtual void onFinished() = 0;
        virtual void onUnavailable(Voice::Trouble trouble) = 0;
        virtual void onWordHeard(int start, int length) = 0;
        virtual void onMouthShaped(MouthShape shape) = 0;

    protected:
        ~Listener() = default;
    };

    virtual ~VoiceBackend() = default;
    virtual void prepare() = 0;
    virtual void say(const QString& text) = 0;
    virtual void stop() = 0;
};

// The module's one entry point: a new backend for the listener, which outlives it.
using MakeVoiceBackend = VoiceBackend*(double pace, VoiceBackend::Listener* listener);
inline constexpr char kMakeVoiceBackend[] = "perlobin_make_voice_backend";
