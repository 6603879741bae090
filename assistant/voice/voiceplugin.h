#pragma once

#include <QtPlugin>
#include <memory>

class Voice;

// What the voice plugin offers: the character's voice, made when the character first comes on
// stage. The plugin holds the voice's heavy libraries (espeak-ng, Qt Multimedia and theirs), so
// that none of them is loaded on the way to the program's first frame.
class VoicePlugin {
public:
    virtual ~VoicePlugin() = default;
    virtual std::unique_ptr<Voice> makeVoice() = 0;
};

#define PERLOBIN_VOICE_PLUGIN_IID "io.github.perlobin.VoicePlugin/1.0"
Q_DECLARE_INTERFACE(VoicePlugin, PERLOBIN_VOICE_PLUGIN_IID)
