#include "agentcharacters.h"

#include "agentcharacter.h"
#include "assistanterror.h"
#include "characterdescription.h"
#include "voice.h"
#include "voiceloader.h"

#include <stdexcept>
#include <utility>

AgentCharacters::AgentCharacters(AgentOptions options)
    : options_(std::move(options))
{
    if (!options_.makeVoice)
        options_.makeVoice = [pace = options_.pace] {
            return loadVoice(pace);
        };
}

AgentCharacters::~AgentCharacters() = default;

void AgentCharacters::Load(const QString& name, const QString& file)
{
    const QString key = name.toLower();
    if (loaded_.contains(key))
        return;
    if (key.trimmed().isEmpty())
        throw AssistantError(QStringLiteral("Manca il nome del personaggio"));
    try {
        auto description =
            std::make_shared<const CharacterDescription>(CharacterDescription::fromFile(file));
        // A stand-in from an earlier failure stays alive: someone may still hold it.
        loaded_[key] = std::make_unique<AgentCharacter>(name, std::move(description), options_);
    } catch (const std::runtime_error& error) {
        failed_.try_emplace(key, std::make_unique<AgentCharacter>(name));
        throw AssistantError(QString::fromStdString(error.what()));
    }
}

AgentCharacter& AgentCharacters::operator()(const QString& name)
{
    const QString key = name.toLower();
    if (const auto found = loaded_.find(key); found != loaded_.end())
        return *found->second;
    if (const auto found = failed_.find(key); found != failed_.end())
        return *found->second;
    throw AssistantError(QStringLiteral("Il personaggio «%1» non è stato caricato").arg(name));
}

bool AgentCharacters::contains(const QString& name) const
{
    return loaded_.contains(name.toLower());
}
