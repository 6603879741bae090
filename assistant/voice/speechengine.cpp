#include "speechengine.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>
#include <cstring>
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <utility>

namespace {

constexpr int kChunkMs = 40; // small chunks: the first one reaches the sound card sooner

// An old wizard talking to a child: the lower male variant, slower than an adult reads, with a
// clear gap before every word (figures from bench/voice/measure_voice.sh).
const char* const kVoiceName = "it+m6";
constexpr int kWordsPerMinute = 135;
constexpr int kPitch = 40;  // espeak's default is 50
constexpr int kRange = 55;  // a little livelier than the default 50
constexpr int kWordGap = 3; // in 10 ms units

// Code point positions (as espeak-ng counts, from 1) to QString indices.
std::vector<int> codePointStarts(const QString& text)
{
    std::vector<int> starts;
    for (int i = 0; i < text.size(); ++i) {
        starts.push_back(i);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    starts.push_back(int(text.size()));
    return starts;
}

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
        , starts_(codePointStarts(text_))
    {}

    const QString& text() const { return text_; }

    // espeak-ng's word, counted in code points from 1, as a span of the QString.
    SpeechMark word(int position, int length, qint64 sample) const
    {
        const int last = int(starts_.size()) - 1;
        const int first = std::clamp(position - 1, 0, last);
        const int end = std::clamp(position - 1 + std::max(length, 0), first, last);
        const int start = starts_[first];
        // espeak-ng reports "l'abaco" as "l" alone: the mark reaches to the end of the written
        // word, short of its punctuation.
        int stop = std::max(starts_[end], start);
        while (stop < text_.size() && !text_.at(stop).isSpace())
            ++stop;
        while (stop > starts_[end] && text_.at(stop - 1).isPunct())
            --stop;
        return {SpeechMark::Kind::Word, sample, start, stop - start, MouthShape::Closed};
    }
    bool cancelled() const { return cancelled_.load(); }

    void cancel()
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }

    void deliverChunk(QByteArray pcm, int sampleRate, std::vector<SpeechMark> marks)
    {
        post([handler = onChunk_, pcm = std::move(pcm), sampleRate, marks = std::move(marks)] {
            handler(pcm, sampleRate, marks);
        });
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
    std::vector<int> starts_;
    std::mutex mutex_;
    std::atomic<bool> cancelled_{false};
};

namespace {

int sampleRate = 0; // written once by the worker before any synthesis

std::vector<SpeechMark> marksOf(const SpeechJob& job, const espeak_EVENT* event)
{
    std::vector<SpeechMark> marks;
    for (; event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type == espeakEVENT_WORD) {
            marks.push_back(job.word(event->text_position, event->length, event->sample));
        } else if (event->type == espeakEVENT_PHONEME) {
            const char* name = event->id.string;
            const QByteArrayView phoneme(name, qsizetype(strnlen(name, sizeof event->id.string)));
            marks.push_back(
                {SpeechMark::Kind::Sound, event->sample, 0, 0, ReadAlong::mouthFor(phoneme)});
        }
    }
    return marks;
}

int onSynthesised(short* wav, int samples, espeak_EVENT* events)
{
    auto* job = events ? static_cast<SpeechJob*>(events->user_data) : nullptr;
    if (!job || job->cancelled())
        return 1; // stops espeak's synthesis of this text
    QByteArray pcm;
    if (wav && samples > 0)
        pcm = QByteArray(reinterpret_cast<const char*>(wav),
                         qsizetype(samples) * qsizetype(sizeof(short)));
    std::vector<SpeechMark> marks = marksOf(*job, events);
    if (!pcm.isEmpty() || !marks.empty())
        job->deliverChunk(std::move(pcm), sampleRate, std::move(marks));
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
    // Without DONT_EXIT espeak_Initialize() ends the whole process when the voice data is
    // missing; only it turns on the phoneme events the mouth follows.
    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kChunkMs, nullptr,
                          espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT);
    usable = rate > 0 && espeak_SetVoiceByName(kVoiceName) == EE_OK;
    if (usable) {
        sampleRate = rate;
        espeak_SetSynthCallback(&onSynthesised);
        espeak_SetParameter(espeakRATE, kWordsPerMinute, 0);
        espeak_SetParameter(espeakPITCH, kPitch, 0);
        espeak_SetParameter(espeakRANGE, kRange, 0);
        espeak_SetParameter(espeakWORDGAP, kWordGap, 0);
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
