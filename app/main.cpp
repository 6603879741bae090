#include "game.h"
#include "look.h"
#include "translations.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    applyLook();
    const std::unique_ptr<QTranslator> qtItalian = installQtItalian();
    Game game;
    QObject::connect(&game, &Game::ended, &app, [] { QCoreApplication::exit(0); });
    game.start();
    return QApplication::exec();
}
