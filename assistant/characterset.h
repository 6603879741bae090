#pragma once

class Character;
class QString;

// The characters a control has loaded, by name.
class CharacterSet {
public:
    virtual ~CharacterSet() = default;

    // Finished when it returns; throws AssistantError when the character cannot be loaded.
    virtual void Load(const QString& name, const QString& file) = 0;
    // Throws AssistantError for a name never loaded.
    virtual Character& operator()(const QString& name) = 0;
};
