// The window with its assistant: what the character is asked to do at load, at each new
// exercise and when the answer box is left; the restart question and the farewell.
#include "activation.h"
#include "game.h"
#include "look.h"
#include "messageboxes.h"
#include "recordingagent.h"
#include "scriptedrandom.h"
#include "tavola.h"
#include "translations.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPointingDevice>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTime>
#include <QTranslator>

#include <memory>

namespace {

const QString greeting = QStringLiteral("Speak Ciao. Vuoi giocare con me con l'abaco? E allora che "
                                        "il gioco abbia inizio. Che la magia sia con te");
const QStringList loadCalls{
    QStringLiteral("Load Merlin C:\\WINDOWS\\msagent\\chars\\Merlin.acs"),
    QStringLiteral("Show"),
    QStringLiteral("MoveTo 630,175"),
    QStringLiteral("Play Announce"),
    QStringLiteral("Height 205"),
    greeting,
};
const QString lead = QStringLiteral("Speak Attenzione hai sbagliato! Il numero è");

} // namespace

class TestReactions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void loadGreetsBeforeTheFirstExercise();
    void cheerAtMilestones_data();
    void cheerAtMilestones();
    void correctionOnLeavingTheAnswerBox_data();
    void correctionOnLeavingTheAnswerBox();
    void noCorrectionBeforeAnyNumber();
    void noCorrectionWhenTheWindowLosesActivationOrTheMenuBarTakesTheKeys();
    void correctionRepeatsEachTimeTheBoxIsLeft();
    void missingCharacterIsToldOnceAndTheGameGoesOn();
    void silentVoiceIsToldOnce();
    void restartNoKeepsTheGame_data();
    void restartNoKeepsTheGame();
    void restartYesStartsAfresh_data();
    void restartYesStartsAfresh();
    void farewellSaysTimeAndDateThenEnds();
    void qtTextsAreItalian();

private:
    void startGame(std::deque<int> numbers, bool failLoad = false);
    void activate();
    Tavola* window() const { return game->window(); }
    template <typename T = QWidget> T* element(const char* name) const
    {
        T* found = window()->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no element %s", name);
        return found;
    }
    void answer(const QString& typed);

    std::unique_ptr<Game> game;
    RecordingAgent* agent = nullptr; // owned by the current window
    QStringList errors;
    QStringList calls;
    std::deque<int> numbers;
};

void TestReactions::initTestCase()
{
    applyLook();
}

void TestReactions::cleanup()
{
    game.reset();
    agent = nullptr;
    errors.clear();
    calls.clear();
}

void TestReactions::startGame(std::deque<int> dealt, bool failLoad)
{
    numbers = std::move(dealt);
    game = std::make_unique<Game>([this, failLoad] {
        auto made = std::make_unique<RecordingAgent>(&calls, failLoad);
        agent = made.get();
        auto window =
            std::make_unique<Tavola>(std::make_unique<ScriptedRandom>(numbers), std::move(made));
        connect(window.get(), &Tavola::errorReported, this,
                [this](const QString& message) { errors << message; });
        return window;
    });
    game->start();
    activate();
}

void TestReactions::activate()
{
    QVERIFY(makeActive(window()));
}

void TestReactions::answer(const QString& typed)
{
    auto* box = element<QLineEdit>("Text3");
    box->setFocus();
    box->insert(typed);
    QTest::keyClick(box, Qt::Key_Return);
}

void TestReactions::loadGreetsBeforeTheFirstExercise()
{
    startGame({9});
    // The first exercise comes right after the greeting was asked for: the character is shown
    // and, at a count of 0, nothing is cheered.
    QCOMPARE(calls, loadCalls + QStringList{"Show"});
    QCOMPARE(window()->score(), Score(0, 0));
    QCOMPARE(element<QLineEdit>("Text1")->text(), "9");
}

void TestReactions::cheerAtMilestones_data()
{
    QTest::addColumn<int>("correct");
    QTest::addColumn<QStringList>("cheer");

    const QString great = QStringLiteral("Speak Sei grande");
    QTest::newRow("5") << 5 << QStringList{"Play congratulate_2", great};
    QTest::newRow("25") << 25 << QStringList{"Play congratulate", great};
    QTest::newRow("50") << 50
                        << QStringList{"Play wave",
                                       "Speak Sei veramente ok. Sei arrivato a 50 punti!"};
    QTest::newRow("100") << 100
                         << QStringList{"Play congratulate",
                                        "Speak Eccezionale! Siamo a 100 punti!"};
    for (int quiet : {1, 4, 6, 49, 51, 151, 32767})
        QTest::newRow(qPrintable(QStringLiteral("none at %1").arg(quiet)))
            << quiet << QStringList{};
}

