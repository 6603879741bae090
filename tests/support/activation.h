#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

// Gives `window` the keyboard and waits until the application has made it its active window.
// Waiting for the window to be active is not enough: it counts as active while a window of
// Merlin's, transient for it, still has the focus, and the keyboard then comes to it later.
[[nodiscard]] inline bool makeActive(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}
