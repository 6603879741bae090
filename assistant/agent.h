#pragma once

class CharacterSet;
struct AgentStage;

// The assistant control the game window owns: the way to its characters.
class Agent {
public:
    virtual ~Agent() = default;

    // The collection of loaded characters.
    virtual CharacterSet& Characters() = 0;
    // The window the control stands on; characters loaded afterwards belong to it.
    virtual void setStage(const AgentStage& stage) = 0;
};
