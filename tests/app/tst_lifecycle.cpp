// The game with our real assistant: requests keep their order under a burst of keys, and
// restarts or an exit in the middle of speech leave no window, thread or memory behind.
#include "activation.h"
#include "agentcharacter.h"
#include "agentcontrol.h"
#include "game.h"
#include "look.h"
#include "messageboxes.h"
#include "platformchoice.h"
#include "restarting.h"
#include "scriptedrandom.h"
#include "tavola.h"
#include "threads.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <malloc.h>
#include <memory>

namespace {

constexpr double kPace = 25; // animations, glides and silent speech run this much faster

// The heap in use, as the allocator counts it: unlike resident memory, it does not include what
// the allocator keeps for reuse.
double heapMiB()
{
    return double(mallinfo2().uordblks) / (1024 * 1024);
}

// Resident memory once the allocator has handed back the free memory it keeps for reuse, which
// depends on which thread happened to free what: what is left is what the program holds.
double residentMiB()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * 4096 / (1024 * 1024);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QString series(const QList<double>& values)
{
    QStringList shown;
    for (double value : values)
        shown << QString::number(value, 'f', 2);
    return shown.join(QLatin1Char(' '));
}

int visibleTopLevels()
{
    int visible = 0;
    for (const QWidget* widget : QApplication::topLevelWidgets())
        visible += widget->isVisible();
    return visible;
}

// Boxes that tell of a missing sound output come up in a machine without one: answer them.
void closeNotices(QWidget* window)
{
    while (QMessageBox* notice = visibleBox(window, [](const QMessageBox& box) {
               return box.standardButtons() == QMessageBox::Ok;
           }))
        notice->accept();
}

} // namespace

class TestLifecycle : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void burstOfEntersKeepsSpeechInOrder();
    void hundredRestartsLeaveNothingBehind();
    void exitWhileSpeakingLeavesNothingBehind();
    void closingTheWindowEndsWithoutFarewell();
    void x11IsPreferredInAWaylandSessionWithAnXServer_data();
    void x11IsPreferredInAWaylandSessionWithAnXServer();

private:
    void startGame(std::deque<int> numbers, bool active = true);
    void activate();
    void restart();
    AgentCharacter& merlin() { return control->Characters()(QStringLiteral("Merlin")); }

    std::unique_ptr<Game> game;
    QPointer<AgentControl> control; // owned by the current window
};

void TestLifecycle::initTestCase()
{
    applyLook();
}

void TestLifecycle::cleanup()
{
    game.reset();
}

void TestLifecycle::startGame(std::deque<int> numbers, bool active)
{
    game = std::make_unique<Game>([this, numbers] {
        AgentOptions options;
        options.pace = kPace;
        auto made = std::make_unique<AgentControl>(options);
        control = made.get();
        return std::make_unique<Tavola>(std::make_unique<ScriptedRandom>(numbers), std::move(made));
    });
    game->start();
    if (active)
        activate();
}

void TestLifecycle::activate()
{
    QVERIFY(makeActive(game->window()));
}

void TestLifecycle::restart()
{
    closeNotices(game->window());
    QVERIFY(restartFromTheMenu(*game));
}

