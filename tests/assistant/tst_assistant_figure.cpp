// The wizard's animations and its quiet life, rendered off screen.
#include "animator.h"
#include "characterdescription.h"
#include "figurerenderer.h"
#include "sparklefield.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <memory>

namespace {

const QStringList kGameAnimations{QStringLiteral("Announce"), QStringLiteral("congratulate"),
                                  QStringLiteral("congratulate_2"), QStringLiteral("wave")};
constexpr double kStepMs = 20;

// Runs the animator (and the sparkles it lets loose) for the given time.
void run(Animator& animator, SparkleField& sparkles, const FigureRenderer& renderer, double ms)
{
    for (double t = 0; t < ms; t += kStepMs) {
        for (const EffectSpec& effect : animator.advance(kStepMs))
            sparkles.release(effect.kind, renderer.anchorPoint(animator.pose(), effect.anchor),
                             effect.count);
        sparkles.advance(kStepMs);
    }
}

QImage render(const FigureRenderer& renderer, const Pose& pose, const SparkleField& sparkles)
{
    QImage image(240, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.paint(painter, pose, sparkles, QSizeF(image.size()));
    return image;
}

double differingShare(const QImage& a, const QImage& b)
{
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            differing += ra[x] != rb[x];
    }
    return double(differing) / (a.width() * a.height());
}

qint64 opaquePixels(const QImage& image)
{
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(row[x]) > 128;
    }
    return count;
}

} // namespace

class TestFigure : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void gameAnimationsLastOneToThreeSeconds_data();
    void gameAnimationsLastOneToThreeSeconds();
    void animationsAreClearlyDifferent();
    void appearanceFadesIn();
    void unknownAnimationChangesNothing();
    void idleLifeBlinksAndBreathes();
    void mouthMovesOnlyWhileSpeaking();

private:
    std::shared_ptr<const CharacterDescription> merlin_;
};

void TestFigure::initTestCase()
{
    merlin_ = std::make_shared<const CharacterDescription>(
        CharacterDescription::fromFile(QStringLiteral("Merlin.acs")));
}

void TestFigure::gameAnimationsLastOneToThreeSeconds_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& name : kGameAnimations)
        QTest::newRow(qPrintable(name)) << name;
}

void TestFigure::gameAnimationsLastOneToThreeSeconds()
{
    QFETCH(QString, name);
    Animator animator(merlin_);
    QVERIFY(animator.play(name));
    QCOMPARE(animator.clipName(), name);
    double elapsed = 0;
    bool moved = false;
    while (animator.isPlaying() && elapsed < 10000) {
        animator.advance(kStepMs);
        elapsed += kStepMs;
        const Pose pose = animator.pose();
        moved = moved || pose.armWand != 0 || pose.armFree != 0 || pose.hatSpin != 0;
    }
    QVERIFY(animator.finished());
    QVERIFY2(elapsed >= 1000 && elapsed <= 3000, qPrintable(QString::number(elapsed)));
    QVERIFY2(moved, "the animation moves no limb and no hat");
    QCOMPARE(animator.pose().armWand, 0.0); // back at rest
}

// Each animation at a third and at two thirds of its length, against each other and against
// the figure at rest: at least 3% of the picture must differ.
void TestFigure::animationsAreClearlyDifferent()
{
    FigureRenderer renderer(merlin_);
    Animator resting(merlin_);
    const QImage rest = render(renderer, resting.pose(), SparkleField());
    QVERIFY(opaquePixels(rest) > 240 * 300 / 5);

    QList<QImage> frames;
    for (const QString& name : kGameAnimations) {
        Animator animator(merlin_);
        SparkleField sparkles;
        QVERIFY(animator.play(name));
        const double third = merlin_->animation(name)->duration / 3;
        run(animator, sparkles, renderer, third);
        frames << render(renderer, animator.pose(), sparkles);
        run(animator, sparkles, renderer, third);
        frames << render(renderer, animator.pose(), sparkles);
    }
    for (int i = 0; i < frames.size(); ++i) {
        const QString which = kGameAnimations[i / 2];
        QVERIFY2(differingShare(frames[i], rest) > 0.03, qPrintable(which + " looks like rest"));
        for (int j = (i / 2 + 1) * 2; j < frames.size(); ++j)
            QVERIFY2(differingShare(frames[i], frames[j]) > 0.03,
                     qPrintable(which + " looks like " + kGameAnimations[j / 2]));
    }
}

void TestFigure::appearanceFadesIn()
{
    FigureRenderer renderer(merlin_);
    Animator animator(merlin_);
    SparkleField sparkles;
    animator.playAppearance();
    QCOMPARE(animator.clipName(), QStringLiteral("appearance"));
    run(animator, sparkles, renderer, kStepMs);
    const qint64 early = opaquePixels(render(renderer, animator.pose(), sparkles));
    run(animator, sparkles, renderer, merlin_->appearance.duration);
    QVERIFY(!animator.isPlaying());
    const qint64 settled = opaquePixels(render(renderer, animator.pose(), sparkles));
    QVERIFY2(early * 4 < settled, qPrintable(QStringLiteral("%1 vs %2").arg(early).arg(settled)));
}

void TestFigure::unknownAnimationChangesNothing()
{
    Animator animator(merlin_);
    QVERIFY(animator.play(QStringLiteral("wave")));
    animator.advance(100);
    QVERIFY(!animator.play(QStringLiteral("Wave")));
    QVERIFY(!animator.play(QStringLiteral("appearance")));
    QCOMPARE(animator.clipName(), QStringLiteral("wave"));
}

void TestFigure::idleLifeBlinksAndBreathes()
{
    Animator animator(merlin_);
    bool closed = false;
    bool reopened = false;
    double lowest = 2;
    double highest = 0;
    for (double t = 0; t < 8000; t += kStepMs) {
        animator.advance(kStepMs);
        const Pose pose = animator.pose();
        closed = closed || pose.eyesOpen == 0;
        reopened = reopened || (closed && pose.eyesOpen == 1);
        lowest = std::min(lowest, pose.squash);
        highest = std::max(highest, pose.squash);
    }
    QVERIFY2(closed && reopened, "no blink in eight seconds");
    QVERIFY2(highest - lowest > 0.01, "no breathing");
    QVERIFY(!animator.isPlaying());
}

void TestFigure::mouthMovesOnlyWhileSpeaking()
{
    Animator animator(merlin_);
    auto mouthRange = [&] {
        double lowest = 2;
        double highest = -1;
        for (int i = 0; i < 100; ++i) {
            animator.advance(kStepMs);
            lowest = std::min(lowest, animator.pose().mouthOpen);
            highest = std::max(highest, animator.pose().mouthOpen);
        }
        return std::pair{lowest, highest};
    };
    QCOMPARE(mouthRange(), (std::pair{0.0, 0.0}));
    animator.setSpeaking(true);
    const auto [low, high] = mouthRange();
    QVERIFY(high - low > 0.4);
    animator.setSpeaking(false);
    QCOMPARE(mouthRange(), (std::pair{0.0, 0.0}));
}

QTEST_MAIN(TestFigure)
#include "tst_assistant_figure.moc"
