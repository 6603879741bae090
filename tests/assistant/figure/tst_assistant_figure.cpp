// The wizard's animations and its quiet life, rendered off screen.
#include "animator.h"
#include "characterdescription.h"
#include "characterwindow.h"
#include "figurerenderer.h"
#include "sparklefield.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

const QStringList kGameAnimations{QStringLiteral("Announce"), QStringLiteral("congratulate"),
                                  QStringLiteral("congratulate_2"), QStringLiteral("wave")};
constexpr double kStepMs = 20;
const QString kArt = QStringLiteral(":/assistant/characters");
const QList<MouthShape> kShapes{MouthShape::Closed, MouthShape::Open, MouthShape::Mid,
                                MouthShape::Round, MouthShape::Teeth};
constexpr const char* kShapeNames[] = {"closed", "open", "mid", "round", "teeth"};

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

QByteArray merlinJson()
{
    QFile file(kArt + QStringLiteral("/merlin.json"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 differingPixels(const QImage& a, const QImage& b)
{
    return qint64(std::lround(differingShare(a, b) * a.width() * a.height()));
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    PaintCounter(QWidget* widget, int* paints)
        : paints_(paints)
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        *paints_ += event->type() == QEvent::Paint;
        return false;
    }

private:
    int* paints_;
};

} // namespace

Q_DECLARE_METATYPE(Pose)

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
    void windowRestsBetweenBlinks();
    void mouthShapesLookDifferent_data();
    void mouthShapesLookDifferent();
    void mouthEases_data();
    void mouthEases();
    void mouthRestsClosed_data();
    void mouthRestsClosed();
    void renamedJointsMoveTheirParts_data();
    void renamedJointsMoveTheirParts();
    void badJointsAreRefused_data();
    void badJointsAreRefused();
    void brokenDescriptionsAreRefused_data();
    void brokenDescriptionsAreRefused();

private:
    // The face at the game's height of 205 px, around the mouth.
    QImage mouth(const Pose& pose) const;
    // The pose after speaking each shape for its time in turn.
    Pose speaking(const QList<MouthShape>& shapes, const QList<double>& ms) const;

    std::shared_ptr<const CharacterDescription> merlin_;
};

void TestFigure::initTestCase()
{
    merlin_ = std::make_shared<const CharacterDescription>(
        CharacterDescription::fromFile(QStringLiteral("Merlin.acs")));
}

QImage TestFigure::mouth(const Pose& pose) const
{
    QImage image(164, 205, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        FigureRenderer(merlin_).paint(painter, pose, SparkleField(), QSizeF(image.size()));
    }
    const QPointF centre = merlin_->mouth * (205.0 / merlin_->viewBox.height());
    return image.copy(QRect(centre.toPoint() - QPoint(10, 8), QSize(20, 16)));
}

Pose TestFigure::speaking(const QList<MouthShape>& shapes, const QList<double>& ms) const
{
    Animator animator(merlin_);
    animator.setSpeaking(true);
    for (qsizetype i = 0; i < shapes.size(); ++i) {
        animator.setMouth(shapes[i]);
        for (double t = 0; t < ms[i]; t += 10)
            animator.advance(10);
    }
    return animator.pose();
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

// With nothing to do the window draws only blinks, each from one of its two resting frames: no
// breath, no frame drawn anew.
void TestFigure::windowRestsBetweenBlinks()
{
    CharacterWindow window(merlin_, 25);
    window.setFigureHeight(205);
    QSignalSpy appeared(&window, &CharacterWindow::clipFinished);
    window.appear();
    QVERIFY(appeared.wait(5000));
    QTRY_VERIFY(window.isResting());

    QList<qint64> shown{window.frame().cacheKey()};
    int paints = 0;
    PaintCounter counter(&window, &paints);
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, &window, [&] {
        if (window.frame().cacheKey() != shown.last())
            shown.append(window.frame().cacheKey());
    });
    sampler.start(1);
    QTest::qWait(2000); // about three blinks at this pace
    // The eyes stay shut for under 6 ms at this pace, too short to be sure to see; after the
    // first blink the open eyes are a frame drawn at rest, not the one he came to rest with.
    QVERIFY2(shown.size() >= 2, "no blink");
    // The frame shown when he came to rest, then eyes shut and open over and over.
    const QSet<qint64> frames(shown.begin(), shown.end());
    QVERIFY2(frames.size() <= 3, qPrintable(QStringLiteral("%1 frames drawn").arg(frames.size())));
    // Each paint wakes the program: one for each change of the eyes, none for nothing new.
    QVERIFY2(paints <= shown.size(),
             qPrintable(QStringLiteral("%1 paints for %2 frames").arg(paints).arg(shown.size())));
    QVERIFY(window.isResting());
}

