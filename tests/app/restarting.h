#pragma once

#include "game.h"
#include "messageboxes.h"
#include "tavola.h"

#include <QAbstractButton>
#include <QAction>
#include <QSignalSpy>

// "nuovo", then Yes in the question, as the learner does; true once the fresh window is there.
inline bool restartFromTheMenu(Game& game)
{
    Tavola* window = game.window();
    QSignalSpy restarted(&game, &Game::restarted);
    window->findChild<QAction*>(QStringLiteral("Next"))->trigger();
    QMessageBox* question =
        visibleBox(window, [](const QMessageBox& box) { return box.button(QMessageBox::Yes); });
    if (!question)
        return false;
    question->button(QMessageBox::Yes)->click();
    return restarted.count() > 0 || restarted.wait();
}
