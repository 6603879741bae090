#pragma once

#include "agentcharacter.h"
#include "agentoptions.h"
#include "characterset.h"

#include <QHash> // std::hash<QString>

#include <QString>
#include <memory>
#include <unordered_map>

// The characters of one control, by name (letter case does not matter).
class AgentCharacters : public CharacterSet {
public:
    explicit AgentCharacters(AgentOptions options = {});
    ~AgentCharacters() override;
    AgentCharacters(const AgentCharacters&) = delete;
    AgentCharacters& operator=(const AgentCharacters&) = delete;

    // Finished when it returns. Throws AssistantError when the file names no character we
    // have; later look-ups of that name then give an inert character, so one report is enough.
    // Loading a name again keeps the character already loaded.
    void Load(const QString& name, const QString& file) override;

    // Throws AssistantError for a name never loaded.
    AgentCharacter& operator()(const QString& name) override;

    // For the characters loaded from now on.
    void setStage(const AgentStage& stage) { options_.stage = stage; }

    int count() const { return int(loaded_.size()); }
    bool contains(const QString& name) const;

private:
    AgentOptions options_;
    // Keyed by the lower-case name.
    std::unordered_map<QString, std::unique_ptr<AgentCharacter>> loaded_;
    std::unordered_map<QString, std::unique_ptr<AgentCharacter>> failed_;
};
