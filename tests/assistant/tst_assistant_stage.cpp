// On stage beside the program's window: the figure stands next to its frame where the screen has
// room for it and its words, belongs to the window (moves, changes size, hides and comes back
// with it), and the balloon opens away from the window and chooses again when the learner drags
// the figure. Where there is no such room, both are drawn on the board the window gives them.
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

// A window whose client area lies under a 20-pixel bar; the stage: the client at (10, 10)
// designed, and a board in the client's lower right quarter, hidden until the window has no
// room for the figure beside it.
struct StagedWindow {
    QWidget window;
    QWidget* client = new QWidget(&window);
    QWidget* board = new QWidget(&window);
    QPointer<FakeVoice> voice;
    AgentOptions options = fakeVoiceOptions(&voice);

    explicit StagedWindow(const QRect& geometry)
    {
        window.setGeometry(geometry);
        client->setGeometry(0, 20, geometry.width() / 2, geometry.height() - 20);
        board->setGeometry(geometry.width() / 2, 20, geometry.width() / 2, geometry.height() - 20);
        board->hide();
        options.stage = {client, QPoint(10, 10), client->size(), 100, board};
    }
};

// Next to the frame, on one of its sides, at most 16 pixels times the scale from it, all in the
// work area.
bool besideTheFrame(const QRect& figure, const QRect& frame, qreal scale,
                    const QRect& area = QGuiApplication::primaryScreen()->availableGeometry())
{
    const int reach = int(16 * scale);
    const bool sideways = figure.top() <= frame.bottom() && figure.bottom() >= frame.top();
    const bool level = figure.left() <= frame.right() && figure.right() >= frame.left();
    const int gapX = std::max(figure.left() - frame.right(), frame.left() - figure.right()) - 1;
    const int gapY = std::max(figure.top() - frame.bottom(), frame.top() - figure.bottom()) - 1;
    return !figure.intersects(frame) && area.contains(figure) &&
           ((sideways && gapX >= 0 && gapX <= reach) || (level && gapY >= 0 && gapY <= reach));
}

QString describe(const QRect& rect)
{
    return QDebug::toString(rect);
}

} // namespace

class TestStage : public QObject {
    Q_OBJECT

private slots:
    void figurePlace_data();
    void figurePlace();
    void figureBelongsToTheWindow();
    void onTheBoardWhereThereIsNoRoomBeside();
    void balloonKeepsClearOfTheHostAndFollowsADrag();
};

void TestStage::figurePlace_data()
{
    QTest::addColumn<QRect>("wanted");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QRect>("placed"); // null: no room
    // A game window at (100, 50) 600x500; a 160x200 figure whose room beside a side is 290x370,
    // its words above it, and above or under the window 450x200, its words on its left; gap 8.
    const QSize figure(160, 200);
    const QRect desktop(0, 0, 1280, 1024);
    QTest::newRow("right, level with the place asked")
        << QRect(QPoint(550, 300), figure) << desktop << QRect(QPoint(708, 300), figure);
    QTest::newRow("right, lower than asked: room for the words above")
        << QRect(QPoint(550, 100), figure) << desktop << QRect(QPoint(708, 170), figure);
    QTest::newRow("no room right: left")
        << QRect(QPoint(550, 300), figure) << QRect(-400, 0, 1150, 1024)
        << QRect(QPoint(-68, 300), figure);
    QTest::newRow("no room at the sides: under, sliding along the frame")
        << QRect(QPoint(550, 300), figure) << QRect(100, 0, 600, 1024)
        << QRect(QPoint(540, 558), figure);
    QTest::newRow("nor under: above")
        << QRect(QPoint(200, 300), figure) << QRect(100, -300, 600, 1050)
        << QRect(QPoint(390, -158), figure);
    QTest::newRow("no room anywhere")
        << QRect(QPoint(550, 300), figure) << QRect(100, 0, 600, 700) << QRect();
}

void TestStage::figurePlace()
{
    QFETCH(QRect, wanted);
    QFETCH(QRect, area);
    QFETCH(QRect, placed);
    const QRect frame(100, 50, 600, 500);
    const auto chosen =
        FigurePlacement::beside(wanted, frame, area, 8, QSize(290, 370), QSize(450, 200));
    QCOMPARE(chosen.value_or(QRect()), placed);
    if (chosen)
        QVERIFY(besideTheFrame(*chosen, frame, 1.0, area));
}

