// The game on a screen of twice the density: everything twice as many device pixels, in the same
// logical places as at 1x, and pictures, patterns and the assistant drawn at the device's own
// resolution. The 1x reference comes from this same program, run again without scaling.
#include "agentcharacter.h"
#include "agentcontrol.h"
#include "imagechecks.h"
#include "look.h"
#include "picturebutton.h"
#include "recordingagent.h"
#include "scriptedrandom.h"
#include "tavola.h"

#include <QAccessible>
#include <QApplication>
#include <QDataStream>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int kScale = 2;
constexpr double kPace = 25;
constexpr int kPictureSide = 32; // the buttons' pictures, in logical pixels
constexpr int kTolerance = 8;    // colour difference allowed where 1x and 2x draw alike
const char* const kReferenceVariable = "PERLOBIN_1X_REFERENCE";
const char* const kElements[] = {"surface",   "Shape9",    "Text4",   "Text3",  "lblScore",
                                 "lblScore1", "lblScore2", "cmdNext", "cmdExit"};

// What is compared between the scales: places in logical pixels (elements in the window,
// the assistant's windows on the screen), and the window as grabbed.
struct Look {
    QHash<QString, QRect> places;
    QImage window;
};

std::unique_ptr<Tavola> openWindow(std::unique_ptr<Agent> agent)
{
    auto window = std::make_unique<Tavola>(std::make_unique<ScriptedRandom>(std::deque<int>{21}),
                                           std::move(agent));
    window->show();
    window->activateWindow();
    return window;
}

std::unique_ptr<AgentControl> realAssistant()
{
    AgentOptions options;
    options.pace = kPace;
    return std::make_unique<AgentControl>(options);
}

AgentCharacter& merlin(AgentControl& control)
{
    return control.Characters()(QStringLiteral("Merlin"));
}

QHash<QString, QRect> elementPlaces(const Tavola& window)
{
    QHash<QString, QRect> places;
    for (const char* name : kElements) {
        const auto* element = window.findChild<QWidget*>(QLatin1String(name));
        places.insert(QLatin1String(name),
                      QRect(element->mapTo(&window, QPoint()), element->size()));
    }
    return places;
}

// Merlin's windows as a screen reader finds them: his figure by his name, the balloon as the
// notification it is.
template <typename Test> QWidget* shownTopLevel(Test is)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(widget);
            widget->isVisible() && readable && is(*readable))
            return widget;
    return nullptr;
}

QWidget* figureWindow()
{
    return shownTopLevel([](const QAccessibleInterface& readable) {
        return readable.text(QAccessible::Name) == QStringLiteral("Merlin");
    });
}

QWidget* balloonWindow()
{
    return shownTopLevel([](const QAccessibleInterface& readable) {
        return readable.role() == QAccessible::Notification;
    });
}

QHash<QString, QRect> assistantPlaces(AgentCharacter& merlin)
{
    return {{QStringLiteral("Merlin"), merlin.windowGeometry()},
            {QStringLiteral("balloon"), merlin.balloonGeometry()}};
}

// The child run: the same windows at 1x, written to `file`.
bool writeReference(const QString& file)
{
    Look look;
    {
        QStringList calls;
        const auto window = openWindow(std::make_unique<RecordingAgent>(&calls));
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        look.places = elementPlaces(*window);
        look.window = window->grab().toImage();
    }
    auto control = realAssistant();
    AgentControl& assistant = *control;
    const auto window = openWindow(std::move(control));
    if (!QTest::qWaitFor([&] { return !merlin(assistant).balloonText().isEmpty(); }, 30000))
        return false;
    look.places.insert(assistantPlaces(merlin(assistant)));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QDataStream stream(&out);
    stream << look.places << look.window;
    return true;
}

QString describe(const QColor& colour)
{
    return QStringLiteral("(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

} // namespace

class TestHighDensity : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void windowIsTwiceAsLarge();
    void elementsInTheirPlaces_data();
    void elementsInTheirPlaces();
    void picturesInDevicePixels_data();
    void picturesInDevicePixels();
    void hatchAsAt1xInSharperPixels();
    void bandsInDevicePixels();
    void merlinAndBalloonTwiceAsLarge();

private:
    Look reference;
    QStringList assistantCalls;
    std::unique_ptr<Tavola> window;
    QImage shot; // the window at 2x
};