void TestFigure::mouthShapesLookDifferent_data()
{
    QTest::addColumn<MouthShape>("a");
    QTest::addColumn<MouthShape>("b");
    for (int i = 0; i < kShapes.size(); ++i)
        for (int j = i + 1; j < kShapes.size(); ++j)
            QTest::addRow("%s/%s", kShapeNames[i], kShapeNames[j]) << kShapes[i] << kShapes[j];
}

// At the game's height, a dozen pixels of the mouth at least tell each pair apart.
void TestFigure::mouthShapesLookDifferent()
{
    QFETCH(MouthShape, a);
    QFETCH(MouthShape, b);
    const QImage first = mouth(speaking({a}, {200}));
    QVERIFY(differingPixels(first, mouth(speaking({b}, {200}))) >= 12);
}

void TestFigure::mouthEases_data()
{
    QTest::addColumn<MouthShape>("from");
    QTest::addColumn<MouthShape>("to");
    QTest::newRow("closed to open") << MouthShape::Closed << MouthShape::Open;
    QTest::newRow("round to teeth") << MouthShape::Round << MouthShape::Teeth;
    QTest::newRow("mid to closed") << MouthShape::Mid << MouthShape::Closed;
}

// Half-way the mouth is neither shape; 70 ms on it is the new one exactly.
void TestFigure::mouthEases()
{
    QFETCH(MouthShape, from);
    QFETCH(MouthShape, to);
    // Against the ends at the same moment of the breath, which moves the mouth too.
    const QImage middle = mouth(speaking({from, to}, {200, 30}));
    QVERIFY(differingPixels(middle, mouth(speaking({from}, {230}))) > 0);
    QVERIFY(differingPixels(middle, mouth(speaking({to}, {230}))) > 0);
    QCOMPARE(mouth(speaking({from, to}, {200, 70})), mouth(speaking({to}, {270})));
}

void TestFigure::mouthRestsClosed_data()
{
    QTest::addColumn<bool>("stopSpeaking");
    QTest::addColumn<MouthShape>("last");
    QTest::newRow("speech ends") << true << MouthShape::Open;
    QTest::newRow("closed shape") << false << MouthShape::Closed;
    QTest::newRow("shape after speech") << true << MouthShape::Round;
}

void TestFigure::mouthRestsClosed()
{
    QFETCH(bool, stopSpeaking);
    QFETCH(MouthShape, last);
    FigureRenderer renderer(merlin_);
    Animator animator(merlin_);
    animator.setSpeaking(true);
    animator.setMouth(MouthShape::Open);
    animator.advance(200);
    if (stopSpeaking) {
        animator.setSpeaking(false);
        QVERIFY(animator.mouthMoving());
    }
    animator.setMouth(last); // after the speech, a late shape changes nothing
    animator.advance(100);
    Animator resting(merlin_); // breathing alike
    resting.advance(300);
    QCOMPARE(mouth(animator.pose()), mouth(resting.pose()));
    QCOMPARE(animator.mouthMoving(), !stopSpeaking);
}

void TestFigure::renamedJointsMoveTheirParts_data()
{
    QTest::addColumn<QString>("joint");
    QTest::addColumn<QString>("renamed");
    QTest::addColumn<Pose>("pose");
    Pose hat;
    hat.hatLift = -18;
    hat.hatSpin = 40;
    Pose arm;
    arm.armWand = -120;
    QTest::newRow("hat") << "hat"
                         << "cappello" << hat;
    QTest::newRow("wand arm") << "armWand"
                              << "bacchetta" << arm;
}