// The real character on a stage: asked to stand on the window, he stands next to its frame; he
// is transient for it, follows it when it moves or grows, grows with it, and leaves and comes
// back with it.
void TestStage::figureBelongsToTheWindow()
{
    StagedWindow staged(QRect(20, 300, 300, 200));
    auto& [window, client, board, voice, options] = staged;
    AgentControl control(options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    merlin.setHeight(100);
    QSignalSpy idle(&merlin, &AgentCharacter::idle);
    merlin.Show();
    merlin.MoveTo(40, 100); // on the window, for the window at (10, 10)
    QVERIFY(idle.wait(5000));
    const QRect figure = merlin.windowGeometry();
    QCOMPARE(figure.left(), window.frameGeometry().right() + 9);
    QCOMPARE(figure.top(), client->mapToGlobal(QPoint(0, 0)).y() + 90);
    QWidget* figureWindow = QApplication::topLevelAt(figure.center());
    QVERIFY(figureWindow);
    QCOMPARE(figureWindow->windowHandle()->transientParent(), window.windowHandle());
    QVERIFY(!figureWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    window.move(window.pos() + QPoint(40, -25));
    QTRY_COMPARE(merlin.windowGeometry(), figure.translated(40, -25));

    merlin.Speak(QStringLiteral("Sei grande"));
    QTRY_COMPARE(merlin.balloonText(), QStringLiteral("Sei grande"));

    // Wider, the window would stand on him: he keeps to its frame.
    window.resize(360, 200);
    QTRY_COMPARE(merlin.windowGeometry().left(), window.frameGeometry().right() + 9);
    QVERIFY(!merlin.balloonGeometry().intersects(window.frameGeometry()));

    // The game drawn half as large again: so are he and his words, still next to the frame.
    const QSize words = merlin.balloonGeometry().size();
    window.resize(450, 290);
    client->setGeometry(0, 20, 225, 270);
    QTRY_COMPARE(merlin.windowGeometry().height(), 150);
    QTRY_VERIFY2(besideTheFrame(merlin.windowGeometry(), window.frameGeometry(), 1.5),
                 qPrintable(describe(merlin.windowGeometry())));
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

// Where the window leaves no room beside it, the game shows the board: the figure and balloon
// are drawn in it, whatever place is asked, no window of theirs takes the keyboard, nothing
// moves them twice when the window moves, and they follow the board as it changes. The board
// hidden, he stands beside the window again.
void TestStage::onTheBoardWhereThereIsNoRoomBeside()
{
    StagedWindow staged(QRect(20, 40, 600, 440));
    auto& [window, client, board, voice, options] = staged;
    auto* answer = new QLineEdit(client);
    answer->setGeometry(10, 240, 150, 30);
    AgentControl control(options);
    window.show();
    QVERIFY(makeActive(&window));
    answer->setFocus();

    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    merlin.setHeight(205); // taller than the board lets him be
    QSignalSpy idle(&merlin, &AgentCharacter::idle);
    merlin.Show();
    merlin.MoveTo(60, 30); // on the window
    QVERIFY(idle.wait(5000));
    QWidget* figureWindow = QApplication::topLevelAt(merlin.windowGeometry().center());
    QVERIFY(figureWindow && figureWindow != &window);
    QVERIFY(makeActive(&window)); // the offscreen platform activates each window it shows, his too

    board->setGeometry(300, 270, 300, 150);
    board->show();
    merlin.Speak(QStringLiteral("Sei proprio bravo, continua così!"));
    QTRY_COMPARE(merlin.balloonText(), QStringLiteral("Sei proprio bravo, continua così!"));
    voice->finish();
    QTRY_COMPARE(idle.count(), 2);

    const auto onBoard = [&](const QRect& rect) {
        return QRect(board->mapTo(&window, QPoint()), board->size()).contains(rect);
    };
    const QRect figure = merlin.windowGeometry(); // in the board's coordinates
    QVERIFY2(board->rect().contains(figure), qPrintable(describe(figure)));
    QCOMPARE(figure.bottom(), board->height() - 1);
    QVERIFY2(board->rect().contains(merlin.balloonGeometry()),
             qPrintable(describe(merlin.balloonGeometry())));
    QVERIFY(onBoard(QRect(figureWindow->mapTo(&window, QPoint()), figure.size())));
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY2(top == &window || !top->isVisible(), qPrintable(top->objectName()));
    for (const QWidget* inside : window.findChildren<QWidget*>())
        QVERIFY2(!inside->internalWinId(), inside->metaObject()->className());
    QCOMPARE(QApplication::activeWindow(), &window);
    QCOMPARE(QApplication::focusWidget(), answer);

    const QPoint before = window.pos();
    window.move(before + QPoint(40, 25));
    QTRY_VERIFY(window.pos() != before);
    QCOMPARE(merlin.windowGeometry(), figure);

    // A larger board: he stands at its foot again, as tall as asked now that it has room.
    board->setGeometry(300, 20, 300, 420);
    QTRY_COMPARE(merlin.windowGeometry().height(), 205);
    QCOMPARE(merlin.windowGeometry().bottom(), board->height() - 1);

    // Room beside the window again: a window of his own next to its frame.
    window.resize(300, 300);
    board->hide();
    QTRY_VERIFY(merlin.windowGeometry().left() > window.frameGeometry().right());
    QVERIFY2(besideTheFrame(merlin.windowGeometry(), window.frameGeometry(), 1.0),
             qPrintable(describe(merlin.windowGeometry())));
    QCOMPARE(QApplication::topLevelAt(merlin.windowGeometry().center()), figureWindow);
    QCOMPARE(figureWindow->windowHandle()->transientParent(), window.windowHandle());
    QCOMPARE(QApplication::focusWidget(), answer);
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
