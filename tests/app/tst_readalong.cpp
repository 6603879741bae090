// The game with our assistant and a voice the test drives: the balloon marks each word of the
// greeting and of a correction as the voice hears it, for the eye alone (a screen reader is shown
// no selection or caret moving with it, which it would read as a stream of words), and the mouth
// takes the shape of each sound; a restart in the middle of a word leaves nothing marked. How the
// real voice times its words is the voice's own test.
#include "activation.h"
#include "agentcharacter.h"
#include "agentcontrol.h"
#include "fakevoice.h"
#include "game.h"
#include "look.h"
#include "restarting.h"
#include "scriptedrandom.h"
#include "tavola.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>

#include <array>
#include <memory>
#include <utility>

namespace {

const QString kGreeting = QStringLiteral("Ciao. Vuoi giocare con me con l'abaco? E allora che il "
                                         "gioco abbia inizio. Che la magia sia con te");
const QString kLead = QStringLiteral("Attenzione hai sbagliato! Il numero è");
constexpr std::array kShapes{MouthShape::Open, MouthShape::Mid, MouthShape::Round,
                             MouthShape::Teeth};

using Span = std::pair<int, int>; // from, to: a word's place in the text
const Span kNoMark{-1, -1};

QList<Span> wordsOf(const QString& text)
{
    static const QRegularExpression word(QStringLiteral(R"([\w']+)"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    QList<Span> words;
    for (const QRegularExpressionMatch& match : word.globalMatch(text))
        words.append({int(match.capturedStart()), int(match.capturedEnd())});
    return words;
}

// Merlin's balloons as a screen reader finds them: notifications among the top-level windows.
QList<QAccessibleInterface*> balloons()
{
    QList<QAccessibleInterface*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(widget);
            readable && readable->role() == QAccessible::Notification)
            found.append(readable);
    return found;
}

QAccessibleInterface* shownBalloon()
{
    for (QAccessibleInterface* balloon : balloons())
        if (!balloon->state().invisible)
            return balloon;
    return nullptr;
}

QString balloonText()
{
    QAccessibleInterface* balloon = shownBalloon();
    return balloon ? balloon->text(QAccessible::Name) : QString();
}

// What a screen reader is shown of the mark: a selection or a caret away from the start.
bool markExposed()
{
    QAccessibleInterface* balloon = shownBalloon();
    QAccessibleTextInterface* text = balloon ? balloon->textInterface() : nullptr;
    return text && (text->selectionCount() > 0 || text->cursorPosition() != 0);
}

} // namespace

class TestReadAlong : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void greetingAndCorrectionAreReadAlong();
    void restartInTheMiddleOfAWordLeavesNoMark();

private:
    void startGame();
    void answerWrong();
    // Has the voice hear the text word by word, checking the balloon and the mouth.
    void readAlong(const QString& text);
    AgentCharacter& merlin() { return control->Characters()(QStringLiteral("Merlin")); }
    // The word shown as heard.
    Span mark() { return merlin().balloonMark().value_or(kNoMark); }

    std::unique_ptr<Game> game;
    QPointer<AgentControl> control; // owned by the current window
    QPointer<FakeVoice> voice;      // owned by Merlin, once on stage
};

void TestReadAlong::initTestCase()
{
    applyLook();
}

void TestReadAlong::cleanup()
{
    game.reset();
}

void TestReadAlong::startGame()
{
    game = std::make_unique<Game>([this] {
        AgentOptions options;
        options.pace = 25; // the animations and glides; the voice keeps the test's time
        options.makeVoice = [this]() -> std::unique_ptr<Voice> {
            auto made = std::make_unique<FakeVoice>();
            voice = made.get();
            return made;
        };
        auto made = std::make_unique<AgentControl>(options);
        control = made.get();
        return std::make_unique<Tavola>(std::make_unique<ScriptedRandom>(std::deque<int>{23}),
                                        std::move(made));
    });
    game->start();
    QVERIFY(makeActive(game->window()));
}

void TestReadAlong::answerWrong()
{
    QVERIFY(makeActive(game->window())); // from the character's windows
    auto* box = game->window()->findChild<QLineEdit*>(QStringLiteral("Text3"));
    box->setFocus();
    box->insert(QStringLiteral("0"));
    QTest::keyClick(box, Qt::Key_Return); // the focus leaves the box: the correction
}

void TestReadAlong::readAlong(const QString& text)
{
    QTRY_VERIFY_WITH_TIMEOUT(voice && voice->speaking && voice->said.last() == text, 5000);
    QTRY_COMPARE(balloonText(), text);
    QCOMPARE(mark(), kNoMark); // nothing heard yet
    const QList<Span> words = wordsOf(text);
    for (int i = 0; i < words.size(); ++i) {
        const auto [from, to] = words[i];
        const MouthShape shape = kShapes[std::size_t(i) % kShapes.size()];
        voice->hear(from, to - from);
        voice->shape(shape);
        QCOMPARE(mark(), words[i]);
        QVERIFY(!markExposed());
        QCOMPARE(merlin().mouth(), shape);
        voice->shape(MouthShape::Closed); // between words
        QCOMPARE(merlin().mouth(), MouthShape::Closed);
        QCOMPARE(mark(), words[i]);
    }
    voice->hear(-1, 0);
    QCOMPARE(mark(), kNoMark);
    voice->shape(MouthShape::Open); // the voice ends with its lips apart: he closes them himself
    voice->finish();
    QCOMPARE(merlin().mouth(), MouthShape::Closed);
}

void TestReadAlong::greetingAndCorrectionAreReadAlong()
{
    startGame();
    readAlong(kGreeting);
    if (QTest::currentTestFailed())
        return;
    answerWrong();
    if (QTest::currentTestFailed())
        return;
    readAlong(kLead);
    if (QTest::currentTestFailed())
        return;
    readAlong(QStringLiteral("ventitre"));
    QCOMPARE(voice->said, (QStringList{kGreeting, kLead, QStringLiteral("ventitre")}));
}

void TestReadAlong::restartInTheMiddleOfAWordLeavesNoMark()
{
    startGame();
    readAlong(kGreeting);
    if (QTest::currentTestFailed())
        return;
    answerWrong();
    readAlong(kLead);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY(voice->said.last() == QStringLiteral("ventitre"));
    voice->hear(0, 8);
    voice->shape(MouthShape::Teeth);
    QCOMPARE(mark(), Span(0, 8));

    const QPointer<FakeVoice> old = voice;
    QVERIFY(restartFromTheMenu(*game));
    QVERIFY(old.isNull()); // gone with the old window
    // One balloon, the new greeting's, marked from its own first word.
    readAlong(kGreeting);
    QCOMPARE(balloons().size(), 1);
}

QTEST_MAIN(TestReadAlong)
#include "tst_readalong.moc"
