// How fast the wizard starts talking, what one frame of him costs, and his memory.
#include "agentcharacter.h"
#include "agentcharacters.h"
#include "agentcontrol.h"
#include "animator.h"
#include "balloonwindow.h"
#include "characterdescription.h"
#include "espeakvoice.h"
#include "figurerenderer.h"
#include "pcmplayer.h"
#include "recordingsynthesiser.h"
#include "sparklefield.h"

#include <QApplication>
#include <QBitmap>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

const QString kMerlinFile = QStringLiteral("C:\\WINDOWS\\msagent\\chars\\Merlin.acs");
const QString kGreeting = QStringLiteral("Ciao. Vuoi giocare con me con l'abaco? E allora che il "
                                         "gioco abbia inizio. Che la magia sia con te");

// Stands in for the sound card: notes when the first sound reaches it, then "plays" at once.
class ProbePlayer : public PcmPlayer {
public:
    explicit ProbePlayer(QElapsedTimer* clock, qint64* firstBufferNs)
        : clock_(clock)
        , firstBufferNs_(firstBufferNs)
    {}
    void begin(int) override {}
    void append(const QByteArray&) override
    {
        if (*firstBufferNs_ < 0)
            *firstBufferNs_ = clock_->nsecsElapsed();
    }
    void end() override
    {
        QMetaObject::invokeMethod(this, &PcmPlayer::drained, Qt::QueuedConnection);
    }
    void stop() override {}
    qint64 playedUSecs() const override { return 0; }

private:
    QElapsedTimer* clock_;
    qint64* firstBufferNs_;
};

// What a real-time player saw of one text: when it began and when each piece of sound came.
struct PlaybackLog {
    int sampleRate = 0;
    qint64 beginNs = -1;
    struct Piece {
        qint64 samplesSoFar; // samples handed over once this piece was in
        qint64 ns;
    };
    std::vector<Piece> pieces;

    // When the played position reaches a sample: begin() plus the sample's offset, or later if
    // the sound holding it had not come by then.
    qint64 heardNs(qint64 sample) const
    {
        const auto in = std::find_if(pieces.begin(), pieces.end(), [&](const Piece& piece) {
            return piece.samplesSoFar >= sample;
        });
        const qint64 onTime = beginNs + sample * 1'000'000'000 / sampleRate;
        return in == pieces.end() ? onTime : std::max(onTime, in->ns);
    }
};

// Stands in for a sound card that plays in real time: the position runs on the clock from
// begin(), never past the sound handed over, and drained() comes once all of it has been heard.
class RealTimeProbePlayer : public PcmPlayer {
public:
    RealTimeProbePlayer(const QElapsedTimer* clock, PlaybackLog* log)
        : clock_(clock)
        , log_(log)
    {
        drainCheck_.setSingleShot(true);
        drainCheck_.setTimerType(Qt::PreciseTimer);
        connect(&drainCheck_, &QTimer::timeout, this, [this] { checkDrained(); });
    }
    void begin(int sampleRate) override
    {
        log_->sampleRate = sampleRate;
        log_->beginNs = clock_->nsecsElapsed();
        log_->pieces.clear();
        samples_ = 0;
    }
    void append(const QByteArray& pcm) override
    {
        samples_ += pcm.size() / 2;
        log_->pieces.push_back({samples_, clock_->nsecsElapsed()});
    }
    void end() override
    {
        ended_ = true;
        checkDrained();
    }
    void stop() override
    {
        ended_ = false;
        drainCheck_.stop();
    }
    qint64 playedUSecs() const override
    {
        if (log_->beginNs < 0 || log_->sampleRate <= 0)
            return 0;
        const qint64 sinceBegin = (clock_->nsecsElapsed() - log_->beginNs) / 1000;
        return std::min(sinceBegin, soundUSecs());
    }

private:
    qint64 soundUSecs() const { return samples_ * 1'000'000 / log_->sampleRate; }

    void checkDrained()
    {
        if (!ended_)
            return;
        const qint64 left = soundUSecs() - playedUSecs();
        if (left > 0) {
            drainCheck_.start(int(left / 1000) + 1);
            return;
        }
        ended_ = false;
        QMetaObject::invokeMethod(this, &PcmPlayer::drained, Qt::QueuedConnection);
    }

    const QElapsedTimer* clock_;
    PlaybackLog* log_;
    qint64 samples_ = 0;
    bool ended_ = false;
    QTimer drainCheck_;
};

// Notes when the balloon has been painted with a newly marked word.
class MarkedPaintWatcher : public QObject {
public:
    struct Paint {
        int start;
        qint64 ns;
    };