void TestLifecycle::burstOfEntersKeepsSpeechInOrder()
{
    startGame({7, 12, 3, 30, 16}, false);
    QSignalSpy spoken(&merlin(), &AgentCharacter::speechStarted); // before anything is performed
    activate();
    auto* answerBox = game->window()->findChild<QLineEdit*>(QStringLiteral("Text3"));
    // Four wrong answers and four dealings, typed faster than he can speak.
    for (int i = 0; i < 4; ++i) {
        closeNotices(game->window());
        QVERIFY(makeActive(game->window()));
        answerBox->setFocus();
        QTest::keyClick(answerBox, Qt::Key_0);
        QTest::keyClick(answerBox, Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    const QStringList expected{
        QStringLiteral("Ciao. Vuoi giocare con me con l'abaco? E allora che il gioco abbia "
                       "inizio. Che la magia sia con te"),
        QStringLiteral("Attenzione hai sbagliato! Il numero è"),
        "sette",
        QStringLiteral("Attenzione hai sbagliato! Il numero è"),
        "dodici",
        QStringLiteral("Attenzione hai sbagliato! Il numero è"),
        "tre",
        QStringLiteral("Attenzione hai sbagliato! Il numero è"),
        "trenta"};
    QStringList said;
    const auto allSaid = [&] {
        said.clear();
        // Without a sound card, Merlin also says so, wherever in the queue that is found out.
        for (const QList<QVariant>& arguments : spoken)
            if (!arguments.first().toString().startsWith(QStringLiteral("Merlin non si sente")))
                said << arguments.first().toString();
        return said.size() >= expected.size();
    };
    // The voice keeps its own time: some 20 s of speech.
    QTRY_VERIFY_WITH_TIMEOUT(allSaid(), 60000);
    QCOMPARE(said, expected);
    QCOMPARE(game->window()->score(), Score(0, 4));
}

void TestLifecycle::hundredRestartsLeaveNothingBehind()
{
    startGame({5, 9});
    // Twenty restarts warm up (fonts, pictures, the speech engine once he first speaks); then
    // memory every ten. Growth is the median of the last three samples over that of the first
    // three: a leak grows every sample, a cache filled once moves one or two.
    int windows = 0;
    int threads = 0;
    QList<double> resident;
    QList<double> heap;
    for (int i = 0; i < 120; ++i) {
        // Some restarts come mid-glide or mid-animation, some while he speaks.
        if (i % 3 == 1)
            QTRY_VERIFY_WITH_TIMEOUT(merlin().isSpeaking() || merlin().queueLength() == 0, 5000);
        else
            QTest::qWait(i % 3 * 7);
        restart();
        if (i >= 19 && i % 10 == 9) {
            // Each sample once he speaks: between games the speech engine, and what it holds,
            // may or may not be there yet.
            QTRY_VERIFY_WITH_TIMEOUT(merlin().isSpeaking(), 10000);
            QTest::qWait(50);
            if (resident.isEmpty()) {
                windows = visibleTopLevels();
                threads = threadCount();
            }
            resident << residentMiB();
            heap << heapMiB();
        }
    }
    const double residentGrowth = median(resident.mid(8)) - median(resident.first(3));
    const double heapGrowth = median(heap.mid(8)) - median(heap.first(3));
    qInfo("after 20 and 120 restarts: %d and %d windows, %d and %d threads; every ten restarts, "
          "resident memory %s MiB (%+.2f), heap in use %s MiB (%+.2f)",
          windows, visibleTopLevels(), threads, threadCount(), qPrintable(series(resident)),
          residentGrowth, qPrintable(series(heap)), heapGrowth);
    QCOMPARE(visibleTopLevels(), windows);
    QCOMPARE(threadCount(), threads);
#if !defined(__SANITIZE_ADDRESS__) // the sanitizer's allocator counts differently
    // Keeping even a few kilobytes of each old window would show over eighty restarts.
    QVERIFY2(heapGrowth < 0.5, qPrintable(QStringLiteral("heap grew %1 MiB").arg(heapGrowth)));
    QVERIFY2(residentGrowth < 3,
             qPrintable(QStringLiteral("resident memory grew %1 MiB").arg(residentGrowth)));
#endif
}

void TestLifecycle::exitWhileSpeakingLeavesNothingBehind()
{
    // The sound and speech libraries keep threads of their own once they have been set up.
    startGame({7});
    QTRY_VERIFY_WITH_TIMEOUT(merlin().isSpeaking(), 10000);
    game.reset();
    const int threadsBefore = threadCount();
    startGame({7});
    QTRY_VERIFY_WITH_TIMEOUT(merlin().isSpeaking(), 10000);
    closeNotices(game->window());
    QSignalSpy ended(game.get(), &Game::ended);
    game->window()->findChild<QAbstractButton*>(QStringLiteral("cmdExit"))->click();
    QMessageBox* farewell = nullptr;
    QTRY_VERIFY((farewell = visibleBox(game->window(), [](const QMessageBox& box) {
                     return box.windowTitle().startsWith(QLatin1String("Data "));
                 })));
    farewell->accept();
    QCOMPARE(ended.count(), 1);

    game.reset(); // as the program does when it ends
    QVERIFY(control.isNull());
    QCOMPARE(visibleTopLevels(), 0);
    QTRY_COMPARE(threadCount(), threadsBefore); // the speech thread is joined
}

// Merlin's own windows do not keep the program alive once the game's window is closed.
void TestLifecycle::closingTheWindowEndsWithoutFarewell()
{
    startGame({7});
    QTRY_VERIFY(merlin().isVisible());
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QSignalSpy ended(game.get(), &Game::ended);
    // The program's own event loop, as main runs it: it must end by itself.
    QTimer::singleShot(0, game->window(), &QWidget::close);
    bool timedOut = false;
    QTimer guard; // gone with the test, so it cannot end a later test's wait
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!timedOut);
    QCOMPARE(lastClosed.count(), 1);
    QCOMPARE(ended.count(), 0);
    for (const QMessageBox* box : game->window()->findChildren<QMessageBox*>())
        QVERIFY(!box->windowTitle().startsWith("Data "));
}

void TestLifecycle::x11IsPreferredInAWaylandSessionWithAnXServer_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("platform");
    const QStringList session{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"};
    QTest::newRow("GNOME or KDE with XWayland")
        << session << QStringList{} << QByteArray("xcb;wayland");
    QTest::newRow("session type only") << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:1"}
                                       << QStringList{} << QByteArray("xcb;wayland");
    QTest::newRow("Wayland without X")
        << QStringList{"WAYLAND_DISPLAY=wayland-0"} << QStringList{} << QByteArray();
    QTest::newRow("X11 session") << QStringList{"DISPLAY=:0", "XDG_SESSION_TYPE=x11"}
                                 << QStringList{} << QByteArray();
    QTest::newRow("platform chosen in the environment")
        << (session + QStringList{"QT_QPA_PLATFORM=wayland"}) << QStringList{} << QByteArray();
    QTest::newRow("platform chosen on the command line")
        << session << QStringList{"-platform", "wayland"} << QByteArray();
}

void TestLifecycle::x11IsPreferredInAWaylandSessionWithAnXServer()
{
    QFETCH(QStringList, variables);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, platform);
    QProcessEnvironment environment;
    for (const QString& variable : variables)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    QCOMPARE(platformchoice::preferred(environment, arguments), platform);
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
