// Screenshots of the wizard on a real X server (Xvfb): every animation, and the balloon.
// The pictures are kept for a person to look at; the checks make sure they show something.
#include "agentcharacter.h"
#include "agentcharacters.h"
#include "agentcontrol.h"
#include "assistanttesting.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>
#include <memory>

namespace {

const QColor kBackdrop(0x9c, 0xd8, 0x8a); // stands in for the game window behind the wizard
constexpr double kPace = 2;

bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b)) <
           24;
}

} // namespace

class TestScreens : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void figureIsShapedAndVisible();
    void everyAnimationIsShot();
    void balloonShowsTheWords();

private:
    QImage grabFigure(const QString& name);

    QPointer<FakeVoice> voice_;
    std::unique_ptr<QWidget> backdrop_;
    std::unique_ptr<AgentControl> control_;
    AgentCharacter* merlin_ = nullptr;
    QDir shots_;
    QImage rest_;
};

void TestScreens::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server: run through xvfb-run");
    const QString dir = qEnvironmentVariable(
        "PERLOBIN_SHOTS", QDir::temp().filePath(QStringLiteral("perlobin-shots")));
    QVERIFY(QDir().mkpath(dir));
    shots_ = QDir(dir);

    backdrop_ = std::make_unique<QWidget>();
    backdrop_->setWindowFlag(Qt::FramelessWindowHint);
    backdrop_->setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, kBackdrop);
    backdrop_->setPalette(palette);
    backdrop_->setGeometry(0, 0, 700, 500);
    backdrop_->show();
    QVERIFY(QTest::qWaitForWindowExposed(backdrop_.get()));

    control_ = std::make_unique<AgentControl>(fakeVoiceOptions(&voice_, kPace));
    control_->Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    merlin_ = &control_->Characters()(QStringLiteral("Merlin"));
    QSignalSpy idle(merlin_, &AgentCharacter::idle);
    merlin_->MoveTo(400, 120);
    merlin_->Show();
    merlin_->setHeight(205);
    QVERIFY(idle.wait(10000));
    QTest::qWait(300); // let the X server draw the last frame
    rest_ = grabFigure(QStringLiteral("rest"));
}

void TestScreens::cleanupTestCase()
{
    control_.reset();
    backdrop_.reset();
    qInfo("screenshots in %s", qPrintable(shots_.absolutePath()));
}

QImage TestScreens::grabFigure(const QString& name)
{
    const QRect area = merlin_->windowGeometry();
    QImage shot = QGuiApplication::primaryScreen()
                      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                      .toImage()
                      .convertToFormat(QImage::Format_RGB32);
    shot.save(shots_.filePath(name + QLatin1String(".png")));
    return shot;
}

// Around the figure the game shows through (the window is cut to the figure, no black box);
// on the figure, the wizard's colours.
void TestScreens::figureIsShapedAndVisible()
{
    const QImage frame = merlin_->currentFrame().scaled(rest_.size());
    qint64 outside = 0;
    qint64 outsideShowingGame = 0;
    qint64 inside = 0;
    qint64 insideShowingFigure = 0;
    for (int y = 0; y < rest_.height(); ++y) {
        for (int x = 0; x < rest_.width(); ++x) {
            const int alpha = qAlpha(frame.pixel(x, y));
            const bool showsGame = near(rest_.pixel(x, y), kBackdrop.rgb());
            if (alpha == 0) {
                ++outside;
                outsideShowingGame += showsGame;
            } else if (alpha == 255) {
                ++inside;
                insideShowingFigure += !showsGame && qGray(rest_.pixel(x, y)) > 0;
            }
        }
    }
    QVERIFY(outside > 0 && inside > rest_.width() * rest_.height() / 5);
    QVERIFY2(outsideShowingGame > outside * 9 / 10,
             qPrintable(QStringLiteral("%1 of %2").arg(outsideShowingGame).arg(outside)));
    QVERIFY2(insideShowingFigure > inside * 9 / 10,
             qPrintable(QStringLiteral("%1 of %2").arg(insideShowingFigure).arg(inside)));
}

// Whether the animations differ from rest and from one another is the figure's own test.
void TestScreens::everyAnimationIsShot()
{
    const QStringList names{QStringLiteral("Announce"), QStringLiteral("congratulate"),
                            QStringLiteral("congratulate_2"), QStringLiteral("wave")};
    for (const QString& name : names) {
        QSignalSpy idle(merlin_, &AgentCharacter::idle);
        merlin_->Play(name);
        QTRY_COMPARE(merlin_->currentAnimation(), name);
        QTest::qWait(250); // well inside the shortest animation, 1 s at pace 1
        grabFigure(name);
        QVERIFY(shots_.exists(name + QLatin1String(".png")));
        QVERIFY(idle.wait(10000));
    }
}

void TestScreens::balloonShowsTheWords()
{
    merlin_->Speak(QStringLiteral("Ciao. Vuoi giocare con me con l'abaco? E allora che il gioco "
                                  "abbia inizio. Che la magia sia con te"));
    QTRY_VERIFY(!merlin_->balloonText().isEmpty());
    QTest::qWait(300);
    const QRect area = merlin_->windowGeometry().united(merlin_->balloonGeometry());
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                            .toImage();
    shot.save(shots_.filePath(QStringLiteral("speaking.png")));
    // The balloon is light and lettered in dark ink: both show where it stands.
    const QRect balloon = merlin_->balloonGeometry().translated(-area.topLeft());
    int light = 0;
    int dark = 0;
    for (int y = balloon.top(); y <= balloon.bottom(); ++y)
        for (int x = balloon.left(); x <= balloon.right(); ++x) {
            const int grey = qGray(shot.pixel(x, y));
            light += grey > 230;
            dark += grey < 80;
        }
    const int all = balloon.width() * balloon.height();
    QVERIFY2(light > all / 2, qPrintable(QString::number(light)));
    QVERIFY2(dark > all / 50, qPrintable(QString::number(dark)));
    voice_->finish();
}

QTEST_MAIN(TestScreens)
#include "tst_assistant_screens.moc"
