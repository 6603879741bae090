// The Italian voice: espeak-ng off the UI thread, played or paced.
#include "beatsynthesiser.h"
#include "espeakvoice.h"
#include "pacedplayer.h"
#include "readalong.h"
#include "recordingplayer.h"
#include "recordingsynthesiser.h"
#include "sinkplayer.h"
#include "speechengine.h"
#include "spokenform.h"

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

const QString kGreeting = QStringLiteral("Ciao. Vuoi giocare con me con l'abaco? E allora che il "
                                         "gioco abbia inizio. Che la magia sia con te");
constexpr int kRate = 22050;

SpeechMark word(qint64 sample, int start, int length)
{
    return {SpeechMark::Kind::Word, sample, start, length, MouthShape::Closed};
}

SpeechMark sound(qint64 sample, MouthShape mouth)
{
    return {SpeechMark::Kind::Sound, sample, 0, 0, mouth};
}

// "Il numero è ventitre": four words with chosen timings, one sound a word.
const std::vector<SpeechMark> kCorrectionMarks = {
    word(0, 0, 2),
    sound(0, MouthShape::Mid),
    word(3000, 3, 6),
    sound(3400, MouthShape::Round),
    word(11000, 10, 1),
    sound(11000, MouthShape::Mid),
    word(12600, 12, 8),
    sound(12900, MouthShape::Teeth),
    sound(26000, MouthShape::Closed),
};

constexpr qint64 kBeat = BeatSynthesiser::kRate / 10; // a word every 100 ms

// The played position, in microseconds, at a sample.
constexpr qint64 usecsAt(qint64 sample)
{
    return sample * 1'000'000 / BeatSynthesiser::kRate;
}

// The words of a text as the voice reports them heard.
QList<QVariantList> wordsOf(const QString& text)
{
    QList<QVariantList> words;
    for (const QRegularExpressionMatch& match : BeatSynthesiser::wordPattern().globalMatch(text))
        words.append({int(match.capturedStart()), int(match.capturedLength())});
    return words;
}

// What the game has Merlin say first, and a correction.
void addSpokenTexts()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("greeting") << kGreeting;
    QTest::newRow("correction") << QStringLiteral("Attenzione hai sbagliato! Il numero è");
    QTest::newRow("one word") << QStringLiteral("ventitre");
}

// A synthesiser that "makes" a chosen length of silence with chosen marks, in one piece.
class ScriptedSynthesiser : public Synthesiser {
public:
    ScriptedSynthesiser(qint64 samples, std::vector<SpeechMark> marks)
        : pcm_(QByteArray(samples * 2, '\0'))
        , marks_(std::move(marks))
    {}
    std::shared_ptr<SpeechJob> synthesize(const QString& text, QObject* receiver,
                                          ChunkHandler onChunk, DoneHandler onDone) override
    {
        said = text;
        QMetaObject::invokeMethod(
            receiver,
            [this, onChunk, onDone] {
                onChunk(pcm_, kRate, marks_);
                onDone(true);
            },
            Qt::QueuedConnection);
        return nullptr;
    }
    void cancel(const std::shared_ptr<SpeechJob>&) override {}
    bool hasVoice() override { return true; }

    QString said;

private:
    QByteArray pcm_;
    std::vector<SpeechMark> marks_;
};

} // namespace

