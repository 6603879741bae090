#include "look.h"
#include "tavola.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <vector>

// One whole dealing, as a click on the button does it, and the repaint of the window with its
// bands; at the designed size, at a whiteboard's full screen and at a 4K touch monitor's, each
// within one 60 Hz frame (16 ms). Run offscreen:
// QT_QPA_PLATFORM=offscreen bench_dealing -median 9
class BenchDealing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { applyLook(); }
    void dealingAndRepaint_data();
    void dealingAndRepaint();
    void answerKeyAndRepaint();
    void repaintAfterResize_data();
    void repaintAfterResize();
};

namespace {

// The window whose client area (under the menu bar) has the given size.
void showWithClient(Tavola& window, QSize client)
{
    window.resize(client + QSize(0, window.menuBar()->sizeHint().height()));
    window.show();
}

void sizes()
{
    QTest::addColumn<QSize>("client");
    QTest::newRow("designed, 754x556") << QSize(754, 556);
    QTest::newRow("full screen, 1920x1080") << QSize(1920, 1080);
    QTest::newRow("4K full screen, 3840x2160") << QSize(3840, 2160);
}

} // namespace

void BenchDealing::dealingAndRepaint_data()
{
    sizes();
}

void BenchDealing::dealingAndRepaint()
{
    QFETCH(QSize, client);
    Tavola window;
    showWithClient(window, client);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* next = window.findChild<QPushButton*>(QStringLiteral("cmdNext"));
    QBENCHMARK
    {
        next->click();
        window.repaint();
    }
    QVERIFY(!window.findChild<QLineEdit*>(QStringLiteral("Text4"))->text().isEmpty());
}

void BenchDealing::answerKeyAndRepaint()
{
    // A key typed while the bands cover the window clears them: the other repaint a child sees.
    Tavola window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* next = window.findChild<QPushButton*>(QStringLiteral("cmdNext"));
    auto* answer = window.findChild<QLineEdit*>(QStringLiteral("Text3"));
    QBENCHMARK
    {
        QTest::keyClick(answer, Qt::Key_1);
        window.repaint();
        next->click();
    }
}

void BenchDealing::repaintAfterResize_data()
{
    sizes();
}

// A new size, a step larger or smaller each time: the design laid out at its new scale, then the
// repaint that follows, with the bands painted again; each timed on its own, medians reported.
void BenchDealing::repaintAfterResize()
{
    QFETCH(QSize, client);
    Tavola window;
    showWithClient(window, client);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QSize frame = window.size() - client;
    std::vector<qint64> resizes;
    std::vector<qint64> repaints;
    for (int step = 0; step < 64; ++step) {
        QElapsedTimer timer;
        timer.start();
        window.resize(client + frame - QSize(step % 8 * 8, step % 8 * 6));
        resizes.push_back(timer.nsecsElapsed());
        timer.restart();
        window.repaint();
        repaints.push_back(timer.nsecsElapsed());
    }
    const auto median = [](std::vector<qint64> times) {
        std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
        return times[times.size() / 2] / 1e6;
    };
    qInfo("resize and layout %.2f ms, repaint %.2f ms (medians of %zu)", median(resizes),
          median(repaints), repaints.size());
    QTest::setBenchmarkResult(median(repaints), QTest::WalltimeMilliseconds);
}

QTEST_MAIN(BenchDealing)
#include "bench_dealing.moc"
