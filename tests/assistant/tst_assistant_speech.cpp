// The Italian voice: espeak-ng off the UI thread, played or paced.
#include "espeakvoice.h"
#include "pacedplayer.h"
#include "recordingplayer.h"
#include "sinkplayer.h"
#include "speechengine.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

struct Loudness {
    double seconds = 0;
    double rms = 0;
    int peak = 0;
};

Loudness loudnessOf(const QByteArray& pcm, int sampleRate)
{
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    double sum = 0;
    int peak = 0;
    for (qsizetype i = 0; i < count; ++i) {
        sum += double(samples[i]) * samples[i];
        peak = std::max(peak, std::abs(int(samples[i])));
    }
    return {double(count) / sampleRate, count ? std::sqrt(sum / count) : 0, peak};
}

} // namespace

class TestSpeech : public QObject {
    Q_OBJECT

private slots:
    void seiGrandeIsAudibleItalian();
    void voicePlaysWhatTheEngineMakes();
    void voiceFinishesWithoutASoundCard();
    void voiceFallsBackWhenTheOutputFails();
    void stoppedVoiceNeverReportsFinished();
    void engineComesBackAfterTheLastHolderLeft();
    void sinkWithoutADeviceReportsFailure();
    void sinkPlaysOnTheDefaultDevice();
};

void TestSpeech::seiGrandeIsAudibleItalian()
{
    auto engine = SpeechEngine::shared();
    QVERIFY2(engine->waitUntilReady(), "espeak-ng or its Italian voice is missing");
    QByteArray pcm;
    int rate = 0;
    bool done = false;
    bool spoken = false;
    QObject receiver;
    engine->synthesize(
        QStringLiteral("Sei grande"), &receiver,
        [&](const QByteArray& chunk, int sampleRate) {
            QCOMPARE(QThread::currentThread(), receiver.thread());
            pcm += chunk;
            rate = sampleRate;
        },
        [&](bool ok) {
            done = true;
            spoken = ok;
        });
    QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
    QVERIFY(spoken);
    QCOMPARE(rate, 22050);
    const Loudness sound = loudnessOf(pcm, rate);
    QVERIFY2(sound.seconds > 0.4 && sound.seconds < 3, qPrintable(QString::number(sound.seconds)));
    QVERIFY2(sound.rms > 500, qPrintable(QString::number(sound.rms)));
    QVERIFY2(sound.peak > 5000, qPrintable(QString::number(sound.peak)));
}

void TestSpeech::voicePlaysWhatTheEngineMakes()
{
    QByteArray heard;
    RecordingPlayer* player = nullptr;
    EspeakVoice voice(1.0, [&] {
        auto made = std::make_unique<RecordingPlayer>(&heard);
        player = made.get();
        return made;
    });
    QSignalSpy finished(&voice, &Voice::finished);
    voice.say(QStringLiteral("Eccezionale! Siamo a 100 punti!"));
    QVERIFY(finished.wait(10000));
    QVERIFY(player);
    QCOMPARE(player->rate, 22050);
    QVERIFY(loudnessOf(heard, 22050).seconds > 1.0);

    // Two texts one after the other, each finished once.
    heard.clear();
    voice.say(QStringLiteral("Sei grande"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.count(), 2);
    QVERIFY(loudnessOf(heard, 22050).rms > 500);
}

void TestSpeech::voiceFinishesWithoutASoundCard()
{
    // Paced silence: as long as the sound would take, sped up here.
    EspeakVoice voice(20.0, [] { return std::make_unique<PacedPlayer>(20.0); });
    QSignalSpy finished(&voice, &Voice::finished);
    voice.say(QStringLiteral("Sei veramente ok. Sei arrivato a 50 punti!"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.count(), 1);
}

void TestSpeech::voiceFallsBackWhenTheOutputFails()
{
    QByteArray heard;
    int players = 0;
    EspeakVoice voice(20.0, [&] {
        ++players;
        return std::make_unique<RecordingPlayer>(&heard, true);
    });
    QSignalSpy finished(&voice, &Voice::finished);
    voice.say(QStringLiteral("Sei grande"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(players, 1);
}

void TestSpeech::stoppedVoiceNeverReportsFinished()
{
    QByteArray heard;
    EspeakVoice voice(1.0, [&] { return std::make_unique<PacedPlayer>(1.0); });
    QSignalSpy finished(&voice, &Voice::finished);
    voice.say(QStringLiteral("Ciao. Vuoi giocare con me con l'abaco?"));
    voice.stop();
    QTest::qWait(300);
    QCOMPARE(finished.count(), 0);
    voice.say(QStringLiteral("Sei grande"));
    voice.stop();
    voice.say(QStringLiteral("Sei grande"));
    QVERIFY(finished.wait(10000));
    QTest::qWait(100);
    QCOMPARE(finished.count(), 1);
}

// A restarted game builds a new control after the old one (and the engine) went away.
void TestSpeech::engineComesBackAfterTheLastHolderLeft()
{
    for (int round = 0; round < 3; ++round) {
        QByteArray heard;
        {
            EspeakVoice voice(1.0, [&] { return std::make_unique<RecordingPlayer>(&heard); });
            QVERIFY(SpeechEngine::running());
            QSignalSpy finished(&voice, &Voice::finished);
            voice.say(QStringLiteral("Sei grande"));
            QVERIFY(finished.wait(10000));
        }
        QVERIFY(!SpeechEngine::running());
        QVERIFY2(loudnessOf(heard, 22050).rms > 500, qPrintable(QString::number(round)));
    }
}

namespace {

QByteArray tone(double seconds)
{
    QByteArray pcm(qsizetype(seconds * 22050) * 2, '\0');
    auto* samples = reinterpret_cast<qint16*>(pcm.data());
    for (qsizetype i = 0; i < pcm.size() / 2; ++i)
        samples[i] = qint16(6000 * std::sin(double(i) * 0.09));
    return pcm;
}

} // namespace

// What a machine without sound (CI) gives: the player must say so rather than hang.
void TestSpeech::sinkWithoutADeviceReportsFailure()
{
    if (!QMediaDevices::defaultAudioOutput().isNull())
        QSKIP("a sound server is running, and Qt plays a null device on it");
    SinkPlayer player{QAudioDevice()};
    QSignalSpy failed(&player, &PcmPlayer::failed);
    QSignalSpy drained(&player, &PcmPlayer::drained);
    player.begin(22050);
    player.append(tone(0.5));
    player.end();
    QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty() || !drained.isEmpty(), 10000);
    QCOMPARE(failed.count(), 1);
}

void TestSpeech::sinkPlaysOnTheDefaultDevice()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        QSKIP("no audio output on this machine");
    SinkPlayer player(device);
    QSignalSpy drained(&player, &PcmPlayer::drained);
    QSignalSpy failed(&player, &PcmPlayer::failed);
    player.begin(22050);
    player.append(tone(0.3));
    player.append(tone(0.3));
    player.end();
    QTRY_VERIFY_WITH_TIMEOUT(!drained.isEmpty() || !failed.isEmpty(), 15000);
    QCOMPARE(drained.count(), 1);
}

QTEST_MAIN(TestSpeech)
#include "tst_assistant_speech.moc"
