#pragma once

#include "agent.h"
#include "agentstage.h"
#include "assistanterror.h"
#include "character.h"
#include "characterset.h"

#include <QStringList>

#include <memory>

// Writes every call the window makes on its assistant into one shared log, in order.
class RecordingCharacter : public Character {
    Q_OBJECT

public:
    explicit RecordingCharacter(QStringList* log, bool silent = false)
        : log_(log)
        , silent_(silent)
    {}

    void Show() override { record(QStringLiteral("Show")); }
    void MoveTo(int x, int y) override { record(QStringLiteral("MoveTo %1,%2").arg(x).arg(y)); }
    void Play(const QString& animation) override { record(QStringLiteral("Play ") + animation); }
    void setHeight(int pixels) override { record(QStringLiteral("Height %1").arg(pixels)); }
    void Speak(const QString& text) override { record(QStringLiteral("Speak ") + text); }

    // As the real character does when it finds it cannot be heard.
    void loseVoice(const QString& message) { emit voiceUnavailable(message); }

private:
    void record(const QString& call)
    {
        if (!silent_)
            log_->append(call);
    }

    QStringList* log_;
    bool silent_;
};

class RecordingAgent : public Agent, public CharacterSet {
public:
    // With failLoad the character cannot be loaded; later look-ups give a stand-in that records
    // nothing, as the real control's inert character does nothing.
    explicit RecordingAgent(QStringList* log, bool failLoad = false)
        : log_(log)
        , failLoad_(failLoad)
    {}

    CharacterSet& Characters() override { return *this; }
    void setStage(const AgentStage& given) override { stage = given; }

    void Load(const QString& name, const QString& file) override
    {
        log_->append(QStringLiteral("Load %1 %2").arg(name, file));
        if (failLoad_) {
            character_ = std::make_unique<RecordingCharacter>(log_, true);
            throw AssistantError(QStringLiteral("Il personaggio non si trova"));
        }
        character_ = std::make_unique<RecordingCharacter>(log_);
    }

    Character& operator()(const QString& name) override
    {
        if (!character_)
            throw AssistantError(
                QStringLiteral("Il personaggio «%1» non è stato caricato").arg(name));
        return *character_;
    }

    RecordingCharacter* character() const { return character_.get(); }

    AgentStage stage;

private:
    QStringList* log_;
    bool failLoad_;
    std::unique_ptr<RecordingCharacter> character_;
};
