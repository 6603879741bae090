#pragma once

#include <QColor>
#include <QFont>

class QString;

// Colours named by their role on the desktop rather than by value.
enum class SystemColour { WindowBackground, WindowText, ButtonText, ScrollBars, InactiveTitleText };

QColor systemColour(SystemColour role);

// A font named as the game was designed, on the fonts this platform has: Liberation stands in for
// the Windows faces it is metric-compatible with, DejaVu for any character Liberation lacks.
QFont designFont(const QString& family, qreal points, bool bold = false, bool italic = false);

// The widget style every window of the game uses, so that it looks the same on every desktop.
void applyLook();