// The count is read from the score label refreshed at the dealing; while it stays at a
// milestone every new exercise cheers again.
void TestReactions::cheerAtMilestones()
{
    QFETCH(int, correct);
    QFETCH(QStringList, cheer);

    startGame({3, 4, 5});
    answer("3");
    window()->setScore(Score(correct, 0));
    calls.clear();
    QTest::keyClick(element("cmdNext"), Qt::Key_Return);
    QCOMPARE(calls, QStringList{"Show"} + cheer);

    answer("0"); // wrong: the count of correct answers stays
    calls.clear();
    QTest::keyClick(element("cmdNext"), Qt::Key_Return);
    QCOMPARE(calls, QStringList{"Show"} + cheer);
}

void TestReactions::correctionOnLeavingTheAnswerBox_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("said");

    QTest::newRow("empty") << 7 << "" << QStringList{"Show", lead, "Speak sette"};
    QTest::newRow("leading zero") << 5 << "05" << QStringList{"Show", lead, "Speak cinque"};
    QTest::newRow("trailing blank") << 5 << "5 " << QStringList{"Show", lead, "Speak cinque"};
    QTest::newRow("words") << 28 << "ventotto" << QStringList{"Show", lead, "Speak ventotto"};
    QTest::newRow("right") << 28 << "28" << QStringList{"Show"};
}

void TestReactions::correctionOnLeavingTheAnswerBox()
{
    QFETCH(int, number);
    QFETCH(QString, typed);
    QFETCH(QStringList, said);

    startGame({number});
    calls.clear();
    answer(typed); // Enter moves the focus to the next button
    QCOMPARE(calls, said);
}

void TestReactions::noCorrectionBeforeAnyNumber()
{
    startGame({7});
    element<QLineEdit>("Text1")->setText("0"); // as before the first exercise
    calls.clear();
    answer("3");
    QCOMPARE(calls, QStringList{"Show"});
}

void TestReactions::noCorrectionWhenTheWindowLosesActivationOrTheMenuBarTakesTheKeys()
{
    startGame({7});
    calls.clear();
    QWidget other;
    other.show();
    QVERIFY(makeActive(&other));
    QCOMPARE(calls, QStringList{});

    // Alt alone takes the keyboard to the menu bar, and Escape gives it back: the answer box was
    // not left for another element.
    activate();
    QCOMPARE(window()->focusWidget(), element("Text3"));
    auto* menuBar = window()->findChild<QMenuBar*>();
    QVERIFY(menuBar);
    QTest::keyClick(element("Text3"), Qt::Key_Alt);
    QTRY_VERIFY(menuBar->hasFocus());
    QTest::keyClick(menuBar, Qt::Key_Escape);
    QTRY_COMPARE(window()->focusWidget(), element("Text3"));
    QCOMPARE(calls, QStringList{});

    // Leaving for another element does bring the correction.
    QTest::keyClick(element("Text3"), Qt::Key_Tab);
    QCOMPARE(calls, (QStringList{"Show", lead, "Speak sette"}));
}

void TestReactions::correctionRepeatsEachTimeTheBoxIsLeft()
{
    startGame({12});
    element<QLineEdit>("Text3")->insert("21");
    calls.clear();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(element("Text3"), Qt::Key_Tab);
        element("Text3")->setFocus();
    }
    const QStringList once{"Show", lead, "Speak dodici"};
    QCOMPARE(calls, once + once + once);
}

void TestReactions::missingCharacterIsToldOnceAndTheGameGoesOn()
{
    startGame({6, 11}, true);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().contains("Il personaggio non si trova"));
    QCOMPARE(window()->score(), Score(0, 0));
    QVERIFY(visibleBox(window()));
    visibleBox(window())->accept();
    activate();

    // A whole exercise plays, with nothing more said to the learner.
    QCOMPARE(element<QLineEdit>("Text4")->text(), "110");
    answer("5");
    QCOMPARE(window()->score(), Score(0, 1));
    QTest::keyClick(element("cmdNext"), Qt::Key_Return);
    QCOMPARE(element<QLineEdit>("Text4")->text(), "1011");
    answer("11");
    QCOMPARE(window()->score(), Score(1, 1));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(calls, QStringList{"Load Merlin C:\\WINDOWS\\msagent\\chars\\Merlin.acs"});
}

