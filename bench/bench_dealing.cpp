#include "look.h"
#include "tavola.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// One whole dealing, as a click on the button does it, and the repaint of the window with its
// bands. Run offscreen: QT_QPA_PLATFORM=offscreen bench_dealing -median 9
class BenchDealing : public QObject {
    Q_OBJECT

private slots:
    void dealingAndRepaint();
    void answerKeyAndRepaint();
};

void BenchDealing::dealingAndRepaint()
{
    applyLook();
    Tavola window;
    window.show();
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

QTEST_MAIN(BenchDealing)
#include "bench_dealing.moc"