void TestFigure::renamedJointsMoveTheirParts()
{
    QFETCH(QString, joint);
    QFETCH(QString, renamed);
    QFETCH(Pose, pose);
    // The joint's own entry and the parts and anchors on it, not the pose values it names.
    const QByteArray from = '"' + joint.toUtf8() + '"';
    const QByteArray to = '"' + renamed.toUtf8() + '"';
    const QByteArray json = merlinJson()
                                .replace(from + ": {", to + ": {")
                                .replace(R"("joint": )" + from, R"("joint": )" + to);
    QVERIFY(json != merlinJson());
    FigureRenderer theirs(
        std::make_shared<const CharacterDescription>(CharacterDescription::fromJson(json, kArt)));
    FigureRenderer ours(merlin_);
    const QImage moved = render(theirs, pose, SparkleField());
    QVERIFY(differingShare(moved, render(theirs, Pose(), SparkleField())) > 0.01);
    QCOMPARE(moved, render(ours, pose, SparkleField()));
}

void TestFigure::badJointsAreRefused_data()
{
    QTest::addColumn<QByteArrayList>("edits"); // what to replace, and by what, in turn
    const QByteArray arm = R"("parent": "body", "rotate": "armFree")";
    QTest::newRow("unknown pose value")
        << QByteArrayList{arm, R"("parent": "body", "rotate": "tail")"};
    QTest::newRow("unknown parent")
        << QByteArrayList{arm, R"("parent": "torso", "rotate": "armFree")"};
    QTest::newRow("own ancestor") << QByteArrayList{arm, R"("parent": "hat", "rotate": "armFree")",
                                                    R"("parent": "body", "lift")",
                                                    R"("parent": "armFree", "lift")"};
    QTest::newRow("unknown motion")
        << QByteArrayList{arm, R"("parent": "body", "turn": "armFree")"};
    QTest::newRow("pivot not a point")
        << QByteArrayList{R"("pivot": [94, 158])", R"("pivot": [94])"};
    QTest::newRow("effect from nowhere")
        << QByteArrayList{R"("anchor": "centre")", R"("anchor": "feet")"};
}

void TestFigure::badJointsAreRefused()
{
    QFETCH(QByteArrayList, edits);
    QByteArray json = merlinJson();
    for (qsizetype i = 0; i + 1 < edits.size(); i += 2) {
        QVERIFY2(json.contains(edits[i]), edits[i].constData());
        json.replace(edits[i], edits[i + 1]);
    }
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, CharacterDescription::fromJson(json, kArt));
}

namespace {

const QByteArray good = R"({"viewBox":[10,10],"joints":{"body":[5,10]},"parts":[],
    "eyes":[],"mouth":[5,5],"anchors":{},"appearance":{"duration":100,"tracks":{}},
    "animations":{"x":{"duration":100,"tracks":{"armWand":[[0,0],[50,10]]}}}})";

} // namespace

void TestFigure::brokenDescriptionsAreRefused_data()
{
    // The rows break a description that is otherwise sound.
    QCOMPARE(CharacterDescription::fromJson(good, QString()).animationNames(),
             QStringList{QStringLiteral("x")});

    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not JSON") << QByteArray("{ viewBox");
    QTest::newRow("no body joint") << QByteArray(good).replace(R"("body")", R"("torso")");
    QTest::newRow("empty view box") << QByteArray(good).replace("[10,10]", "[0,10]");
    QTest::newRow("unknown pose value") << QByteArray(good).replace(R"("armWand")", R"("tail")");
    QTest::newRow("keys out of order") << QByteArray(good).replace("[50,10]", "[-5,10]");
    QTest::newRow("clip without length") << QByteArray(good).replace(
        R"("duration":100,"tracks":{"arm)", R"("duration":0,"tracks":{"arm)");
    QTest::newRow("part on a missing joint")
        << QByteArray(good).replace(R"("parts":[])", R"("parts":[{"joint":"hat","draw":"eyes"}])");
}

void TestFigure::brokenDescriptionsAreRefused()
{
    QFETCH(QByteArray, json);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, CharacterDescription::fromJson(json, QString()));
}

QTEST_MAIN(TestFigure)
#include "tst_assistant_figure.moc"
