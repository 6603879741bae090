// The character performs its requests one after another, in the order given.
#include "agentcharacter.h"
#include "agentcharacters.h"
#include "agentcontrol.h"
#include "assistanttesting.h"
#include "threads.h"

#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

class TestQueue : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void requestsRunInOrderEachAfterTheOneBefore();
    void nothingStartsInsideTheCallersHandler();
    void theProgramsWindowIsDrawnFirst();
    void unknownAnimationIsSkipped_data();
    void unknownAnimationIsSkipped();
    void balloonShowsTheWordsAndLingers();
    void screenReadersReadTheWordsWhole();
    void showingAVisibleCharacterIsImmediate();
    void heightKeepsTheFiguresProportions_data();
    void heightKeepsTheFiguresProportions();
    void learnerCanDragTheCharacter();
    void destroyingTheControlMidSpeech_data();
    void destroyingTheControlMidSpeech();

private:
    AgentCharacter& loadMerlin();
    void showAndSettle(AgentCharacter& merlin);

    QPointer<FakeVoice> voice_;
    std::unique_ptr<AgentControl> control_;
};

void TestQueue::init()
{
    control_ = std::make_unique<AgentControl>(fakeVoiceOptions(&voice_));
}

void TestQueue::cleanup()
{
    control_.reset();
}

AgentCharacter& TestQueue::loadMerlin()
{
    control_->Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    return control_->Characters()(QStringLiteral("Merlin"));
}

void TestQueue::showAndSettle(AgentCharacter& merlin)
{
    QSignalSpy idle(&merlin, &AgentCharacter::idle);
    merlin.Show();
    QVERIFY(idle.wait(5000));
    QVERIFY(merlin.isVisible());
}

void TestQueue::requestsRunInOrderEachAfterTheOneBefore()
{
    AgentCharacter& merlin = loadMerlin();
    QStringList log;
    QPoint placeWhenSpeaking;
    connect(&merlin, &AgentCharacter::requestStarted, this,
            [&](AgentCharacter::RequestKind kind, const QString& argument) {
                log << QStringLiteral("start %1 %2")
                           .arg(QVariant::fromValue(kind).toString(), argument);
                if (kind == AgentCharacter::RequestKind::Speak)
                    placeWhenSpeaking = merlin.windowGeometry().topLeft();
            });
    connect(
        &merlin, &AgentCharacter::requestFinished, this,
        [&](AgentCharacter::RequestKind kind, const QString& argument) {
            log << QStringLiteral("end %1 %2").arg(QVariant::fromValue(kind).toString(), argument);
        });
    QSignalSpy idle(&merlin, &AgentCharacter::idle);

    merlin.Show();
    merlin.MoveTo(630, 175);
    merlin.Play(QStringLiteral("Announce"));
    merlin.setHeight(205);
    merlin.Speak(QStringLiteral("Attenzione hai sbagliato! Il numero è"));
    merlin.Speak(QStringLiteral("ventotto"));

    // The first text is being said; the second waits for it however long it takes.
    QTRY_VERIFY_WITH_TIMEOUT(voice_, 10000); // made when he comes on stage
    QTRY_COMPARE_WITH_TIMEOUT(voice_->said.size(), 1, 10000);
    QTest::qWait(150);
    QCOMPARE(voice_->said, QStringList{QStringLiteral("Attenzione hai sbagliato! Il numero è")});
    QCOMPARE(merlin.queueLength(), 1);
    QCOMPARE(placeWhenSpeaking, QPoint(630, 175));

    voice_->finish();
    QTRY_COMPARE(voice_->said.size(), 2);
    QVERIFY(idle.isEmpty());
    voice_->finish();
    QTRY_COMPARE(idle.count(), 1);

    const QStringList expected{
        QStringLiteral("start Show "),
        QStringLiteral("end Show "),
        QStringLiteral("start Move 630,175"),
        QStringLiteral("end Move 630,175"),
        QStringLiteral("start Play Announce"),
        QStringLiteral("end Play Announce"),
        QStringLiteral("start Speak Attenzione hai sbagliato! Il numero è"),
        QStringLiteral("end Speak Attenzione hai sbagliato! Il numero è"),
        QStringLiteral("start Speak ventotto"),
        QStringLiteral("end Speak ventotto"),
    };
    QCOMPARE(log, expected);
    QCOMPARE(merlin.windowGeometry(), QRect(630, 175, 164, 205));
    QCOMPARE(idle.count(), 1);
}

void TestQueue::nothingStartsInsideTheCallersHandler()
{
    AgentCharacter& merlin = loadMerlin();
    QSignalSpy started(&merlin, &AgentCharacter::requestStarted);
    merlin.Show();
    merlin.Speak(QStringLiteral("Ciao"));
    QCOMPARE(started.count(), 0);
    QCOMPARE(merlin.queueLength(), 2);
    QVERIFY(!merlin.isVisible());
    QVERIFY(started.wait(5000));
}

