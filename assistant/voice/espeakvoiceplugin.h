#pragma once

#include "voiceplugin.h"

#include <QObject>

// The voice plugin: espeak-ng's Italian voice, played through Qt Multimedia.
class EspeakVoicePlugin : public QObject, public VoicePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PERLOBIN_VOICE_PLUGIN_IID)
    Q_INTERFACES(VoicePlugin)

public:
    std::unique_ptr<Voice> makeVoice() override;
};
