#pragma once

#include <QMetaType>

// The shapes the figure's mouth takes while it speaks, one for each family of sounds.
enum class MouthShape {
    Closed, // at rest, and for m, b, p
    Open,   // a
    Mid,    // e, i
    Round,  // o, u
    Teeth,  // f, v: upper teeth on the lower lip
};
Q_DECLARE_METATYPE(MouthShape)