void TestQueue::theProgramsWindowIsDrawnFirst()
{
    QWidget host;
    host.show(); // its exposure comes later, from the event loop
    QVERIFY(!host.windowHandle()->isExposed());
    AgentCharacter& merlin = loadMerlin();
    bool hostDrawn = false;
    connect(&merlin, &AgentCharacter::requestStarted, this,
            [&] { hostDrawn = host.windowHandle()->isExposed(); });
    QSignalSpy started(&merlin, &AgentCharacter::requestStarted);
    merlin.Show();
    QVERIFY(started.wait(5000));
    QVERIFY(hostDrawn);
    QVERIFY(voice_->prepared);
}

void TestQueue::unknownAnimationIsSkipped_data()
{
    QTest::addColumn<QString>("animation");
    QTest::newRow("never heard of") << QStringLiteral("dance");
    QTest::newRow("wrong letter case") << QStringLiteral("announce");
    QTest::newRow("empty") << QString();
    QTest::newRow("the appearance is not playable") << QStringLiteral("appearance");
}

void TestQueue::unknownAnimationIsSkipped()
{
    QFETCH(QString, animation);
    AgentCharacter& merlin = loadMerlin();
    showAndSettle(merlin);
    QSignalSpy finished(&merlin, &AgentCharacter::requestFinished);

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("animazione sconosciuta «%1»")
                                                .arg(QRegularExpression::escape(animation))));
    merlin.Play(animation);
    merlin.Play(QStringLiteral("wave"));
    merlin.Speak(QStringLiteral("Sei grande"));

    QTRY_VERIFY_WITH_TIMEOUT(voice_, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(voice_->said, QStringList{QStringLiteral("Sei grande")}, 10000);
    QCOMPARE(finished.count(), 2);
    QCOMPARE(finished.at(0).at(1).toString(), animation);
    QCOMPARE(finished.at(1).at(1).toString(), QStringLiteral("wave"));
}

void TestQueue::balloonShowsTheWordsAndLingers()
{
    AgentCharacter& merlin = loadMerlin();
    merlin.setHeight(205);
    showAndSettle(merlin);
    QSignalSpy hidden(&merlin, &AgentCharacter::balloonHidden);
    QVERIFY(merlin.balloonText().isEmpty());

    const QString greeting = QStringLiteral(
        "Ciao. Vuoi giocare con me con l'abaco? E allora che il gioco abbia inizio. Che la "
        "magia sia con te");
    merlin.Speak(greeting);
    QTRY_COMPARE(merlin.balloonText(), greeting);
    QVERIFY(merlin.isSpeaking());

    // Next to the figure: touching or overlapping it, level with its upper half.
    const QRect figure = merlin.windowGeometry();
    const QRect balloon = merlin.balloonGeometry();
    QVERIFY(balloon.isValid());
    QVERIFY2(balloon.adjusted(-2, 0, 2, 0).intersects(figure), "balloon away from the figure");
    QVERIFY(balloon.bottom() <= figure.top() + figure.height() * 3 / 4);
    QVERIFY2(balloon.height() > balloon.width() / 6, "long text not wrapped");

    voice_->finish();
    QCOMPARE(merlin.balloonText(), greeting); // still readable just after
    QVERIFY(hidden.wait(5000));
    QVERIFY(merlin.balloonText().isEmpty());

    // A second text replaces the first; a balloon still lingering is reused.
    merlin.Speak(QStringLiteral("Sei grande"));
    merlin.Speak(QStringLiteral("Eccezionale! Siamo a 100 punti!"));
    QTRY_COMPARE(merlin.balloonText(), QStringLiteral("Sei grande"));
    voice_->finish();
    QTRY_COMPARE(merlin.balloonText(), QStringLiteral("Eccezionale! Siamo a 100 punti!"));
    QCOMPARE(hidden.count(), 1);
}

// What the balloon shows of the word heard is the balloon's own test; here, that the voice's
// words reach it, as a screen reader sees them.
// The balloon reads whole to a screen reader, and the word heard is marked for the eye alone: a
// selection moving with the voice would be read as a stream of words over it.
void TestQueue::screenReadersReadTheWordsWhole()
{
    AgentCharacter& merlin = loadMerlin();
    showAndSettle(merlin);
    QWidget* figure = QApplication::topLevelAt(merlin.windowGeometry().center());
    QVERIFY(figure);
    QCOMPARE(QAccessible::queryAccessibleInterface(figure)->text(QAccessible::Name), "Merlin");

    const QString correction = QStringLiteral("Il numero è ventitre");
    merlin.Speak(correction);
    QTRY_COMPARE(merlin.balloonText(), correction);
    QWidget* balloon = QApplication::topLevelAt(merlin.balloonGeometry().center());
    QVERIFY(balloon && balloon != figure);
    QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(balloon);
    QCOMPARE(readable->role(), QAccessible::Notification);
    QCOMPARE(readable->text(QAccessible::Name), correction);
    QAccessibleTextInterface* text = readable->textInterface();
    QVERIFY(text);
    QCOMPARE(text->text(0, text->characterCount()), correction);

    voice_->hear(12, 8); // "ventitre"
    QCOMPARE(merlin.balloonMark(), std::pair(12, 20));
    QCOMPARE(text->selectionCount(), 0);
    QCOMPARE(text->cursorPosition(), 0);
    voice_->hear(-1, 0);
    QCOMPARE(merlin.balloonMark(), std::nullopt);
    voice_->finish();
}