    MarkedPaintWatcher(BalloonWindow* balloon, const QElapsedTimer* clock)
        : balloon_(balloon)
        , clock_(clock)
    {
        balloon_->installEventFilter(this);
    }
    ~MarkedPaintWatcher() override
    {
        if (balloon_)
            balloon_->removeEventFilter(this);
    }
    void restart()
    {
        paints_.clear();
        lastPainted_ = -1;
    }
    const std::vector<Paint>& paints() const { return paints_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != balloon_ || event->type() != QEvent::Paint)
            return false;
        const int marked = balloon_->markedStart();
        // The word is there to see only once the balloon has drawn it, so the time is taken after.
        static_cast<QObject*>(balloon_)->event(event);
        if (marked >= 0 && marked != lastPainted_)
            paints_.push_back({marked, clock_->nsecsElapsed()});
        lastPainted_ = marked;
        return true;
    }

private:
    QPointer<BalloonWindow> balloon_;
    const QElapsedTimer* clock_;
    std::vector<Paint> paints_;
    int lastPainted_ = -1;
};

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

template <typename Done> void spinUntil(Done done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

AgentCharacter& loadAndShow(AgentControl& control)
{
    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    merlin.Show();
    merlin.MoveTo(630, 175);
    merlin.setHeight(205);
    spinUntil([&] { return merlin.isVisible() && !merlin.isBusy() && merlin.queueLength() == 0; });
    return merlin;
}

// Resident memory the character adds to the game: the control loaded, shown and having spoken
// once with the real voice (so espeak-ng's Italian data is in), against the bare application.
void BM_ResidentMemoryOfTheCharacter(benchmark::State& state)
{
    for (auto _ : state) {
        const qint64 before = residentKiB();
        AgentOptions options;
        options.pace = 20; // the silent stand-in for the sound card paces the speech
        auto control = std::make_unique<AgentControl>(options);
        AgentCharacter& merlin = loadAndShow(*control);
        merlin.Speak(QStringLiteral("Sei grande"));
        merlin.Play(QStringLiteral("congratulate_2"));
        spinUntil([&] { return !merlin.isBusy() && merlin.queueLength() == 0; });
        const qint64 after = residentKiB();
        state.counters["rss_before_MiB"] = double(before) / 1024;
        state.counters["rss_added_MiB"] = double(after - before) / 1024;
        state.SetIterationTime(0.001);
    }
}

// From a Speak reaching the front of the queue (requestStarted) to its first synthesised buffer
// being handed to the output layer (here a probe in place of the audio sink).
void BM_SpeakToFirstAudioBuffer(benchmark::State& state)
{
    static QElapsedTimer clock;
    static qint64 firstBufferNs = -1;
    static std::unique_ptr<AgentControl> control;
    static AgentCharacter* merlin = nullptr;
    if (!control) {
        AgentOptions options;
        options.makeVoice = [] {
            return std::make_unique<EspeakVoice>(
                1.0, [] { return std::make_unique<ProbePlayer>(&clock, &firstBufferNs); });
        };
        control = std::make_unique<AgentControl>(options);
        merlin = &loadAndShow(*control);
        QObject::connect(merlin, &AgentCharacter::requestStarted, merlin,
                         [](AgentCharacter::RequestKind kind, const QString&) {
                             if (kind == AgentCharacter::RequestKind::Speak)
                                 clock.start();
                         });
    }
    const QString text = state.range(0) == 0 ? QStringLiteral("Sei grande") : kGreeting;
    for (auto _ : state) {
        firstBufferNs = -1;
        merlin->Speak(text);
        spinUntil([] { return firstBufferNs >= 0; });
        state.SetIterationTime(double(firstBufferNs) / 1e9);
        spinUntil([] { return !merlin->isBusy() && merlin->queueLength() == 0; });
    }
    state.SetLabel(state.range(0) == 0 ? "Sei grande" : "greeting");
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

// From a word's first sample being played (by a stand-in sound card keeping real time) to the
// balloon being painted with that word marked, over the greeting in the real voice. Words the
// balloon never showed marked are counted, not left out. Each greeting's time is its median lag.
void BM_WordMarkLag(benchmark::State& state)
{
    static QElapsedTimer clock;
    clock.start();
    PlaybackLog playback;
    const auto recorder = std::make_shared<RecordingSynthesiser>();
    std::vector<SpeechMark>& words = recorder->words;
    QSet<QWidget*> otherBalloons;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<BalloonWindow*>(widget))
            otherBalloons.insert(widget);

    AgentOptions options;
    options.makeVoice = [&] {
        return std::make_unique<EspeakVoice>(
            1.0, [&] { return std::make_unique<RealTimeProbePlayer>(&clock, &playback); },
            recorder);
    };
    auto control = std::make_unique<AgentControl>(options);
    AgentCharacter& merlin = loadAndShow(*control);

    std::unique_ptr<MarkedPaintWatcher> watcher;
    // Waited for in a blocking event loop, as the game waits: polling would keep the timers
    // that follow the voice unusually punctual.
    QEventLoop speaking;
    QObject::connect(&merlin, &AgentCharacter::speechStarted, &merlin, [&](const QString&) {
        if (watcher)
            return;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* balloon = qobject_cast<BalloonWindow*>(widget);
                balloon && !otherBalloons.contains(widget))
                watcher = std::make_unique<MarkedPaintWatcher>(balloon, &clock);
    });
    QObject::connect(&merlin, &AgentCharacter::speechFinished, &speaking, &QEventLoop::quit);

    std::vector<double> lagsMs;
    std::size_t wordCount = 0;
    std::size_t missed = 0;
    std::size_t unmatched = 0;
    for (auto _ : state) {
        playback = {};
        words.clear();
        if (watcher)
            watcher->restart();
        merlin.Speak(kGreeting);
        speaking.exec();
        if (!watcher || words.empty() || playback.beginNs < 0) {
            state.SkipWithError("no balloon, no word marks or no sound: is espeak-ng's Italian "
                                "voice installed?");
            break;
        }

        std::vector<bool> painted(words.size(), false);
        std::vector<double> lags;
        for (const MarkedPaintWatcher::Paint& paint : watcher->paints()) {
            std::size_t i = 0;
            while (i < words.size() && (painted[i] || words[i].start != paint.start))
                ++i;
            if (i == words.size()) {
                ++unmatched;
                continue;
            }
            painted[i] = true;
            lags.push_back(double(paint.ns - playback.heardNs(words[i].sample)) / 1e6);
        }
        wordCount += words.size();
        missed += std::size_t(std::count(painted.begin(), painted.end(), false));
        state.SetIterationTime(lags.empty() ? 0.0 : medianOf(lags) / 1e3);
        lagsMs.insert(lagsMs.end(), lags.begin(), lags.end());
        spinUntil([&] { return !merlin.isBusy() && merlin.queueLength() == 0; });
    }

    if (!lagsMs.empty()) {
        state.counters["median_ms"] = medianOf(lagsMs);
        state.counters["worst_ms"] = *std::max_element(lagsMs.begin(), lagsMs.end());
    }
    state.counters["words"] = double(wordCount);
    state.counters["painted"] = double(lagsMs.size());
    state.counters["missed"] = double(missed);
    state.counters["unmatched"] = double(unmatched);
    state.SetLabel(QStringLiteral("%1 of %2 words painted marked")
                       .arg(lagsMs.size())
                       .arg(wordCount)
                       .toStdString());
    watcher.reset();
}

