#pragma once

#include "agentoptions.h"
#include "fakevoice.h"

#include <QPointer>
#include <QString>

// The character file exactly as the game window passes it.
inline const QString kMerlinFile = QStringLiteral("C:\\WINDOWS\\msagent\\chars\\Merlin.acs");

// Options with a hand-driven voice (reachable through *voice once a character is loaded) and
// time running fast.
inline AgentOptions fakeVoiceOptions(QPointer<FakeVoice>* voice, double pace = 25)
{
    AgentOptions options;
    options.pace = pace;
    options.makeVoice = [voice]() -> std::unique_ptr<Voice> {
        auto made = std::make_unique<FakeVoice>();
        *voice = made.get();
        return made;
    };
    return options;
}
