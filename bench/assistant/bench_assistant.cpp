// How fast the wizard starts talking, what one frame of him costs, and his memory.
#include "agentcharacter.h"
#include "agentcharacters.h"
#include "agentcontrol.h"
#include "animator.h"
#include "characterdescription.h"
#include "espeakvoice.h"
#include "figurerenderer.h"
#include "pcmplayer.h"
#include "sparklefield.h"

#include <QApplication>
#include <QBitmap>
#include <QElapsedTimer>
#include <QFile>
#include <QMetaObject>
#include <QPainter>
#include <QRegion>
#include <array>
#include <benchmark/benchmark.h>
#include <memory>

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