void TestHighDensity::initTestCase()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("1x"));
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kReferenceVariable), file);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(120000));
    QCOMPARE(child.exitCode(), 0);
    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QDataStream stream(&in);
    stream >> reference.places >> reference.window;
    QCOMPARE(reference.window.devicePixelRatio(), 1.0);

    window = openWindow(std::make_unique<RecordingAgent>(&assistantCalls));
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    shot = window->grab().toImage();
}

void TestHighDensity::cleanupTestCase()
{
    window.reset();
}

void TestHighDensity::windowIsTwiceAsLarge()
{
    QCOMPARE(window->devicePixelRatio(), qreal(kScale));
    QCOMPARE(window->size(), reference.window.size());
    QCOMPARE(shot.size(), window->size() * kScale);
}

void TestHighDensity::elementsInTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("numeral") << "Text4";
    QTest::newRow("answer box") << "Text3";
    QTest::newRow("right answers") << "lblScore";
    QTest::newRow("wrong answers") << "lblScore1";
    QTest::newRow("all answers") << "lblScore2";
    QTest::newRow("next button") << "cmdNext";
    QTest::newRow("exit button") << "cmdExit";
}

void TestHighDensity::elementsInTheirPlaces()
{
    QFETCH(QString, name);
    const QRect place = reference.places.value(name);
    QCOMPARE(elementPlaces(*window).value(name), place);
    // The middle of each edge and two corners inside show at twice the coordinates the colours
    // they show at 1x: an element drawn off its place shows the bands there instead.
    const QPoint c = place.center();
    const QPoint samples[] = {{place.left(), c.y()},          {place.right(), c.y()},
                              {c.x(), place.top()},           {c.x(), place.bottom()},
                              place.topLeft() + QPoint(3, 3), place.bottomRight() - QPoint(3, 3)};
    for (const QPoint& p : samples) {
        const QColor expected = reference.window.pixelColor(p);
        for (const QPoint& d : {QPoint(0, 0), QPoint(1, 1)}) {
            const QColor seen = shot.pixelColor(p * kScale + d);
            QVERIFY2(colourDistance(seen, expected) <= kTolerance,
                     qPrintable(QStringLiteral("%1,%2: %3 where 1x has %4")
                                    .arg(p.x())
                                    .arg(p.y())
                                    .arg(describe(seen), describe(expected))));
        }
    }
}

void TestHighDensity::picturesInDevicePixels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QString>("picture");
    QTest::newRow("next button") << "cmdNext" << false << "face-smile";
    QTest::newRow("next button held down") << "cmdNext" << true << "face-laugh";
    QTest::newRow("exit button") << "cmdExit" << false << "no-entry";
}

