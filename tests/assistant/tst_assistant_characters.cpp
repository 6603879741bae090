// Loading characters and finding them by name.
#include "agentcharacter.h"
#include "agentcharacters.h"
#include "agentcontrol.h"
#include "assistanterror.h"
#include "assistanttesting.h"

#include <QSignalSpy>
#include <QtTest>

class TestCharacters : public QObject {
    Q_OBJECT

private slots:
    void loadsByTheFilesBaseName_data();
    void loadsByTheFilesBaseName();
    void loadFailsForCharactersWeDoNotShip_data();
    void loadFailsForCharactersWeDoNotShip();
    void failedLoadLeavesAnInertCharacter();
    void lookUpOfANameNeverLoadedFails();
    void lookUpIgnoresLetterCase();
    void loadingANameAgainKeepsTheCharacter();

private:
    QPointer<FakeVoice> voice_;
};

void TestCharacters::loadsByTheFilesBaseName_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("as the game passes it") << kMerlinFile;
    QTest::newRow("lower case") << QStringLiteral("c:\\windows\\msagent\\chars\\merlin.acs");
    QTest::newRow("unix path, upper case") << QStringLiteral("/opt/chars/MERLIN.ACS");
    QTest::newRow("mixed separators") << QStringLiteral("C:/chars\\sub/Merlin.acs");
    QTest::newRow("bare name") << QStringLiteral("Merlin");
    QTest::newRow("other extension") << QStringLiteral("D:\\Merlin.character");
}

void TestCharacters::loadsByTheFilesBaseName()
{
    QFETCH(QString, file);
    AgentControl control(fakeVoiceOptions(&voice_));
    control.Characters().Load(QStringLiteral("Merlin"), file);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    QVERIFY(!merlin.isInert());
    QCOMPARE(merlin.name(), QStringLiteral("Merlin"));
    QVERIFY(!merlin.isVisible()); // shown only when asked
}

void TestCharacters::loadFailsForCharactersWeDoNotShip_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("another character") << QStringLiteral("C:\\WINDOWS\\msagent\\chars\\Fata.acs");
    QTest::newRow("empty path") << QString();
    QTest::newRow("folder only") << QStringLiteral("C:\\WINDOWS\\msagent\\chars\\");
    QTest::newRow("name with a suffix") << QStringLiteral("C:\\chars\\Merlin2.acs");
    QTest::newRow("resource path trick") << QStringLiteral("C:\\chars\\:merlin.acs");
}

void TestCharacters::loadFailsForCharactersWeDoNotShip()
{
    QFETCH(QString, file);
    AgentControl control(fakeVoiceOptions(&voice_));
    try {
        control.Characters().Load(QStringLiteral("Merlin"), file);
        QFAIL("Load accepted a character we do not ship");
    } catch (const AssistantError& error) {
        const QString message = QString::fromStdString(error.what());
        QVERIFY2(message.startsWith(QStringLiteral("Non trovo il personaggio")), error.what());
        QVERIFY2(message.contains(file), error.what());
    }
    QCOMPARE(control.Characters().count(), 0);
}

void TestCharacters::failedLoadLeavesAnInertCharacter()
{
    AgentControl control(fakeVoiceOptions(&voice_));
    QVERIFY_THROWS_EXCEPTION(
        AssistantError,
        control.Characters().Load(QStringLiteral("Fata"), QStringLiteral("C:\\chars\\Fata.acs")));

    // Looking the failed name up again and again must not throw: it was reported once.
    AgentCharacter& fata = control.Characters()(QStringLiteral("fata"));
    QVERIFY(fata.isInert());
    QCOMPARE(&control.Characters()(QStringLiteral("Fata")), &fata);

    QSignalSpy started(&fata, &AgentCharacter::requestStarted);
    fata.Show();
    fata.MoveTo(630, 175);
    fata.Play(QStringLiteral("Announce"));
    fata.setHeight(205);
    fata.Speak(QStringLiteral("Ciao"));
    QCOMPARE(fata.queueLength(), 0);
    QTest::qWait(50);
    QCOMPARE(started.count(), 0);
    QVERIFY(!fata.isVisible());
    QVERIFY(fata.balloonText().isEmpty());
    QVERIFY(fata.windowGeometry().isNull());

    // The control is still usable for a character we have.
    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    QVERIFY(!control.Characters()(QStringLiteral("Merlin")).isInert());
}

void TestCharacters::lookUpOfANameNeverLoadedFails()
{
    AgentControl control(fakeVoiceOptions(&voice_));
    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    try {
        control.Characters()(QStringLiteral("Drago"));
        QFAIL("look-up of a name never loaded succeeded");
    } catch (const AssistantError& error) {
        QVERIFY2(QString::fromStdString(error.what()).contains(QStringLiteral("«Drago»")),
                 error.what());
    }
}

void TestCharacters::lookUpIgnoresLetterCase()
{
    AgentControl control(fakeVoiceOptions(&voice_));
    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    QCOMPARE(&control.Characters()(QStringLiteral("merlin")), &merlin);
    QCOMPARE(&control.Characters()(QStringLiteral("MERLIN")), &merlin);
    QVERIFY(control.Characters().contains(QStringLiteral("mErLiN")));
}

void TestCharacters::loadingANameAgainKeepsTheCharacter()
{
    AgentControl control(fakeVoiceOptions(&voice_));
    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter* first = &control.Characters()(QStringLiteral("Merlin"));
    control.Characters().Load(QStringLiteral("MERLIN"), kMerlinFile);
    QCOMPARE(&control.Characters()(QStringLiteral("Merlin")), first);
    QCOMPARE(control.Characters().count(), 1);
}

QTEST_MAIN(TestCharacters)
#include "tst_assistant_characters.moc"