void TestQueue::showingAVisibleCharacterIsImmediate()
{
    AgentCharacter& merlin = loadMerlin();
    showAndSettle(merlin);
    QSignalSpy finished(&merlin, &AgentCharacter::requestFinished);
    merlin.Show(); // the game does this at every exercise: no second appearance
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(merlin.currentAnimation().isEmpty());
}

void TestQueue::heightKeepsTheFiguresProportions_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("width");
    QTest::newRow("the game's 205") << 205 << 164;
    QTest::newRow("small") << 100 << 80;
    QTest::newRow("large") << 410 << 328;
}

void TestQueue::heightKeepsTheFiguresProportions()
{
    QFETCH(int, height);
    QFETCH(int, width);
    AgentCharacter& merlin = loadMerlin();
    merlin.MoveTo(100, 120);
    showAndSettle(merlin);
    merlin.setHeight(height);
    QCOMPARE(merlin.windowGeometry(), QRect(100, 120, width, height));
    QTRY_COMPARE(merlin.currentFrame().size(),
                 QSize(width, height) * merlin.currentFrame().devicePixelRatio());
}

void TestQueue::learnerCanDragTheCharacter()
{
    AgentCharacter& merlin = loadMerlin();
    merlin.MoveTo(200, 150);
    showAndSettle(merlin);
    QWidget* window = QApplication::topLevelAt(merlin.windowGeometry().center());
    QVERIFY(window);

    const QPoint grip(80, 120);
    const QPoint start = window->mapToGlobal(grip);
    auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, window->mapFromGlobal(global), global, Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(window, &event);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    send(QEvent::MouseMove, start + QPoint(30, 10), Qt::LeftButton);
    send(QEvent::MouseMove, start + QPoint(60, 40), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, start + QPoint(60, 40), Qt::NoButton);
    QTRY_COMPARE(merlin.windowGeometry().topLeft(), QPoint(260, 190));
}

void TestQueue::destroyingTheControlMidSpeech_data()
{
    QTest::addColumn<int>("moment");
    QTest::newRow("speech queued, not started") << 0;
    QTest::newRow("while speaking") << 1;
    QTest::newRow("balloon lingering") << 2;
}

// With the real voice, from the voice plugin: the speech thread must be joined and the windows
// gone, with no crash and no hang (a hang ends in the test's time-out).
void TestQueue::destroyingTheControlMidSpeech()
{
    QFETCH(int, moment);
    control_.reset();
    AgentOptions options;
    options.pace = 4; // only the silent fallback and the animations speed up
    const auto speakingMerlin = [&options](std::unique_ptr<AgentControl>& control) {
        control = std::make_unique<AgentControl>(options);
        control->Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
        AgentCharacter& merlin = control->Characters()(QStringLiteral("Merlin"));
        merlin.Show();
        merlin.Speak(QStringLiteral("Ciao. Vuoi giocare con me con l'abaco? E allora che il "
                                    "gioco abbia inizio. Che la magia sia con te"));
        merlin.Speak(QStringLiteral("Sei grande"));
        return &merlin;
    };
    // The sound library keeps threads of its own once it has been set up.
    std::unique_ptr<AgentControl> control;
    const AgentCharacter* first = speakingMerlin(control);
    QTRY_VERIFY_WITH_TIMEOUT(first->isSpeaking(), 10000);
    control.reset();
    const int threadsBefore = threadCount();

    AgentCharacter* merlin = speakingMerlin(control);
    QSignalSpy spoken(merlin, &AgentCharacter::speechFinished);
    if (moment >= 1) {
        QTRY_VERIFY_WITH_TIMEOUT(merlin->isSpeaking(), 10000);
        QCOMPARE_GT(threadCount(), threadsBefore); // the speech thread
    }
    if (moment == 2) {
        QVERIFY(spoken.wait(20000));
        QVERIFY(!merlin->balloonText().isEmpty());
    }

    control.reset();
    QTRY_COMPARE(threadCount(), threadsBefore);
    QVERIFY2(QApplication::topLevelWidgets().isEmpty(),
             "a window of the character outlived its control");
    QTest::qWait(50); // nothing left over fires into freed memory
}

QTEST_MAIN(TestQueue)
#include "tst_assistant_queue.moc"
