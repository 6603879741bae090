#include "speechengine.h"

#include <QMetaObject>
#include <QObject>
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <utility>

namespace {

constexpr int kChunkMs = 40;         // small chunks: the first one reaches the sound card sooner
constexpr int kWordsPerMinute = 150; // a little slower than espeak's default, for children
const char* const kVoiceName = "it";

} // namespace

// One text on its way through the synthesiser.
class SpeechJob {
public:
    SpeechJob(QString text, QObject* receiver, SpeechEngine::ChunkHandler onChunk,
              SpeechEngine::DoneHandler onDone)
        : text_(std::move(text))
        , receiver_(receiver)
        , onChunk_(std::move(onChunk))
        , onDone_(std::move(onDone))
    {}

    const QString& text() const { return text_; }
    bool cancelled() const { return cancelled_.load(); }

    void cancel()
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }

    void deliverChunk(QByteArray pcm, int sampleRate)
    {
        post([handler = onChunk_, pcm = std::move(pcm), sampleRate] { handler(pcm, sampleRate); });
    }

    void deliverDone(bool spoken)
    {
        post([handler = onDone_, spoken] { handler(spoken); });
    }

private:
    // Posting under the lock means that once cancel() has returned nothing more is queued; what
    // was queued before dies with the receiver.
    void post(std::function<void()> call)
    {
        std::lock_guard lock(mutex_);
        if (!cancelled_)
            QMetaObject::invokeMethod(receiver_, std::move(call), Qt::QueuedConnection);
    }

    QString text_;
    QObject* receiver_;
    SpeechEngine::ChunkHandler onChunk_;
    SpeechEngine::DoneHandler onDone_;
    std::mutex mutex_;
    std::atomic<bool> cancelled_{false};
};

namespace {

int sampleRate = 0; // written once by the worker before any synthesis

int onSynthesised(short* wav, int samples, espeak_EVENT* events)
{
    auto* job = events ? static_cast<SpeechJob*>(events->user_data) : nullptr;
    if (!job || job->cancelled())
        return 1; // stops espeak's synthesis of this text
    if (wav && samples > 0)
        job->deliverChunk(QByteArray(reinterpret_cast<const char*>(wav),
                                     qsizetype(samples) * qsizetype(sizeof(short))),
                          sampleRate);
    return 0;
}

std::mutex instanceMutex;
std::weak_ptr<SpeechEngine> instance;
std::mutex espeakMutex;

} // namespace

std::shared_ptr<SpeechEngine> SpeechEngine::shared()
{
    std::lock_guard lock(instanceMutex);
    std::shared_ptr<SpeechEngine> engine = instance.lock();
    if (!engine) {
        engine = std::shared_ptr<SpeechEngine>(new SpeechEngine);
        instance = engine;
    }
    return engine;
}

bool SpeechEngine::running()
{
    std::lock_guard lock(instanceMutex);
    return !instance.expired();
}

SpeechEngine::SpeechEngine()
    : worker_(&SpeechEngine::run, this)
{}

SpeechEngine::~SpeechEngine()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (const auto& job : jobs_)
            job->cancel();
        jobs_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

std::shared_ptr<SpeechJob> SpeechEngine::synthesize(const QString& text, QObject* receiver,
                                                    ChunkHandler onChunk, DoneHandler onDone)
{
    auto job = std::make_shared<SpeechJob>(text, receiver, std::move(onChunk), std::move(onDone));
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(job);
    }
    wake_.notify_all();
    return job;
}

void SpeechEngine::cancel(const std::shared_ptr<SpeechJob>& job)
{
    if (!job)
        return;
    job->cancel();
    std::lock_guard lock(mutex_);
    std::erase(jobs_, job);
}

bool SpeechEngine::waitUntilReady()
{
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return ready_; });
    return usable_;
}

bool SpeechEngine::hasVoice()
{
    std::lock_guard lock(mutex_);
    return !ready_ || usable_;
}

std::shared_ptr<SpeechJob> SpeechEngine::nextJob()
{
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (stopping_)
        return nullptr;
    auto job = jobs_.front();
    jobs_.pop_front();
    return job;
}

namespace {

// espeak-ng 1.51 hangs in espeak_Terminate(), so the library is set up once per process and
// left set up; each engine's worker takes it over from the one before.
bool setUpEspeak()
{
    static bool tried = false;
    static bool usable = false;
    if (tried)
        return usable;
    tried = true;
    // Not espeak_Initialize(), which ends the whole process when the voice data is missing.
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    if (espeak_ng_Initialize(&context) != ENS_OK) {
        espeak_ng_ClearErrorContext(&context);
        return false;
    }
    const int rate =
        espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kChunkMs, nullptr) == ENS_OK
            ? espeak_ng_GetSampleRate()
            : 0;
    usable = rate > 0 && espeak_SetVoiceByName(kVoiceName) == EE_OK;
    if (usable) {
        sampleRate = rate;
        espeak_SetSynthCallback(&onSynthesised);
        espeak_SetParameter(espeakRATE, kWordsPerMinute, 0);
    }
    return usable;
}

} // namespace

void SpeechEngine::run()
{
    // Held for the worker's whole life: only one thread ever talks to espeak-ng.
    std::lock_guard espeak(espeakMutex);
    const bool usable = setUpEspeak();
    {
        std::lock_guard lock(mutex_);
        ready_ = true;
        usable_ = usable;
    }
    wake_.notify_all();

    while (auto job = nextJob()) {
        bool spoken = false;
        if (usable) {
            const QByteArray utf8 = job->text().toUtf8();
            spoken = espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                  espeakCHARS_UTF8, nullptr, job.get()) == EE_OK;
        }
        job->deliverDone(spoken && !job->cancelled());
    }
}