// One animation frame as the character window makes it: the figure drawn at the game's height
// and the window's shape taken from it, in the middle of the busiest animation.
void BM_AnimationFrame(benchmark::State& state)
{
    auto description =
        std::make_shared<const CharacterDescription>(CharacterDescription::fromFile(kMerlinFile));
    FigureRenderer renderer(description);
    Animator animator(description);
    SparkleField sparkles;
    animator.play(QStringLiteral("congratulate_2"));
    for (double t = 0; t < 1300; t += 20) {
        for (const EffectSpec& effect : animator.advance(20))
            sparkles.release(effect.kind, renderer.anchorPoint(animator.pose(), effect.anchor),
                             effect.count);
        sparkles.advance(20);
    }
    const QSize size(164, 205);
    for (auto _ : state) {
        QImage frame(size, QImage::Format_ARGB32_Premultiplied);
        frame.fill(Qt::transparent);
        {
            QPainter painter(&frame);
            renderer.paint(painter, animator.pose(), sparkles, QSizeF(size));
        }
        const QRegion shape(QBitmap::fromImage(frame.createAlphaMask()));
        benchmark::DoNotOptimize(shape.rectCount());
    }
}

// One frame while the wizard talks: each frame a new mouth shape, caught half-way through its
// easing, as when the voice changes sound faster than the frames come.
void BM_SpeakingFrame(benchmark::State& state)
{
    auto description =
        std::make_shared<const CharacterDescription>(CharacterDescription::fromFile(kMerlinFile));
    FigureRenderer renderer(description);
    Animator animator(description);
    const SparkleField sparkles;
    const std::array shapes{MouthShape::Open, MouthShape::Mid, MouthShape::Round, MouthShape::Teeth,
                            MouthShape::Closed};
    animator.setSpeaking(true);
    std::size_t next = 0;
    const QSize size(164, 205);
    for (auto _ : state) {
        animator.setMouth(shapes[next++ % shapes.size()]);
        animator.advance(30);
        QImage frame(size, QImage::Format_ARGB32_Premultiplied);
        frame.fill(Qt::transparent);
        {
            QPainter painter(&frame);
            renderer.paint(painter, animator.pose(), sparkles, QSizeF(size));
        }
        const QRegion shape(QBitmap::fromImage(frame.createAlphaMask()));
        benchmark::DoNotOptimize(shape.rectCount());
    }
}

} // namespace

BENCHMARK(BM_ResidentMemoryOfTheCharacter)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpeakToFirstAudioBuffer)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(5)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordMarkLag)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimationFrame)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SpeakingFrame)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