void TestReactions::silentVoiceIsToldOnce()
{
    startGame({7, 8});
    QSignalSpy told(window(), &Tavola::voiceNoticeShown);
    calls.clear();
    agent->character()->loseVoice("Merlin non si sente.");
    // Merlin says it in his balloon; nothing stops the game.
    QTRY_COMPARE(calls, QStringList{"Speak Merlin non si sente."});
    QCOMPARE(told.count(), 1);
    QVERIFY(!visibleBox(window()));
    QCOMPARE(window()->focusWidget(), element("Text3"));

    calls.clear();
    agent->character()->loseVoice("Merlin non si sente.");
    QCoreApplication::sendPostedEvents();
    QVERIFY(!calls.contains("Speak Merlin non si sente."));
    answer("1");
    QTest::keyClick(element("cmdNext"), Qt::Key_Return);
    QCOMPARE(told.count(), 1);
    QVERIFY(!visibleBox(window()));
    QCOMPARE(errors, QStringList{});

    // Nor again in a new game.
    element<QAction>("Next")->trigger();
    QSignalSpy restarted(game.get(), &Game::restarted);
    visibleBox(window())->button(QMessageBox::Yes)->click();
    QVERIFY(restarted.wait());
    QSignalSpy toldAgain(window(), &Tavola::voiceNoticeShown);
    calls.clear();
    agent->character()->loseVoice("Merlin non si sente.");
    QCoreApplication::sendPostedEvents();
    QCOMPARE(toldAgain.count(), 0);
    QCOMPARE(calls, QStringList{});
    QVERIFY(!visibleBox(window()));
}

void TestReactions::restartNoKeepsTheGame_data()
{
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("No clicked") << false;
    QTest::newRow("Enter") << true;
}

void TestReactions::restartNoKeepsTheGame()
{
    QFETCH(bool, byEnter);
    startGame({7, 8});
    answer("6");
    QTest::keyClick(element("cmdNext"), Qt::Key_Return);
    element<QLineEdit>("Text3")->insert("1");
    const QPointer<Tavola> before = window();
    QSignalSpy restarted(game.get(), &Game::restarted);

    element<QAction>("Next")->trigger();
    QMessageBox* box = visibleBox(window());
    QVERIFY(box);
    QCOMPARE(box->text(), "INIZIAMO UNA NUOVA GARA  ?");
    QCOMPARE(box->windowTitle(), "INIZIARE NUOVA GARA");
    QCOMPARE(box->icon(), QMessageBox::Question);
    QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
    calls.clear();
    if (byEnter)
        QTest::keyClick(box, Qt::Key_Return);
    else
        box->button(QMessageBox::No)->click();
    QTRY_VERIFY(!visibleBox(window()));
    activate();

    QTest::qWait(10); // a restart would be on its way by now
    QCOMPARE(restarted.count(), 0);
    QCOMPARE(window(), before.data());
    QCOMPARE(window()->score(), Score(0, 1));
    QCOMPARE(element<QLineEdit>("Text1")->text(), "8");
    QCOMPARE(element<QLineEdit>("Text3")->text(), "1");
    QCOMPARE(element<QLabel>("lblScore1")->text(), "1");
    QCOMPARE(window()->focusWidget(), element("Text3"));
    QCOMPARE(calls, QStringList{}); // not even a correction: the box took only the activation
}

void TestReactions::restartYesStartsAfresh_data()
{
    QTest::addColumn<QRect>("placed"); // where given, the window is moved and resized there
    QTest::addColumn<Qt::WindowState>("state");
    QTest::addColumn<bool>("touched");
    const QRect elsewhere(60, 80, 1000, 700);
    QTest::newRow("as it opened") << QRect() << Qt::WindowNoState << false;
    QTest::newRow("moved and resized") << elsewhere << Qt::WindowNoState << false;
    QTest::newRow("full screen") << QRect() << Qt::WindowFullScreen << false;
    QTest::newRow("resized, then maximised") << elsewhere << Qt::WindowMaximized << false;
    QTest::newRow("touched: with the keypad") << QRect() << Qt::WindowNoState << true;
}

