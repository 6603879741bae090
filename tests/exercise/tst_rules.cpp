#include "backgroundcolour.h"
#include "binarydigits.h"
#include "currency.h"
#include "gameerror.h"
#include "randomsource.h"
#include "score.h"
#include "singleline.h"
#include "verdict.h"

#include <QTest>

#include <set>

Q_DECLARE_METATYPE(Rgb)

namespace {

class FixedRandom final : public RandomSource {
public:
    explicit FixedRandom(double r)
        : r_(r)
    {}
    void reseed() override { ++reseeds; }
    double next() override { return r_; }
    int reseeds = 0;

private:
    double r_;
};

} // namespace

class TestRules : public QObject {
    Q_OBJECT

private slots:
    void digitsOfEveryExerciseNumber();
    void insertionsKeepToOneLine_data();
    void insertionsKeepToOneLine();
    void verdicts_data();
    void verdicts();
    void answersAreComparedAsText_data();
    void answersAreComparedAsText();
    void countsStopAtTheirLimit();
    void totalIsExactPastTheLimit();
    void backgroundColour_data();
    void backgroundColour();
    void bandsCoverTheSurface_data();
    void bandsCoverTheSurface();
    void drawnNumbersSpanOneToThirtyOne_data();
    void drawnNumbersSpanOneToThirtyOne();
    void clockRandomDealsEveryNumber();
    void currencyFromText();
};

void TestRules::digitsOfEveryExerciseNumber()
{
    for (int n = 1; n <= 31; ++n) {
        const BinaryDigits d = BinaryDigits::of(n);
        QCOMPARE(d.units + 2 * d.twos + 4 * d.fours + 8 * d.eights + 16 * d.sixteens, n);
        for (int digit : {d.units, d.twos, d.fours, d.eights, d.sixteens})
            QVERIFY2(digit == 0 || digit == 1, qPrintable(QString::number(n)));
        QCOMPARE(d.numeral(), QString::number(n, 2));
    }
}

void TestRules::verdicts_data()
{
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<Rgb>("colour");
    QTest::addColumn<QString>("caption");

    QTest::newRow("right answer") << Verdict::right() << Rgb{255, 255, 0}
                                  << QStringLiteral("Esatto, è incredibile!!!");
    QTest::newRow("wrong answer") << Verdict::wrong("10101", "21") << Rgb{255, 0, 0}
                                  << QStringLiteral("Sbagliato!! 10101 in base 2 è uguale a 21");
    QTest::newRow("closed right") << Verdict::closedRight() << Rgb{0, 0, 255}
                                  << QStringLiteral("Esatto, è incredibile!!!");
    QTest::newRow("closed wrong") << Verdict::closedWrong("sette") << Rgb{255, 0, 0}
                                  << QStringLiteral("Sbagliato!! sette");
}

void TestRules::verdicts()
{
    QFETCH(Verdict, verdict);
    QFETCH(Rgb, colour);
    QFETCH(QString, caption);
    QCOMPARE(verdict.colour, colour);
    QCOMPARE(verdict.caption, caption);
}

void TestRules::answersAreComparedAsText_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("right");

    QTest::newRow("the value") << "5" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading zero") << "05" << false;
    QTest::newRow("blank before") << " 5" << false;
    QTest::newRow("blank after") << "5 " << false;
    QTest::newRow("in words") << "cinque" << false;
    QTest::newRow("decimal point") << "5.0" << false;
    QTest::newRow("full-width digit") << QStringLiteral("５") << false;
}

void TestRules::answersAreComparedAsText()
{
    QFETCH(QString, answer);
    QFETCH(bool, right);
    QCOMPARE(Verdict::isRight(answer, "5"), right);
}

void TestRules::countsStopAtTheirLimit()
{
    Score score(32766, 32766);
    score.raiseEsatte();
    score.raiseErrate();
    QCOMPARE(score, Score(32767, 32767));

    QVERIFY_THROWS_EXCEPTION(OverflowError, score.raiseEsatte());
    QVERIFY_THROWS_EXCEPTION(OverflowError, score.raiseErrate());
    QCOMPARE(score, Score(32767, 32767));

    score.reset();
    QCOMPARE(score, Score(0, 0));
}

void TestRules::totalIsExactPastTheLimit()
{
    QCOMPARE(Score(3, 2).total(), 5);
    QCOMPARE(Score(32767, 32767).total(), 65534);
    QCOMPARE(countText(Score(32767, 1).total()), "32768");
}

