// On stage beside the program's window: the figure stands where it was asked to unless that
// covers what the learner reads, belongs to the window (moves, hides and comes back with it), and
// the balloon opens away from the window and chooses again when the learner drags the figure.
#include "activation.h"
#include "agentcharacter.h"
#include "agentcharacters.h"
#include "agentcontrol.h"
#include "assistanttesting.h"
#include "figureplacement.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>
#include <memory>

namespace {

// A window at (20, 40), its client area under a 20-pixel bar the stage: at (10, 10) designed.
struct StagedWindow {
    QWidget window;
    QWidget* client = new QWidget(&window);
    QPointer<FakeVoice> voice;
    AgentOptions options = fakeVoiceOptions(&voice);

    StagedWindow(QSize size, const QList<QRect>& keepClear, const QRect& corner, bool inside)
    {
        window.setGeometry(QRect(QPoint(20, 40), size));
        client->setGeometry(0, 20, size.width(), size.height() - 20);
        options.stage = {client, QPoint(10, 10), keepClear, corner, client->size(), inside};
    }
};

} // namespace

class TestStage : public QObject {
    Q_OBJECT

private slots:
    void figurePlace_data();
    void figurePlace();
    void figureBelongsToTheWindow();
    void insideWhereWindowsCannotBePlaced();
    void balloonKeepsClearOfTheHostAndFollowsADrag();
};

void TestStage::figurePlace_data()
{
    QTest::addColumn<QRect>("wanted");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("placed");
    // A game window at (100, 50) 600x500, whose top 300 pixels must stay clear, with the
    // least-missed corner at its bottom right; a 160x200 figure; kGap 8 beside the frame.
    const QSize figure(160, 200);
    QTest::newRow("asked place clear")
        << QRect(QPoint(480, 360), figure) << QRect(0, 0, 1280, 1024) << QPoint(480, 360);
    QTest::newRow("over the abacus: right of the window")
        << QRect(QPoint(550, 150), figure) << QRect(0, 0, 1280, 1024) << QPoint(708, 150);
    QTest::newRow("no room right: left")
        << QRect(QPoint(300, 150), figure) << QRect(-400, 0, 1150, 1024) << QPoint(-68, 150);
    QTest::newRow("slides along the frame to stay on screen")
        << QRect(QPoint(550, -100), figure) << QRect(0, 0, 1280, 1024) << QPoint(708, 0);
    QTest::newRow("no room at the sides: the nearer of above and below")
        << QRect(QPoint(300, 150), figure) << QRect(100, 0, 600, 1024) << QPoint(300, 558);
    QTest::newRow("screen too small: the least-missed corner")
        << QRect(QPoint(300, 150), figure) << QRect(100, 50, 600, 500) << QPoint(540, 350);
    QTest::newRow("figure taller than the corner: lower, past the screen's edge")
        << QRect(QPoint(300, 150), QSize(160, 260)) << QRect(100, 50, 600, 500) << QPoint(540, 350);
}

void TestStage::figurePlace()
{
    QFETCH(QRect, wanted);
    QFETCH(QRect, area);
    QFETCH(QPoint, placed);
    const QRect host(100, 50, 600, 500);
    const QList<QRect> keepClear{QRect(100, 50, 600, 300), QRect(250, 480, 200, 40)};
    const QRect corner(450, 351, 250, 199);
    const QRect chosen = FigurePlacement::choose(wanted, host, keepClear, corner, area);
    QCOMPARE(chosen, QRect(placed, wanted.size()));
}