class TestSpeech : public QObject {
    Q_OBJECT

private slots:
    void seiGrandeIsAudibleItalian();
    void wordMarksFollowTheGreeting();
    void compoundsOfTreAreSaidWithTheirAccent_data();
    void compoundsOfTreAreSaidWithTheirAccent();
    void readAlongAtAPlayedPosition_data();
    void readAlongAtAPlayedPosition();
    void mouthForEachFamilyOfSounds_data();
    void mouthForEachFamilyOfSounds();
    void voiceMarksWhatHasBeenHeard();
    void eachWordAndItsMouthAsTheyAreHeard_data() { addSpokenTexts(); }
    void eachWordAndItsMouthAsTheyAreHeard();
    void anyTextIsReadAlongToItsEnd_data();
    void anyTextIsReadAlongToItsEnd();
    void withoutASoundCardEveryWordIsMarkedInTurn_data() { addSpokenTexts(); }
    void withoutASoundCardEveryWordIsMarkedInTurn();
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
        [&](const QByteArray& chunk, int sampleRate, const std::vector<SpeechMark>&) {
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

void TestSpeech::wordMarksFollowTheGreeting()
{
    auto engine = SpeechEngine::shared();
    QVERIFY(engine->waitUntilReady());
    std::vector<SpeechMark> words;
    qint64 samples = 0;
    bool done = false;
    QObject receiver;
    engine->synthesize(
        kGreeting, &receiver,
        [&](const QByteArray& pcm, int, const std::vector<SpeechMark>& marks) {
            samples += pcm.size() / 2;
            for (const SpeechMark& mark : marks)
                if (mark.kind == SpeechMark::Kind::Word)
                    words.push_back(mark);
        },
        [&](bool) { done = true; });
    QTRY_VERIFY(done);
    QStringList said;
    qint64 previous = -1;
    for (const SpeechMark& mark : words) {
        said << kGreeting.mid(mark.start, mark.length);
        QVERIFY(mark.sample > previous);
        QVERIFY(mark.sample < samples);
        previous = mark.sample;
    }
    QStringList expected = kGreeting.split(u' ');
    for (QString& w : expected)
        w.remove(QRegularExpression(QStringLiteral("[.?]$")));
    QCOMPARE(said, expected);
}

void TestSpeech::compoundsOfTreAreSaidWithTheirAccent_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("said");
    QTest::newRow("alone") << "ventitre"
                           << "ventitré";
    QTest::newRow("in a sentence, capitals") << "Il numero è TRENTATRE, non centotre."
                                             << "Il numero è TRENTATRÉ, non centotré.";
    QTest::newRow("other words ending in tre") << "tre mentre altre nostre"
                                               << "tre mentre altre nostre";
    QTest::newRow("inside a longer word") << "ventitreesimo tredici"
                                          << "ventitreesimo tredici";
}

// espeak-ng stresses "ventitre" as "ventìtre"; the text keeps its length for the marks.
void TestSpeech::compoundsOfTreAreSaidWithTheirAccent()
{
    QFETCH(QString, written);
    QFETCH(QString, said);
    QCOMPARE(spokenForm(written), said);
}

void TestSpeech::readAlongAtAPlayedPosition_data()
{
    QTest::addColumn<qint64>("sample");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<MouthShape>("mouth");
    QTest::newRow("first sound") << qint64(0) << 0 << 2 << MouthShape::Mid;
    QTest::newRow("word begun, its sound not yet") << qint64(3200) << 3 << 6 << MouthShape::Mid;
    QTest::newRow("inside the second word") << qint64(5000) << 3 << 6 << MouthShape::Round;
    QTest::newRow("one-letter word") << qint64(11000) << 10 << 1 << MouthShape::Mid;
    QTest::newRow("last word") << qint64(20000) << 12 << 8 << MouthShape::Teeth;
    QTest::newRow("pause after it") << qint64(30000) << 12 << 8 << MouthShape::Closed;
}

void TestSpeech::readAlongAtAPlayedPosition()
{
    QFETCH(qint64, sample);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(MouthShape, mouth);
    ReadAlong marks;
    QVERIFY(!marks.hasWords());
    QCOMPARE(marks.wordAt(sample), SpokenWord{});
    // In two pieces, as the sound arrives.
    marks.add({kCorrectionMarks.begin(), kCorrectionMarks.begin() + 4});
    marks.add({kCorrectionMarks.begin() + 4, kCorrectionMarks.end()});
    QCOMPARE(marks.wordAt(sample), (SpokenWord{start, length}));
    QCOMPARE(marks.mouthAt(sample), mouth);
}

void TestSpeech::mouthForEachFamilyOfSounds_data()
{
    QTest::addColumn<QByteArray>("phoneme");
    QTest::addColumn<MouthShape>("mouth");
    QTest::newRow("m") << QByteArray("m") << MouthShape::Closed;
    QTest::newRow("b") << QByteArray("b") << MouthShape::Closed;
    QTest::newRow("pause") << QByteArray("_:") << MouthShape::Closed;
    QTest::newRow("a") << QByteArray("a") << MouthShape::Open;
    QTest::newRow("e") << QByteArray("e") << MouthShape::Mid;
    QTest::newRow("i") << QByteArray("i") << MouthShape::Mid;
    QTest::newRow("open o") << QByteArray("O") << MouthShape::Round;
    QTest::newRow("u") << QByteArray("u") << MouthShape::Round;
    QTest::newRow("f") << QByteArray("f") << MouthShape::Teeth;
    QTest::newRow("v") << QByteArray("v") << MouthShape::Teeth;
    QTest::newRow("ch") << QByteArray("tS") << MouthShape::Mid;
    QTest::newRow("nothing") << QByteArray() << MouthShape::Closed;
}

void TestSpeech::mouthForEachFamilyOfSounds()
{
    QFETCH(QByteArray, phoneme);
    QFETCH(MouthShape, mouth);
    QCOMPARE(ReadAlong::mouthFor(phoneme), mouth);
}

// The engine is given the text as said; a word that sounded wholly between two looks at the
// sound card is never marked. The rest of the read-along: eachWordAndItsMouthAsTheyAreHeard.
void TestSpeech::voiceMarksWhatHasBeenHeard()
{
    RecordingPlayer* player = nullptr;
    QByteArray played;
    auto synthesiser = std::make_shared<ScriptedSynthesiser>(30000, kCorrectionMarks);
    EspeakVoice voice(1.0, heldPlayers(&played, &player), synthesiser);
    QSignalSpy words(&voice, &Voice::wordHeard);
    voice.say(QStringLiteral("Il numero è ventitre"));
    QTRY_VERIFY(player);
    QCOMPARE(synthesiser->said, QStringLiteral("Il numero è ventitré"));
    player->played = 20000 * 1'000'000LL / kRate;
    QTRY_COMPARE(words.last(), (QVariantList{12, 8}));
    QCOMPARE(words.first(), (QVariantList{0, 2}));
    QCOMPARE(words.count(), 2); // "numero" and "è" passed between the two looks
}

// Word after word, as the sound card plays them: each word marked from its start, its mouth
// shaped while it sounds and shut before the next; nothing marked once all is heard.
void TestSpeech::eachWordAndItsMouthAsTheyAreHeard()
{
    QFETCH(QString, text);
    RecordingPlayer* player = nullptr;
    QByteArray played;
    EspeakVoice voice(1.0, heldPlayers(&played, &player), std::make_shared<BeatSynthesiser>(kBeat));
    QSignalSpy words(&voice, &Voice::wordHeard);
    QSignalSpy mouths(&voice, &Voice::mouthShaped);
    QSignalSpy finished(&voice, &Voice::finished);
    const auto lastWord = [&] {
        return words.isEmpty() ? QVariantList() : words.last();
    };
    const auto lastMouth = [&] {
        return mouths.isEmpty() ? MouthShape::Closed : mouths.last().first().value<MouthShape>();
    };
    voice.say(text);
    QTRY_VERIFY(player);
    const QList<QVariantList> expected = wordsOf(text);
    for (int i = 0; i < expected.size(); ++i) {
        player->played = usecsAt(i * kBeat + kBeat / 2);
        QTRY_COMPARE(lastWord(), expected[i]);
        QTRY_COMPARE(lastMouth(), BeatSynthesiser::mouthOfWord(i));
        player->played = usecsAt(i * kBeat + kBeat * 7 / 8);
        QTRY_COMPARE(lastMouth(), MouthShape::Closed);
        QCOMPARE(lastWord(), expected[i]);
    }
    QCOMPARE(finished.count(), 0); // until the last sound has been played
    player->finish();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(lastWord(), (QVariantList{-1, 0}));
    QCOMPARE(lastMouth(), MouthShape::Closed);
}

void TestSpeech::anyTextIsReadAlongToItsEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hasWords");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("only punctuation") << "?! ... ,;" << false;
    QTest::newRow("accents and unknown characters")
        << QStringLiteral("Perché però… \U0001F9D9 ĳ 中文\u200b ß ") + QChar(0xD800) + " fine"
        << true;
    QStringList greetings;
    for (int i = 0; i < 12; ++i)
        greetings << kGreeting;
    QTest::newRow("long text") << greetings.join(' ') << true;
}

