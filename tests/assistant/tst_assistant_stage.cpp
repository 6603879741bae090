// On stage beside the program's window: the character's balloon opens away from the window and
// chooses again when the learner drags the figure across it.
#include "agentcharacter.h"
#include "agentcharacters.h"
#include "agentcontrol.h"
#include "assistanttesting.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

class TestStage : public QObject {
    Q_OBJECT

private slots:
    void balloonKeepsClearOfTheHostAndFollowsADrag();
};

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
