// The speech balloon: it leaves the program's windows in view wherever the screen has room for
// it, and shows the word being heard to the eye and to screen readers.
#include "balloonplacement.h"
#include "balloonwindow.h"

#include <QAccessible>
#include <QApplication>
#include <QScreen>
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
    void growsWithItsWords();
    void screenReadersReadTheWords();
    void theWordHeardIsMarked();

private:
    // A balloon showing text beside a figure in the middle of the screen.
    std::unique_ptr<BalloonWindow> showing(const QString& text);
};

std::unique_ptr<BalloonWindow> TestBalloon::showing(const QString& text)
{
    auto balloon = std::make_unique<BalloonWindow>();
    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    balloon->showText(text, figureAt(middle.x() - 82, middle.y() - 102));
    return balloon;
}

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

// At twice the scale, beside a figure twice as large, the whole balloon is twice as large: its
// words, their margins and its tail, each side of it within the rounding of the words' widths.
void TestBalloon::growsWithItsWords()
{
    const QString greeting = QStringLiteral(
        "Ciao. Vuoi giocare con me con l'abaco? E allora che il gioco abbia inizio.");
    const QRect area(0, 0, 4000, 3000);
    QSize sizes[2];
    for (const int scale : {1, 2}) {
        BalloonWindow balloon;
        balloon.setScale(scale);
        balloon.keepWithin(area);
        balloon.showText(greeting, QRect(QPoint(1000, 1000), QSize(164, 205) * scale));
        sizes[scale - 1] = balloon.size();
    }
    const QSize twice = sizes[0] * 2;
    QVERIFY2(std::abs(sizes[1].width() - twice.width()) <= twice.width() / 20 &&
                 std::abs(sizes[1].height() - twice.height()) <= twice.height() / 20,
             qPrintable(QStringLiteral("%1x%2 at 2, %3x%4 at 1")
                            .arg(sizes[1].width())
                            .arg(sizes[1].height())
                            .arg(sizes[0].width())
                            .arg(sizes[0].height())));
}

// Whether each change is announced on the bus is seen by the end-to-end test: offscreen,
// Qt sends no accessibility events at all.
void TestBalloon::screenReadersReadTheWords()
{
    auto balloon = std::make_unique<BalloonWindow>();
    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    for (const QString& said : {QStringLiteral("Sei grande"), QStringLiteral("ventitré")}) {
        balloon->showText(said, figureAt(middle.x() - 82, middle.y() - 102));
        QVERIFY(balloon->isVisible());
        QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(balloon.get());
        QCOMPARE(readable->text(QAccessible::Name), said);
        QAccessibleTextInterface* text = readable->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), said.size());
        QCOMPARE(text->text(0, text->characterCount()), said);
    }
}

void TestBalloon::theWordHeardIsMarked()
{
    const QString correction = QStringLiteral("Il numero è ventitre");
    const std::unique_ptr<BalloonWindow> balloon = showing(correction);
    const QColor mark(0xff, 0xd5, 0x4f);
    const auto markedPixels = [&] {
        const QImage shot = balloon->grab().toImage();
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                count += shot.pixelColor(x, y) == mark;
        return count;
    };
    QCOMPARE(markedPixels(), 0);
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(balloon.get())->textInterface();

    balloon->markWord(12, 8); // "ventitre"
    QVERIFY(markedPixels() > 0);
    QCOMPARE(balloon->markedStart(), 12);
    QCOMPARE(balloon->markedLength(), 8);
    // For the eye alone: a screen reader reads the words once, whole, with no moving selection.
    QCOMPARE(text->selectionCount(), 0);
    QCOMPARE(text->cursorPosition(), 0);

    balloon->markWord(-1, 0);
    QCOMPARE(markedPixels(), 0);
    QCOMPARE(text->selectionCount(), 0);
    // A mark left over from one text never shows in the next.
    balloon->markWord(0, 2);
    balloon->showText(QStringLiteral("Sei grande"), balloon->geometry().translated(-200, 0));
    QCOMPARE(markedPixels(), 0);
    QCOMPARE(text->selectionCount(), 0);
}

QTEST_MAIN(TestBalloon)
#include "tst_assistant_balloon.moc"