void TestRules::backgroundColour_data()
{
    QTest::addColumn<int>("correct");
    QTest::addColumn<int>("wrong");
    QTest::addColumn<Rgb>("colour");

    QTest::newRow("new game") << 0 << 0 << Rgb{20, 125, 25};
    QTest::newRow("3 right, 2 wrong") << 3 << 2 << Rgb{22, 128, 125};
    QTest::newRow("4 wrong") << 0 << 4 << Rgb{24, 125, 225};
    QTest::newRow("5 wrong: blue full") << 0 << 5 << Rgb{25, 125, 255};
    QTest::newRow("129 right") << 129 << 0 << Rgb{20, 254, 25};
    QTest::newRow("130 right: green full") << 130 << 0 << Rgb{20, 255, 25};
    QTest::newRow("655 wrong: past a 16-bit blue") << 0 << 655 << Rgb{255, 125, 255};
    QTest::newRow("both at the limit") << 32767 << 32767 << Rgb{255, 255, 255};
}

void TestRules::backgroundColour()
{
    QFETCH(int, correct);
    QFETCH(int, wrong);
    QFETCH(Rgb, colour);
    QCOMPARE(::backgroundColour(Score(correct, wrong)), colour);
}

void TestRules::bandsCoverTheSurface_data()
{
    QTest::addColumn<int>("height");
    QTest::newRow("96 dpi") << 556;
    QTest::newRow("high density") << 1112;
    QTest::newRow("shorter than the bands") << 200;
}

void TestRules::bandsCoverTheSurface()
{
    QFETCH(int, height);
    QCOMPARE(Bands::top(0, height), 0);
    QCOMPARE(Bands::bottom(Bands::count - 1, height), height);
    for (int band = 1; band < Bands::count; ++band)
        QCOMPARE(Bands::top(band, height), Bands::bottom(band - 1, height));
    QCOMPARE(Bands::colour(0), (Rgb{180, 0, 0}));
    QCOMPARE(Bands::colour(255), (Rgb{180, 0, 255}));
}

void TestRules::drawnNumbersSpanOneToThirtyOne_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("number");
    QTest::newRow("zero") << 0.0 << 1;
    QTest::newRow("just below 1/31") << 1.0 / 31 - 1e-12 << 1;
    QTest::newRow("1/31") << 1.0 / 31 + 1e-12 << 2;
    QTest::newRow("a half") << 0.5 << 16;
    QTest::newRow("just below one") << 1.0 - 0x1.0p-53 << 31;
}

void TestRules::drawnNumbersSpanOneToThirtyOne()
{
    QFETCH(double, r);
    QFETCH(int, number);
    FixedRandom source(r);
    QCOMPARE(drawExerciseNumber(source), number);
    QCOMPARE(source.reseeds, 1);
}

void TestRules::clockRandomDealsEveryNumber()
{
    ClockRandom random;
    std::set<int> seen;
    for (int i = 0; i < 5000; ++i) {
        const int n = drawExerciseNumber(random);
        QVERIFY2(n >= 1 && n <= 31, qPrintable(QString::number(n)));
        seen.insert(n);
    }
    QCOMPARE(seen.size(), 31u);
}

void TestRules::currencyFromText()
{
    QCOMPARE(Currency::fromText("31"), Currency::fromWhole(31));
    QCOMPARE(Currency::fromText("21.7").tenThousandths(), 217000);
    QVERIFY_THROWS_EXCEPTION(GameError, Currency::fromText("trentuno"));
    QVERIFY_THROWS_EXCEPTION(GameError, Currency::fromText(""));
}

void TestRules::insertionsKeepToOneLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("keptCursor");

    // "3\n4" pasted between the 1 and the 2 of "12": the 2 after the insertion stays.
    QTest::newRow("paste in the middle") << "13\n42" << 4 << "132" << 2;
    QTest::newRow("break and tab") << "\t7\r\n8" << 5 << "7" << 1;
    QTest::newRow("paragraph separator") << QStringLiteral("9\u20290") << 3 << "9" << 1;
    QTest::newRow("nothing to take out")
        << QStringLiteral("è 🦆") << 4 << QStringLiteral("è 🦆") << 4;
}

void TestRules::insertionsKeepToOneLine()
{
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QString, kept);
    QFETCH(int, keptCursor);
    const SingleLine line = SingleLine::of(text, cursor);
    QCOMPARE(line.text, kept);
    QCOMPARE(line.cursor, keptCursor);
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