// The real character on a stage: asked to stand on the part to keep clear, he stands beside
// the window; he is transient for it, moves with it, grows with it, and leaves and comes back
// with it.
void TestStage::figureBelongsToTheWindow()
{
    StagedWindow staged(QSize(300, 200), {QRect(0, 0, 300, 120)}, QRect(200, 120, 100, 60), false);
    auto& [window, client, voice, options] = staged;
    AgentControl control(options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    merlin.setHeight(100);
    QSignalSpy idle(&merlin, &AgentCharacter::idle);
    merlin.Show();
    merlin.MoveTo(60, 30); // on the part to keep clear, for the window at (10, 10)
    QVERIFY(idle.wait(5000));
    const QRect frame = window.frameGeometry();
    const QRect figure = merlin.windowGeometry();
    QCOMPARE(figure.left(), frame.right() + 1 + FigurePlacement::kGap);
    QCOMPARE(figure.top(), client->mapToGlobal(QPoint(0, 0)).y() + 20);
    QWidget* figureWindow = QApplication::topLevelAt(figure.center());
    QVERIFY(figureWindow);
    QCOMPARE(figureWindow->windowHandle()->transientParent(), window.windowHandle());
    QVERIFY(!figureWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    window.move(window.pos() + QPoint(40, 25));
    QTRY_COMPARE(merlin.windowGeometry(), figure.translated(40, 25));

    merlin.Speak(QStringLiteral("Sei grande"));
    QTRY_COMPARE(merlin.balloonText(), QStringLiteral("Sei grande"));

    // The game drawn half as large again: so are he and his words, and he keeps his place.
    const QSize words = merlin.balloonGeometry().size();
    window.resize(450, 290);
    client->setGeometry(0, 20, 450, 270);
    QTRY_COMPARE(merlin.windowGeometry().height(), 150);
    QCOMPARE(merlin.windowGeometry().left(),
             window.frameGeometry().right() + 1 + FigurePlacement::kGap);
    QCOMPARE(merlin.windowGeometry().top(), client->mapToGlobal(QPoint(0, 0)).y() + 30);
    QTRY_VERIFY(merlin.balloonGeometry().width() >= words.width() * 1.3);
    QVERIFY(merlin.balloonGeometry().height() >= words.height() * 1.2);
    QVERIFY(!merlin.balloonGeometry().intersects(window.frameGeometry()));

    window.showMinimized();
    QTRY_VERIFY(!merlin.isVisible());
    QCOMPARE(merlin.balloonText(), QString());
    window.showNormal();
    QTRY_VERIFY(merlin.isVisible());
    QCOMPARE(merlin.balloonText(), QStringLiteral("Sei grande"));
    window.hide();
    QTRY_VERIFY(!merlin.isVisible());
    window.show();
    QTRY_VERIFY(merlin.isVisible());
    voice->finish();
}

// Where the program cannot place windows (native Wayland), the figure and balloon are drawn in
// the client area: the figure in the least missed corner whatever place is asked, no window of
// theirs takes the keyboard, nothing moves them twice when the window moves, and they grow with
// the client area.
void TestStage::insideWhereWindowsCannotBePlaced()
{
    const QRect answerPlace(10, 240, 150, 30);
    StagedWindow staged(QSize(400, 300), {QRect(0, 0, 400, 150), answerPlace},
                        QRect(250, 150, 150, 130), true);
    auto& [window, client, voice, options] = staged;
    auto* answer = new QLineEdit(client);
    answer->setGeometry(answerPlace);
    AgentControl control(options);
    window.show();
    QVERIFY(makeActive(&window));
    answer->setFocus();

    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    merlin.setHeight(205); // taller than the corner
    QSignalSpy idle(&merlin, &AgentCharacter::idle);
    merlin.Show();
    merlin.MoveTo(60, 30); // on the part to keep clear
    merlin.Speak(QStringLiteral("Sei grande"));
    QTRY_COMPARE(merlin.balloonText(), QStringLiteral("Sei grande"));
    voice->finish(); // the queue ends here, at once
    QTRY_COMPARE(idle.count(), 1);

    const QRect figure = merlin.windowGeometry(); // in the client's coordinates
    QVERIFY2(QRect(250, 150, 150, 130).contains(figure), qPrintable(QDebug::toString(figure)));
    const QRect balloon = merlin.balloonGeometry();
    QVERIFY2(client->rect().contains(balloon), qPrintable(QDebug::toString(balloon)));
    QVERIFY(!balloon.intersects(answer->geometry()));
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY2(top == &window || !top->isVisible(), qPrintable(top->objectName()));
    QCOMPARE(QApplication::activeWindow(), &window);
    QCOMPARE(QApplication::focusWidget(), answer);

    const QPoint before = window.pos();
    window.move(before + QPoint(40, 25));
    QTRY_VERIFY(window.pos() != before);
    QCOMPARE(merlin.windowGeometry(), figure);

    // The game drawn half as large again: so is the corner he stands in, and he with it.
    window.resize(600, 440);
    client->setGeometry(0, 20, 600, 420);
    QTRY_VERIFY(merlin.windowGeometry().height() > figure.height());
    QVERIFY2(QRect(375, 225, 225, 195).contains(merlin.windowGeometry()),
             qPrintable(QDebug::toString(merlin.windowGeometry())));
}

// The real character with a host window: the balloon opens beside the figure away from the
// host, and chooses again when the learner drags the figure to the host's other side.
void TestStage::balloonKeepsClearOfTheHostAndFollowsADrag()
{
    QPointer<FakeVoice> voice;
    AgentControl control(fakeVoiceOptions(&voice));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget host;
    host.setGeometry(screen.left() + 330, screen.top(), 140, screen.height());
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    QSignalSpy idle(&merlin, &AgentCharacter::idle);
    merlin.MoveTo(screen.left() + 480, screen.top() + 100);
    merlin.Show();
    QVERIFY(idle.wait(5000));
    QWidget* figure = QApplication::topLevelAt(merlin.windowGeometry().center());
    QVERIFY(figure);

    merlin.Speak(QStringLiteral("Sei grande"));
    QTRY_COMPARE(merlin.balloonText(), QStringLiteral("Sei grande"));
    QWidget* balloon = QApplication::topLevelAt(merlin.balloonGeometry().center());
    QVERIFY(balloon && balloon != figure);

    // The tail: mask pixels in the strip next to the figure, where the body never reaches.
    auto tailFacesTheFigure = [&](bool figureOnTheLeft) {
        constexpr int strip = 14; // within the tail's reach out of the balloon's body
        const QRect edge = figureOnTheLeft
                               ? QRect(0, 0, strip, balloon->height())
                               : QRect(balloon->width() - strip, 0, strip, balloon->height());
        const QRect far = figureOnTheLeft
                              ? QRect(balloon->width() - strip, 0, strip, balloon->height())
                              : QRect(0, 0, strip, balloon->height());
        const QRegion tail = balloon->mask().intersected(edge);
        return !tail.isEmpty() && tail.boundingRect().height() < balloon->height() / 2 &&
               balloon->mask().intersected(far).boundingRect().height() > balloon->height() / 2;
    };

    const QRect before = merlin.balloonGeometry();
    QVERIFY2(!before.intersects(host.frameGeometry()), "balloon over the host window");
    QVERIFY(before.left() > merlin.windowGeometry().center().x());
    QVERIFY(tailFacesTheFigure(true));

    // Dragged across the host, as the learner does: the balloon moves to the figure's left.
    const QPoint grip(80, 120);
    const QPoint start = figure->mapToGlobal(grip);
    const QPoint end = start - QPoint(310, 0);
    auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, figure->mapFromGlobal(global), global, Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(figure, &event);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    send(QEvent::MouseMove, start - QPoint(150, 0), Qt::LeftButton);
    send(QEvent::MouseMove, end, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, end, Qt::NoButton);
    QTRY_COMPARE(merlin.windowGeometry().topLeft(),
                 QPoint(screen.left() + 170, screen.top() + 100));
    QTRY_VERIFY(merlin.balloonGeometry().right() < merlin.windowGeometry().center().x());
    QVERIFY2(!merlin.balloonGeometry().intersects(host.frameGeometry()),
             "balloon over the host window");
    QVERIFY(screen.contains(merlin.balloonGeometry()));
    QVERIFY(tailFacesTheFigure(false));
    voice->finish();
}

QTEST_MAIN(TestStage)
#include "tst_assistant_stage.moc"
