#pragma once

#include <QByteArray>
#include <QStringList>

class QProcessEnvironment;

// The windowing platform the game asks Qt for where the user chose none. In a Wayland session
// that also runs an X server (XWayland, as GNOME and KDE sessions do), X11 is preferred: only
// there may a program place its own windows, and Merlin must stand beside the game.
namespace platformchoice {

// "xcb;wayland" (X11, else Wayland) in such a session; empty where the user chose a platform
// (QT_QPA_PLATFORM, -platform) or where Qt's own choice stands.
QByteArray preferred(const QProcessEnvironment& environment, const QStringList& arguments);

// Sets the preferred platform, if any, for the QApplication about to be made.
void apply(int argc, char* argv[]);

} // namespace platformchoice
