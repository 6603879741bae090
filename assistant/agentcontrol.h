#pragma once

#include "agent.h"
#include "agentcharacters.h"
#include "agentoptions.h"

#include <QObject>

#include <memory>

// The assistant control the game window owns. It has no visible area of its own: its
// characters appear in windows of their own and live as long as the control.
class AgentControl : public QObject, public Agent {
    Q_OBJECT

public:
    explicit AgentControl(QObject* parent = nullptr);
    explicit AgentControl(AgentOptions options, QObject* parent = nullptr);
    ~AgentControl() override;

    AgentCharacters& Characters() override { return *characters_; }
    void setStage(const AgentStage& stage) override;

private:
    std::unique_ptr<AgentCharacters> characters_;
};
