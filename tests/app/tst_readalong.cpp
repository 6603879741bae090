// The game with our assistant and a voice whose timing the test chooses: the balloon marks each
// word of the greeting and of a correction as it is heard, the mouth takes each word's shape, and
// a restart in the middle of a word leaves nothing marked.
#include "agentcontrol.h"
#include "balloonwindow.h"
#include "beatsynthesiser.h"
#include "characterwindow.h"
#include "espeakvoice.h"
#include "game.h"
#include "look.h"
#include "pacedplayer.h"
#include "recordingplayer.h"
#include "restarting.h"
#include "scriptedrandom.h"
#include "tavola.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString kGreeting = QStringLiteral("Ciao. Vuoi giocare con me con l'abaco? E allora che il "
                                         "gioco abbia inizio. Che la magia sia con te");
const QString kLead = QStringLiteral("Attenzione hai sbagliato! Il numero è");
constexpr qint64 kBeat = BeatSynthesiser::kRate / 10; // a word every 100 ms

// The played position, in microseconds, at a sample.
constexpr qint64 usecsAt(qint64 sample)
{
    return sample * 1'000'000 / BeatSynthesiser::kRate;
}

QStringList wordsOf(const QString& text)
{
    QStringList words;
    for (const QRegularExpressionMatch& match : BeatSynthesiser::wordPattern().globalMatch(text))
        words << match.captured();
    return words;
}

template <typename T> T* topLevel()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(widget))
            return found;
    return nullptr;
}

QString markedWord(const BalloonWindow* balloon)
{
    return balloon->markedStart() < 0
               ? QString()
               : balloon->text().mid(balloon->markedStart(), balloon->markedLength());
}

// The word marked in each repaint of the balloon, once per change.
class PaintedMarks : public QObject {
public:
    explicit PaintedMarks(BalloonWindow* balloon)
        : balloon_(balloon)
    {
        balloon->installEventFilter(this);
    }
    QStringList words;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == balloon_ && event->type() == QEvent::Paint) {
            const QString word = markedWord(balloon_);
            if (!word.isEmpty() && (words.isEmpty() || words.last() != word))
                words << word;
        }
        return false;
    }

private:
    QPointer<BalloonWindow> balloon_;
};

} // namespace

class TestReadAlong : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void greetingAndCorrectionAreReadAlong();
    void withoutASoundCardTheMarksArePaced();
    void restartInTheMiddleOfAWordLeavesNoMark();

private:
    void startGame(bool soundCard);
    void answerWrong();
    void greetThenLeadTheCorrection();
    // Plays the text word by word on the held player and checks the balloon and the mouth.
    void readAlong(const QString& text, int player);

    std::unique_ptr<Game> game;
    QList<QPointer<RecordingPlayer>> players;
    QByteArray heard;
};

void TestReadAlong::initTestCase()
{
    applyLook();
}

void TestReadAlong::cleanup()
{
    game.reset();
    players.clear();
}

void TestReadAlong::startGame(bool soundCard)
{
    game = std::make_unique<Game>([this, soundCard] {
        AgentOptions options;
        options.pace = 25; // the animations and glides; the speech keeps its own time
        options.makeVoice = [this, soundCard]() -> std::unique_ptr<Voice> {
            EspeakVoice::PlayerFactory player;
            if (soundCard)
                player = [this]() -> std::unique_ptr<PcmPlayer> {
                    auto made = std::make_unique<RecordingPlayer>(&heard);
                    made->held = true;
                    players << made.get();
                    return made;
                };
            else
                player = [] {
                    return std::make_unique<PacedPlayer>(1.0);
                };
            return std::make_unique<EspeakVoice>(1.0, player,
                                                 std::make_shared<BeatSynthesiser>(kBeat));
        };
        return std::make_unique<Tavola>(std::make_unique<ScriptedRandom>(std::deque<int>{23}),
                                        std::make_unique<AgentControl>(options));
    });
    game->start();
    QApplication::setActiveWindow(game->window());
    QVERIFY(QTest::qWaitForWindowActive(game->window()));
}

