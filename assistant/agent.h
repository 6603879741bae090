#pragma once

class CharacterSet;

// The assistant control the game window owns: the way to its characters.
class Agent {
public:
    virtual ~Agent() = default;

    // The collection of loaded characters.
    virtual CharacterSet& Characters() = 0;
};
