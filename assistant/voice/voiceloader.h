#pragma once

#include <QStringList>
#include <memory>

class Voice;

// Where the installed program, and a program in its build tree, find the voice plugin.
QStringList voicePluginPaths();

// The character's voice from the voice plugin, the first of paths that loads; without one, a
// SilentVoice (pace > 1 shortens its words' time, as tests want). Loaded when asked, not before:
// the character asks once the program's windows are drawn.
std::unique_ptr<Voice> loadVoice(double pace = 1.0,
                                 const QStringList& pluginPaths = voicePluginPaths());
