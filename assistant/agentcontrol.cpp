#include "agentcontrol.h"

#include "agentcharacters.h"

#include <utility>

AgentControl::AgentControl(QObject* parent)
    : AgentControl(AgentOptions{}, parent)
{}

AgentControl::AgentControl(AgentOptions options, QObject* parent)
    : QObject(parent)
    , characters_(std::make_unique<AgentCharacters>(std::move(options)))
{}

void AgentControl::setStage(const AgentStage& stage)
{
    characters_->setStage(stage);
}

// Closes the characters' windows, silences them and joins the speech thread before returning.
AgentControl::~AgentControl() = default;
