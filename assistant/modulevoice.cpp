#include "modulevoice.h"

#include "silentspeech.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QLoggingCategory>
#include <utility>

Q_LOGGING_CATEGORY(lcVoiceModule, "perlobin.voice")

ModuleVoice::ModuleVoice(double pace, QStringList modulePaths, QObject* parent)
    : Voice(parent)
    , pace_(pace > 0 ? pace : 1.0)
    , modulePaths_(std::move(modulePaths))
{
    silent_.setSingleShot(true);
    connect(&silent_, &QTimer::timeout, this, &Voice::finished);
}

ModuleVoice::~ModuleVoice()
{
    // Gone while this voice is whole: a voice stopping may still report its last marks cleared.
    backend_.reset();
}

QStringList ModuleVoice::defaultModulePaths()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList paths{
        QDir::cleanPath(programDir + QStringLiteral("/" PERLOBIN_VOICE_MODULE_FROM_BIN))};
    // Tests and benchmarks run from elsewhere in the build tree than the program.
    if (programDir.startsWith(QStringLiteral(PERLOBIN_BUILD_ROOT "/")))
        paths.append(QStringLiteral(PERLOBIN_VOICE_MODULE_BUILT));
    return paths;
}

void ModuleVoice::prepare()
{
    if (VoiceBackend* voice = backend())
        voice->prepare();
}

void ModuleVoice::say(const QString& text)
{
    stop();
    if (VoiceBackend* voice = backend()) {
        voice->say(text);
        return;
    }
    emit unavailable(Trouble::NoVoice);
    silent_.start(silentSpeechMs(text.size(), pace_));
}

void ModuleVoice::stop()
{
    silent_.stop();
    if (backend_)
        backend_->stop();
}

// Loaded once; the module stays in the process to its end, as the speech thread it starts may.
VoiceBackend* ModuleVoice::backend()
{
    if (loaded_)
        return backend_.get();
    loaded_ = true;
    for (const QString& path : std::as_const(modulePaths_)) {
        QLibrary module(path);
        if (!module.load()) {
            qCDebug(lcVoiceModule) << "no voice module:" << module.errorString();
            continue;
        }
        if (auto make = reinterpret_cast<MakeVoiceBackend*>(module.resolve(kMakeVoiceBackend))) {
            backend_.reset(make(pace_, this));
            return backend_.get();
        }
        qCWarning(lcVoiceModule) << path << "is not a voice module:" << module.errorString();
    }
    qCWarning(lcVoiceModule).noquote()
        << "No voice module found in" << modulePaths_.join(QStringLiteral(", "));
    return nullptr;
}

void ModuleVoice::onFinished()
{
    emit finished();
}

void ModuleVoice::onUnavailable(Voice::Trouble trouble)
{
    emit unavailable(trouble);
}

void ModuleVoice::onWordHeard(int start, int length)
{
    emit wordHeard(start, length);
}

void ModuleVoice::onMouthShaped(MouthShape shape)
{
    emit mouthShaped(shape);
}
