#include "currency.h"
#include "numlett.h"

#include <QTest>

class BenchNumlett : public QObject {
    Q_OBJECT

private slots:
    void words_data();
    void words();
};

void BenchNumlett::words_data()
{
    QTest::addColumn<qint64>("value");
    QTest::newRow("17") << qint64(17);
    QTest::newRow("31") << qint64(31);
    QTest::newRow("largest") << qint64(999'999'999'999);
}

void BenchNumlett::words()
{
    QFETCH(qint64, value);
    QString words;
    QBENCHMARK
    {
        Currency argument = Currency::fromWhole(value);
        words = numlett(argument);
    }
    QVERIFY(!words.isEmpty());
}

QTEST_APPLESS_MAIN(BenchNumlett)
#include "bench_numlett.moc"