void TestReadAlong::answerWrong()
{
    QApplication::setActiveWindow(game->window()); // from the character's windows
    QVERIFY(QTest::qWaitForWindowActive(game->window()));
    auto* box = game->window()->findChild<QLineEdit*>(QStringLiteral("Text3"));
    box->setFocus();
    box->insert(QStringLiteral("0"));
    QTest::keyClick(box, Qt::Key_Return); // the focus leaves the box: the correction
}

void TestReadAlong::readAlong(const QString& text, int playerIndex)
{
    QTRY_VERIFY_WITH_TIMEOUT(players.size() > playerIndex, 5000);
    RecordingPlayer* player = players[playerIndex];
    QVERIFY(player);
    auto* balloon = topLevel<BalloonWindow>();
    auto* figure = topLevel<CharacterWindow>();
    QVERIFY(balloon && figure);
    QTRY_COMPARE(balloon->text(), text);
    const QStringList words = wordsOf(text);
    for (int i = 0; i < words.size(); ++i) {
        player->played = usecsAt(i * kBeat + kBeat / 2);
        QTRY_COMPARE(markedWord(balloon), words[i]);
        QTRY_COMPARE(figure->mouth(), BeatSynthesiser::mouthOfWord(i));
        player->played = usecsAt(i * kBeat + kBeat * 7 / 8);
        QTRY_COMPARE(figure->mouth(), MouthShape::Closed); // between words
        QCOMPARE(markedWord(balloon), words[i]);
    }
    QVERIFY(balloon->isVisible()); // until the last word has been heard
    player->finish();
    QCOMPARE(balloon->markedStart(), -1);
    QCOMPARE(figure->mouth(), MouthShape::Closed);
}

void TestReadAlong::greetThenLeadTheCorrection()
{
    startGame(true);
    readAlong(kGreeting, 0);
    if (QTest::currentTestFailed())
        return;
    answerWrong();
    if (QTest::currentTestFailed())
        return;
    readAlong(kLead, 1);
}

void TestReadAlong::greetingAndCorrectionAreReadAlong()
{
    greetThenLeadTheCorrection();
    if (QTest::currentTestFailed())
        return;
    readAlong(QStringLiteral("ventitre"), 2);
}

// The same marks, timed by the clock the silent player keeps: every word in order, none skipped.
void TestReadAlong::withoutASoundCardTheMarksArePaced()
{
    startGame(false);
    auto* balloon = topLevel<BalloonWindow>();
    QVERIFY(balloon);
    PaintedMarks painted(balloon);
    answerWrong(); // heard after the greeting
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(painted.words.endsWith("ventitre"), 10000);
    QTRY_COMPARE(balloon->markedStart(), -1);
    QCOMPARE(painted.words, wordsOf(kGreeting + ' ' + kLead + QStringLiteral(" ventitre")));
    QCOMPARE(topLevel<CharacterWindow>()->mouth(), MouthShape::Closed);
}

void TestReadAlong::restartInTheMiddleOfAWordLeavesNoMark()
{
    greetThenLeadTheCorrection();
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY(players.size() == 3);
    players.last()->played = usecsAt(kBeat / 2);
    QTRY_COMPARE(markedWord(topLevel<BalloonWindow>()), "ventitre");

    QVERIFY(restartFromTheMenu(*game));
    QVERIFY(players.first().isNull() && players.last().isNull()); // the old voice is gone
    // One balloon, the new greeting's, marked at its own first word.
    readAlong(kGreeting, 3);
    if (QTest::currentTestFailed())
        return;
    int balloons = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        balloons += qobject_cast<BalloonWindow*>(widget) != nullptr;
    QCOMPARE(balloons, 1);
}

QTEST_MAIN(TestReadAlong)
#include "tst_readalong.moc"
