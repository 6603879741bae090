// The voice as the game has it: loaded from the voice plugin once the character comes on stage.
#include "agentcharacter.h"
#include "agentcontrol.h"
#include "assistanttesting.h"
#include "voice.h"
#include "voiceloader.h"

#include <QFile>
#include <QLibraryInfo>
#include <QSignalSpy>
#include <QtTest>

namespace {

bool pluginMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/perlobin-voice.so");
}

} // namespace

class TestPlugin : public QObject {
    Q_OBJECT

private slots:
    void loadedWhenTheCharacterComesOnStage();
    void wordsMouthsAndTheEndComeThrough();
};

// Before it, the character's art may be loaded, but not the voice's libraries.
void TestPlugin::loadedWhenTheCharacterComesOnStage()
{
    QVERIFY(!pluginMapped());
    AgentOptions options;
    options.pace = 10;
    AgentControl control(options);
    control.Characters().Load(QStringLiteral("Merlin"), kMerlinFile);
    AgentCharacter& merlin = control.Characters()(QStringLiteral("Merlin"));
    QSignalSpy started(&merlin, &AgentCharacter::requestStarted);
    merlin.Show();
    QVERIFY(!pluginMapped());
    QVERIFY(started.wait(5000));
    QVERIFY(pluginMapped());
}

// Found past a library that is not the voice plugin.
void TestPlugin::wordsMouthsAndTheEndComeThrough()
{
    const QString qtCore =
        QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
    QVERIFY(QFile::exists(qtCore));
    const std::unique_ptr<Voice> voice = loadVoice(1.0, QStringList{qtCore} + voicePluginPaths());
    QSignalSpy words(voice.get(), &Voice::wordHeard);
    QSignalSpy mouths(voice.get(), &Voice::mouthShaped);
    QSignalSpy finished(voice.get(), &Voice::finished);
    QSignalSpy lost(voice.get(), &Voice::unavailable);
    voice->prepare();
    voice->say(QStringLiteral("Sei grande"));
    QVERIFY(finished.wait(10000));

    QList<int> starts;
    for (const QList<QVariant>& word : std::as_const(words))
        starts.append(word.at(0).toInt());
    QCOMPARE(starts, (QList<int>{0, 4, -1}));
    QVERIFY(std::any_of(mouths.cbegin(), mouths.cend(), [](const QList<QVariant>& shape) {
        return shape.at(0).value<MouthShape>() != MouthShape::Closed;
    }));
    QCOMPARE(mouths.last().at(0).value<MouthShape>(), MouthShape::Closed);
    for (const QList<QVariant>& trouble : std::as_const(lost))
        QCOMPARE(trouble.at(0).value<Voice::Trouble>(), Voice::Trouble::NoOutput); // no sound card
    QTest::qWait(100);
    QCOMPARE(finished.count(), 1);
}

QTEST_MAIN(TestPlugin)
#include "tst_assistant_plugin.moc"
