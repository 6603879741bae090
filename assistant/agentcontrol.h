#pragma once

#include "agentoptions.h"

#include <QObject>
#include <memory>

class AgentCharacters;

// The assistant control the game window owns. It has no visible area of its own: its
// characters appear in windows of their own and live as long as the control.
class AgentControl : public QObject {
    Q_OBJECT

public:
    explicit AgentControl(QObject* parent = nullptr);
    explicit AgentControl(AgentOptions options, QObject* parent = nullptr);
    ~AgentControl() override;

    AgentCharacters& Characters() { return *characters_; }

private:
    std::unique_ptr<AgentCharacters> characters_;
};
