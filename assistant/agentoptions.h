#pragma once

#include "agentstage.h"

#include <functional>
#include <memory>

class Voice;

// How a control builds its characters. The game uses the defaults; tests hand in a voice of
// their own and speed time up.
struct AgentOptions {
    // Makes the voice of each loaded character when it first comes on stage; left empty, the
    // control fills in the Italian espeak-ng voice of the voice plugin (loadVoice).
    std::function<std::unique_ptr<Voice>()> makeVoice;
    // Speeds up animations, moves, silent speech and the balloon's afterglow.
    double pace = 1.0;
    // The game window; without one (tests of the character alone) places are screen pixels.
    AgentStage stage;
};
