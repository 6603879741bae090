#include "currency.h"
#include "gameerror.h"
#include "numlett.h"

#include <QTest>

class TestNumlett : public QObject {
    Q_OBJECT

private slots:
    void words_data();
    void words();
    void remainder_data();
    void remainder();
    void largestNamedValue();
    void refusesTrillionsAndMore_data();
    void refusesTrillionsAndMore();
};

void TestNumlett::words_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("words");

    // Nothing to name.
    QTest::newRow("zero") << 0.0 << "";
    QTest::newRow("a half") << 0.5 << "";
    QTest::newRow("negative") << -5.0 << "";
    QTest::newRow("negative thousands") << -21000.0 << "";
    // Units, teens and tens.
    QTest::newRow("1") << 1.0 << "uno";
    QTest::newRow("3 has no accent") << 3.0 << "tre";
    QTest::newRow("8") << 8.0 << "otto";
    QTest::newRow("11") << 11.0 << "undici";
    QTest::newRow("17 with two t's") << 17.0 << "diciassette";
    QTest::newRow("20") << 20.0 << "venti";
    // The tens word loses its vowel before uno and otto only.
    QTest::newRow("21") << 21.0 << "ventuno";
    QTest::newRow("23") << 23.0 << "ventitre";
    QTest::newRow("28") << 28.0 << "ventotto";
    QTest::newRow("31") << 31.0 << "trentuno";
    QTest::newRow("88") << 88.0 << "ottantotto";
    QTest::newRow("99") << 99.0 << "novantanove";
    // Hundreds: cento keeps its vowel.
    QTest::newRow("100") << 100.0 << "cento";
    QTest::newRow("101") << 101.0 << "centouno";
    QTest::newRow("108") << 108.0 << "centootto";
    QTest::newRow("118") << 118.0 << "centodiciotto";
    QTest::newRow("121") << 121.0 << "centoventuno";
    QTest::newRow("180") << 180.0 << "centoottanta";
    QTest::newRow("200") << 200.0 << "duecento";
    QTest::newRow("999") << 999.0 << "novecentonovantanove";
    // Scale words: only a group of exactly one takes the singular form.
    QTest::newRow("1000") << 1000.0 << "mille";
    QTest::newRow("1001") << 1001.0 << "milleuno";
    QTest::newRow("1100") << 1100.0 << "millecento";
    QTest::newRow("2000") << 2000.0 << "duemila";
    QTest::newRow("21000") << 21000.0 << "ventunomila";
    QTest::newRow("101000") << 101000.0 << "centounomila";
    QTest::newRow("1000000") << 1e6 << "unmilione";
    QTest::newRow("2000000") << 2e6 << "duemilioni";
    QTest::newRow("1001001") << 1001001.0 << "unmilionemilleuno";
    QTest::newRow("1000000000") << 1e9 << "unmiliardo";
    QTest::newRow("2000000000") << 2e9 << "duemiliardi";
    QTest::newRow("2001000000") << 2001e6 << "duemiliardiunmilione";
    // The fraction is never named.
    QTest::newRow("21.7") << 21.7 << "ventuno";
}

void TestNumlett::words()
{
    QFETCH(double, value);
    QFETCH(QString, words);
    Currency argument = Currency::fromDouble(value);
    QCOMPARE(numlett(argument), words);
}

void TestNumlett::remainder_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("left");

    QTest::newRow("whole numbers are used up") << 2001001.0 << 0.0;
    QTest::newRow("the fraction stays") << 21.7 << 0.7;
    QTest::newRow("below one is untouched") << 0.5 << 0.5;
    QTest::newRow("negative is untouched") << -5.25 << -5.25;
}

void TestNumlett::remainder()
{
    QFETCH(double, value);
    QFETCH(double, left);
    Currency argument = Currency::fromDouble(value);
    numlett(argument);
    QCOMPARE(argument, Currency::fromDouble(left));
}

void TestNumlett::largestNamedValue()
{
    Currency argument = Currency::fromWhole(999'999'999'999);
    QCOMPARE(numlett(argument), "novecentonovantanovemiliardinovecentonovantanovemilioni"
                                "novecentonovantanovemilanovecentonovantanove");
    QCOMPARE(argument, Currency());
}

void TestNumlett::refusesTrillionsAndMore_data()
{
    QTest::addColumn<qint64>("whole");
    QTest::newRow("10^12") << qint64(1'000'000'000'000);
    // From a billions group of 2800 on, the table would be read past its end.
    QTest::newRow("2800 billions") << qint64(2'800'000'000'000);
    QTest::newRow("largest currency") << qint64(922'337'203'685'477);
}

void TestNumlett::refusesTrillionsAndMore()
{
    QFETCH(qint64, whole);
    Currency argument = Currency::fromWhole(whole);
    QVERIFY_THROWS_EXCEPTION(GameError, numlett(argument));
    QCOMPARE(argument, Currency::fromWhole(whole));
}

QTEST_APPLESS_MAIN(TestNumlett)
#include "tst_numlett.moc"