void TestHighDensity::picturesInDevicePixels()
{
    QFETCH(QString, name);
    QFETCH(bool, down);
    QFETCH(QString, picture);
    auto* button = window->findChild<PictureButton*>(name);
    button->setDown(down);
    const QImage grabbed = button->grab().toImage();
    button->setDown(false);

    // The art drawn straight into device pixels: each of its opaque pixels must show as it is.
    // A picture drawn at 1x and enlarged differs along every outline.
    QImage art(QSize(kPictureSide, kPictureSide) * kScale, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    QPainter painter(&art);
    QSvgRenderer(QStringLiteral(":/icons/%1.svg").arg(picture)).render(&painter);
    painter.end();
    QCOMPARE(mismatchesAtBestPlace(grabbed, art, kTolerance), 0);
}

void TestHighDensity::hatchAsAt1xInSharperPixels()
{
    // The top bar left of the numeral: hatch lines inverted over the bands. Each logical pixel
    // shows in all its device pixels what it shows at 1x, give or take a band's step of blue.
    const QRect bar = reference.places.value(QStringLiteral("Shape9"));
    const QRect hatch(
        bar.topLeft() + QPoint(3, 3),
        QPoint(reference.places.value(QStringLiteral("Text4")).left() - 1, bar.bottom() - 3));
    int differing = 0;
    QString first;
    for (int y = hatch.top(); y <= hatch.bottom(); ++y)
        for (int x = hatch.left(); x <= hatch.right(); ++x)
            for (int d = 0; d < kScale * kScale; ++d) {
                const QPoint device(x * kScale + d % kScale, y * kScale + d / kScale);
                const QColor seen = shot.pixelColor(device);
                const QColor expected = reference.window.pixelColor(x, y);
                if (colourDistance(seen, expected) > 1 && differing++ == 0)
                    first = QStringLiteral("%1,%2: %3 where 1x has %4")
                                .arg(device.x())
                                .arg(device.y())
                                .arg(describe(seen), describe(expected));
            }
    QVERIFY2(differing == 0,
             qPrintable(QStringLiteral("%1 device pixels, first %2").arg(differing).arg(first)));
}

void TestHighDensity::bandsInDevicePixels()
{
    // Down a column left of every element, each device row is one band, and the bands share the
    // rows evenly, as at 1x: an enlarged 1x drawing would make every band an even number tall.
    const QRect surface = reference.places.value(QStringLiteral("surface"));
    const int rows = surface.height() * kScale;
    std::vector<int> heights;
    int blue = -1;
    for (int row = 0; row < rows; ++row) {
        const int y = surface.top() * kScale + row;
        const QColor left = shot.pixelColor(2 * kScale, y);
        QCOMPARE(shot.pixelColor(2 * kScale + 1, y), left);
        QCOMPARE(left.red(), 180);
        QCOMPARE(left.green(), 0);
        if (left.blue() != blue) {
            QCOMPARE(left.blue(), blue + 1);
            blue = left.blue();
            heights.push_back(0);
        }
        ++heights.back();
    }
    QCOMPARE(int(heights.size()), 256);
    const auto [lowest, highest] = std::minmax_element(heights.begin(), heights.end());
    QCOMPARE(*lowest, rows / 256);
    QCOMPARE(*highest, (rows + 255) / 256);
}

void TestHighDensity::merlinAndBalloonTwiceAsLarge()
{
    auto control = realAssistant();
    AgentControl& assistant = *control;
    const auto game = openWindow(std::move(control));
    QTRY_VERIFY_WITH_TIMEOUT(!merlin(assistant).balloonText().isEmpty(), 30000);

    const QHash<QString, QRect> places = assistantPlaces(merlin(assistant));
    // His place depends on the screen's logical size, smaller at 2x; his size does not.
    QCOMPARE(places.value(QStringLiteral("Merlin")).size(),
             reference.places.value(QStringLiteral("Merlin")).size());
    // The balloon chooses its side within the screen, smaller in logical pixels at 2x; what
    // must hold is that it is drawn at twice its logical size.
    QWidget* balloon = balloonWindow();
    QVERIFY(balloon);
    QCOMPARE(balloon->devicePixelRatio(), qreal(kScale));
    QCOMPARE(balloon->grab().size(), balloon->size() * kScale);
    const QSize figure = reference.places.value(QStringLiteral("Merlin")).size();
    QCOMPARE(merlin(assistant).currentFrame().size(), figure * kScale);
    QWidget* figureShown = figureWindow();
    QVERIFY(figureShown);
    QCOMPARE(figureShown->devicePixelRatio(), qreal(kScale));
    // His window's shape has logical pixels: it keeps every one the figure covers whole, and
    // none with a device pixel less than half covered, which would show black without a
    // compositor.
    const QImage frame = merlin(assistant).currentFrame();
    const QRegion shape = figureShown->mask();
    for (int y = 0; y < figure.height(); ++y)
        for (int x = 0; x < figure.width(); ++x) {
            int lowest = 255;
            for (int d = 0; d < kScale * kScale; ++d)
                lowest = std::min(
                    lowest, qAlpha(frame.pixel(x * kScale + d % kScale, y * kScale + d / kScale)));
            const bool inside = shape.contains(QPoint(x, y));
            QVERIFY2(inside ? lowest >= 128 : lowest < 255,
                     qPrintable(QStringLiteral("%1,%2: %3, least alpha %4")
                                    .arg(x)
                                    .arg(y)
                                    .arg(inside ? "inside" : "outside")
                                    .arg(lowest)));
        }
}

int main(int argc, char** argv)
{
    // A child run without scaling draws the reference.
    const QString reference = qEnvironmentVariable(kReferenceVariable);
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") +
                                   (reference.isEmpty() ? PERLOBIN_SCREENS_2X : PERLOBIN_SCREENS));
    qputenv("QT_SCALE_FACTOR", reference.isEmpty() ? "2" : "1");
    QApplication app(argc, argv);
    applyLook();
    if (!reference.isEmpty())
        return writeReference(reference) ? 0 : 1;
    TestHighDensity test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_highdensity.moc"