// With the real engine and a sound card played as far as the test says: every word is marked
// in turn, inside the text, up to the last one; then nothing is.
void TestSpeech::anyTextIsReadAlongToItsEnd()
{
    QFETCH(QString, text);
    QFETCH(bool, hasWords);
    auto synthesiser = std::make_shared<RecordingSynthesiser>();
    RecordingPlayer* player = nullptr;
    QByteArray played;
    EspeakVoice voice(10, heldPlayers(&played, &player), synthesiser);
    QSignalSpy words(&voice, &Voice::wordHeard);
    QSignalSpy finished(&voice, &Voice::finished);
    voice.say(text);
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1 || (player && player->ended), 20000);

    const std::vector<SpeechMark>& marks = synthesiser->words;
    QCOMPARE(!marks.empty(), hasWords);
    qint64 previous = 0;
    for (const SpeechMark& mark : marks) {
        QVERIFY(mark.start >= 0 && mark.length > 0 && mark.start + mark.length <= text.size());
        QVERIFY(mark.sample >= previous && mark.sample <= played.size() / 2);
        previous = mark.sample;
    }
    if (hasWords) // the last word of the text is among them
        QVERIFY(marks.back().start + marks.back().length >= text.trimmed().size() - 1);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (i + 1 < marks.size() && marks[i + 1].sample == marks[i].sample)
            continue; // said at once: only the later one is ever heard
        player->played = (marks[i].sample + 1) * 1'000'000 / player->rate;
        const QVariantList expected{marks[i].start, marks[i].length};
        QTRY_VERIFY2(!words.isEmpty() && words.last() == expected,
                     qPrintable(text.mid(marks[i].start, marks[i].length)));
    }
    if (player)
        player->finish();
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(words.isEmpty() || words.last() == (QVariantList{-1, 0}));
}

// Paced by the clock the silent player keeps, word by word: every word in turn, none skipped
// (a timer that ends early never marks the last), and none stays.
void TestSpeech::withoutASoundCardEveryWordIsMarkedInTurn()
{
    QFETCH(QString, text);
    EspeakVoice voice(
        1.0, [] { return std::make_unique<PacedPlayer>(1.0); },
        std::make_shared<BeatSynthesiser>(kBeat));
    QSignalSpy words(&voice, &Voice::wordHeard);
    QSignalSpy mouths(&voice, &Voice::mouthShaped);
    QSignalSpy finished(&voice, &Voice::finished);
    voice.say(text);
    QVERIFY(finished.wait(10000));
    QList<QVariantList> heard = words;
    QVERIFY(!heard.isEmpty());
    QCOMPARE(heard.takeLast(), (QVariantList{-1, 0}));
    QCOMPARE(heard, wordsOf(text));
    QVERIFY(mouths.isEmpty() || mouths.last().first().value<MouthShape>() == MouthShape::Closed);
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
            QSignalSpy finished(&voice, &Voice::finished);
            voice.say(QStringLiteral("Sei grande"));
            QVERIFY(SpeechEngine::running());
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
