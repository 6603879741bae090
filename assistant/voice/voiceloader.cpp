#include "voiceloader.h"

#include "silentvoice.h"
#include "voiceplugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QPluginLoader>

Q_LOGGING_CATEGORY(lcVoicePlugin, "perlobin.voice")

QStringList voicePluginPaths()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList paths{
        QDir::cleanPath(programDir + QStringLiteral("/" PERLOBIN_VOICE_PLUGIN_FROM_BIN))};
    // Tests and benchmarks run from elsewhere in the build tree than the program.
    if (programDir.startsWith(QStringLiteral(PERLOBIN_BUILD_ROOT "/")))
        paths.append(QStringLiteral(PERLOBIN_VOICE_PLUGIN_BUILT));
    return paths;
}

// The plugin stays in the process to its end, as the speech thread it starts may.
std::unique_ptr<Voice> loadVoice(double pace, const QStringList& pluginPaths)
{
    for (const QString& path : pluginPaths) {
        QPluginLoader loader(path);
        if (auto* plugin = qobject_cast<VoicePlugin*>(loader.instance()))
            return plugin->makeVoice();
        qCDebug(lcVoicePlugin) << "no voice plugin:" << loader.errorString();
    }
    qCWarning(lcVoicePlugin).noquote()
        << "No voice plugin found in" << pluginPaths.join(QStringLiteral(", "));
    return std::make_unique<SilentVoice>(pace);
}
