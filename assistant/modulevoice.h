#pragma once

#include "voice.h"
#include "voicebackend.h"

#include <QStringList>
#include <QTimer>
#include <memory>

// The character's voice, from the voice module. The module is loaded at prepare() (or the first
// say()), not before: the character prepares its voice once the program's windows are drawn.
// Without the module the words are not heard, and stay up as long as they would take to say.
class ModuleVoice : public Voice, private VoiceBackend::Listener {
    Q_OBJECT

public:
    // pace > 1 shortens the silent fallbacks (tests use it). The module is the first of paths
    // that loads.
    explicit ModuleVoice(double pace = 1.0, QStringList modulePaths = defaultModulePaths(),
                         QObject* parent = nullptr);
    ~ModuleVoice() override;

    // Where the installed program, and a program in its build tree, find the module.
    static QStringList defaultModulePaths();

    void prepare() override;
    void say(const QString& text) override;
    void stop() override;

private:
    VoiceBackend* backend();

    void onFinished() override;
    void onUnavailable(Voice::Trouble trouble) override;
    void onWordHeard(int start, int length) override;
    void onMouthShaped(MouthShape shape) override;

    double pace_;
    QStringList modulePaths_;
    bool loaded_ = false;
    std::unique_ptr<VoiceBackend> backend_;
    QTimer silent_;
};
