// The speech balloon leaves the program's windows in view wherever the screen has room for it.
#include "agentcharacter.h"
#include "agentcharacters.h"
#include "agentcontrol.h"
#include "assistanttesting.h"
#include "balloonplacement.h"
#include "balloonwindow.h"
#include "characterwindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

using Side = BalloonPlacement::Side;
Q_DECLARE_METATYPE(BalloonPlacement::Side)

namespace {

// The real figure's size in the game.
QRect figureAt(int x, int y)
{
    return {x, y, 164, 205};
}

bool tipOnFacingEdge(const BalloonPlacement::Choice& choice)
{
    const QRect& r = choice.rect;
    switch (choice.side) {
    case Side::Right:
        return choice.tip.x() == r.left();
    case Side::Left:
        return choice.tip.x() == r.right();
    case Side::Above:
        return choice.tip.y() == r.bottom();
    case Side::Below:
        return choice.tip.y() == r.top();
    }
    return false;
}

bool besideTheArt(const QRect& balloon, const QRect& art, Side side)
{
    switch (side) {
    case Side::Right:
        return balloon.left() > art.right();
    case Side::Left:
        return balloon.right() < art.left();
    case Side::Above:
        return balloon.bottom() < art.top();
    case Side::Below:
        return balloon.top() > art.bottom();
    }
    return false;
}

} // namespace

class TestBalloon : public QObject {
    Q_OBJECT

private slots:
    void placementCoversLeast_data();
    void placementCoversLeast();
    void balloonKeepsClearOfTheHostAndFollowsADrag();
};

void TestBalloon::placementCoversLeast_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("figure");
    QTest::addColumn<QList<QSize>>("bodies");
    QTest::addColumn<QList<QRect>>("keepClear");
    QTest::addColumn<Side>("previous");
    QTest::addColumn<Side>("side");
    QTest::addColumn<int>("layout");
    QTest::addColumn<qint64>("covered");

    const QRect screen(0, 0, 1024, 768);
    const QList<QSize> one{QSize(240, 100)};
    QTest::newRow("game on the left: balloon on the right")
        << QRect(0, 0, 1600, 900) << figureAt(800, 175) << one
        << QList<QRect>{QRect(18, 39, 754, 576)} << Side::Left << Side::Right << 0 << qint64(0);
    QTest::newRow("figure at the right edge: above, clear of the game")
        << screen << figureAt(860, 300) << one << QList<QRect>{QRect(18, 380, 754, 300)}
        << Side::Right << Side::Above << 0 << qint64(0);
    QTest::newRow("right edge under a wide window, a message box on the left: below")
        << screen << figureAt(860, 300) << one
        << QList<QRect>{QRect(0, 0, 1024, 290), QRect(400, 295, 420, 200)} << Side::Right
        << Side::Below << 0 << qint64(0);
    // Right: clamped onto the art; left: all over the game; above or below: a strip of it.
    QTest::newRow("no room outside the game: the side covering least")
        << screen << figureAt(860, 300) << one << QList<QRect>{QRect(0, 0, 900, 768)} << Side::Right
        << Side::Above << 0 << qint64(116 * 118);
    QTest::newRow("narrower words fit on the right")
        << screen << figureAt(700, 200)
        << QList<QSize>{QSize(240, 100), QSize(200, 120), QSize(160, 150)}
        << QList<QRect>{QRect(18, 39, 680, 576)} << Side::Right << Side::Right << 2 << qint64(0);
    QTest::newRow("figure in the top left corner: kept on the screen")
        << screen << figureAt(0, 0) << QList<QSize>{QSize(240, 160)} << QList<QRect>{}
        << Side::Right << Side::Right << 0 << qint64(0);
    QTest::newRow("figure in the bottom right corner: on the left")
        << screen << figureAt(860, 563) << one << QList<QRect>{} << Side::Right << Side::Left << 0
        << qint64(0);
    // Every place covers part of the figure's art; above covers least of it.
    QTest::newRow("tiny screen: least overlap, never off it")
        << QRect(0, 0, 300, 250) << figureAt(68, 22) << one << QList<QRect>{} << Side::Right
        << Side::Above << 0 << qint64(100 * 86);
    QTest::newRow("room everywhere: the side used before")
        << QRect(0, 0, 1600, 900) << figureAt(700, 350) << one << QList<QRect>{} << Side::Below
        << Side::Below << 0 << qint64(0);
    QTest::newRow("equally covered: the side used before")
        << QRect(0, 0, 300, 250) << figureAt(68, 22) << one << QList<QRect>{QRect(0, 0, 300, 250)}
        << Side::Left << Side::Left << 0 << qint64(258 * 100);
}

void TestBalloon::placementCoversLeast()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, figure);
    QFETCH(QList<QSize>, bodies);
    QFETCH(QList<QRect>, keepClear);
    QFETCH(Side, previous);
    QFETCH(Side, side);
    QFETCH(int, layout);
    QFETCH(qint64, covered);

    const BalloonPlacement::Choice choice =
        BalloonPlacement::choose(figure, bodies, screen, keepClear, previous);
    QVERIFY2(screen.contains(choice.rect), "balloon off the screen");
    const bool sideways = choice.side == Side::Right || choice.side == Side::Left;
    const QSize tail =
        sideways ? QSize(BalloonPlacement::kTail, 0) : QSize(0, BalloonPlacement::kTail);
    QCOMPARE(choice.rect.size(), bodies[choice.layout] + tail);
    QVERIFY2(tipOnFacingEdge(choice), "tail not on the edge facing the figure");
    if (covered == 0) {
        const QRect art = BalloonPlacement::figureArt(figure);
        QVERIFY2(besideTheArt(choice.rect, art, choice.side), "balloon not beside the figure");
        for (const QRect& window : keepClear)
            QVERIFY2(!choice.rect.intersects(window), "a window to keep clear is covered");
        // Level with the face, or next to the head.
        if (sideways)
            QVERIFY(choice.tip.y() > figure.top() + figure.height() / 4 &&
                    choice.tip.y() < figure.top() + figure.height() * 3 / 4);
        else
            QVERIFY(qAbs(choice.tip.x() - figure.center().x()) < figure.width() / 4);
    }
    QCOMPARE(choice.side, side);
    QCOMPARE(choice.layout, layout);
    QCOMPARE(choice.covered, covered);
}

// The real character with a host window: the balloon opens beside the figure away from the
// host, and chooses again when the learner drags the figure to the host's other side.
void TestBalloon::balloonKeepsClearOfTheHostAndFollowsADrag()
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
    CharacterWindow* figure = nullptr;
    BalloonWindow* balloon = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<CharacterWindow*>(widget))
            figure = found;
        if (auto* found = qobject_cast<BalloonWindow*>(widget))
            balloon = found;
    }
    QVERIFY(figure && balloon);

    merlin.Speak(QStringLiteral("Sei grande"));
    QTRY_COMPARE(merlin.balloonText(), QStringLiteral("Sei grande"));

    // The tail: mask pixels in the strip next to the figure, where the body never reaches.
    auto tailFacesTheFigure = [&](bool figureOnTheLeft) {
        const int strip = BalloonPlacement::kTail - 4;
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

QTEST_MAIN(TestBalloon)
#include "tst_assistant_balloon.moc"