// The new game starts from zero in the window as the teacher left it: its place, size and state,
// and the keypad if it was shown.
void TestReactions::restartYesStartsAfresh()
{
    QFETCH(QRect, placed);
    QFETCH(Qt::WindowState, state);
    QFETCH(bool, touched);
    startGame({7, 8, 9});
    answer("7");
    QTest::keyClick(element("cmdNext"), Qt::Key_Return);
    QCOMPARE(window()->score(), Score(1, 0));
    if (!placed.isNull()) {
        window()->setGeometry(placed);
        QTRY_COMPARE(window()->geometry(), placed);
    }
    std::unique_ptr<QPointingDevice> touchScreen; // none unless touched: full screen on a touch
    if (touched) {                                // screen shows the keypad by itself
        touchScreen.reset(QTest::createTouchDevice());
        const QPoint margin(4, window()->height() / 2);
        QTest::touchEvent(window(), touchScreen.get()).press(0, margin, window());
        QTest::touchEvent(window(), touchScreen.get()).release(0, margin, window());
        QTRY_VERIFY(element("keypad")->isVisible());
    }
    if (state != Qt::WindowNoState) {
        const QRect before = window()->geometry();
        window()->setWindowState(state);
        QTRY_VERIFY(window()->geometry() != before);
    }
    const QRect shown = window()->geometry();
    const QRect normal = window()->normalGeometry();
    const QPointer<Tavola> before = window();
    const qsizetype windowsBefore = QApplication::topLevelWidgets().size();
    QSignalSpy restarted(game.get(), &Game::restarted);

    element<QAction>("Next")->trigger();
    calls.clear();
    visibleBox(window())->button(QMessageBox::Yes)->click();
    QVERIFY(restarted.wait());

    QVERIFY(before.isNull());
    QVERIFY(window());
    QCOMPARE(window()->score(), Score(0, 0));
    QCOMPARE(element<QLabel>("lblScore")->text(), "0");
    QCOMPARE(element<QLineEdit>("Text1")->text(), "7"); // the first number of a new game
    QCOMPARE(calls, loadCalls + QStringList{"Show"});
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);

    QCOMPARE(window()->windowState(), state);
    QTRY_COMPARE(window()->geometry(), shown);
    QCOMPARE(window()->normalGeometry(), normal);
    QTRY_COMPARE(element("keypad")->isVisible(), touched);
}

void TestReactions::farewellSaysTimeAndDateThenEnds()
{
    startGame({7});
    QSignalSpy ended(game.get(), &Game::ended);
    const QLocale locale = QLocale::system();
    const QString timeBefore = locale.toString(QTime::currentTime(), QLocale::ShortFormat);
    const QString dateBefore = locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    QTest::keyClick(element("Text3"), Qt::Key_X, Qt::AltModifier);
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = visibleBox(window())));
    const QString timeAfter = locale.toString(QTime::currentTime(), QLocale::ShortFormat);
    const QString dateAfter = locale.toString(QDate::currentDate(), QLocale::ShortFormat);

    const QString prompt = box->text();
    QVERIFY2(prompt == "Ciao a presto. Ore " + timeBefore ||
                 prompt == "Ciao a presto. Ore " + timeAfter,
             qPrintable(prompt));
    const QString title = box->windowTitle();
    QVERIFY2(title == "Data " + dateBefore || title == "Data " + dateAfter, qPrintable(title));
    QCOMPARE(box->standardButtons(), QMessageBox::Ok);
    QCOMPARE(box->icon(), QMessageBox::NoIcon);
    QCOMPARE(ended.count(), 0);

    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(ended.count(), 1);
}

void TestReactions::qtTextsAreItalian()
{
    const std::unique_ptr<QTranslator> italian = installQtItalian();
    QVERIFY(italian);
    startGame({7});
    element<QAction>("Next")->trigger();
    QMessageBox* box = visibleBox(window());
    QCOMPARE(box->button(QMessageBox::Yes)->text().remove('&'), QStringLiteral("Sì"));
    QCOMPARE(box->button(QMessageBox::No)->text().remove('&'), "No");
    box->button(QMessageBox::No)->click();

    const std::unique_ptr<QMenu> menu(element<QLineEdit>("Text3")->createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << action->text().remove('&').section('\t', 0, 0);
    QVERIFY2(texts.contains("Incolla"), qPrintable(texts.join(", ")));
    QCoreApplication::removeTranslator(italian.get());
}

QTEST_MAIN(TestReactions)
#include "tst_reactions.moc"
