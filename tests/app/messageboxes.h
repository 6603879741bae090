#pragma once

#include <QMessageBox>
#include <QWidget>

#include <functional>

// The window's message box on screen that `matches`, or nullptr.
inline QMessageBox* visibleBox(QWidget* window,
                               const std::function<bool(const QMessageBox&)>& matches = {})
{
    QMessageBox* found = nullptr;
    for (QMessageBox* box : window->findChildren<QMessageBox*>())
        if (box->isVisible() && (!matches || matches(*box)))
            found = box;
    return found;
}
