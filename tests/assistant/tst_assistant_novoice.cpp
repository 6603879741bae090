// A machine without the Italian voice, or a program without its voice plugin: the character says
// so once, and its balloon still carries the words for as long as they would take to say.
#include "agentcharacter.h"
#include "agentcontrol.h"
#include "assistanttesting.h"
#include "voiceloader.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestNoVoice : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void balloonCarriesTheWordsAndTheLossIsToldOnce_data();
    void balloonCarriesTheWordsAndTheLossIsToldOnce();

private:
    QTemporaryDir empty_;
};

void TestNoVoice::initTestCase()
{
    // The speech library looks for its data here first, before it is set up in this process.
    QVERIFY(QDir(empty_.path()).mkdir(QStringLiteral("espeak-ng-data")));
    qputenv("ESPEAK_DATA_PATH", empty_.path().toLocal8Bit());
}

void TestNoVoice::balloonCarriesTheWordsAndTheLossIsToldOnce_data()
{
    QTest::addColumn<QStringList>("pluginPaths");
    QTest::newRow("no Italian voice") << voicePluginPaths();
    QTest::newRow("no voice plugin") << QStringList{empty_.filePath(QStringLiteral("voice.so"))};
}

void TestNoVoice::balloonCarriesTheWordsAndTheLossIsToldOnce()
{
    QFETCH(QStringList, pluginPaths);
    AgentOptions options;
    options.pace = 10;
    options.makeVoice = [pluginPaths] {
        return loadVoice(10, pluginPaths);
    };
    AgentControl control(options);
    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    QSignalSpy lost(&merlin, &Character::voiceUnavailable);
    QSignalSpy finished(&merlin, &AgentCharacter::speechFinished);

    merlin.Show();
    merlin.Speak(QStringLiteral("Sei grande"));
    merlin.Speak(QStringLiteral("Eccezionale! Siamo a 100 punti!"));
    QTRY_COMPARE(merlin.balloonText(), QStringLiteral("Sei grande"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
    QCOMPARE(lost.count(), 1);
    QVERIFY(lost.first().first().toString().contains(QStringLiteral("manca la voce italiana")));
}

QTEST_MAIN(TestNoVoice)
#include "tst_assistant_novoice.moc"
