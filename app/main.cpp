#include "fontwarmup.h"
#include "game.h"
#include "look.h"
#include "platformchoice.h"
#include "startuptrace.h"
#include "translations.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[])
{
    startup::begin();
    const FontWarmUp fonts;
    platformchoice::apply(argc, argv);
    QApplication app(argc, argv);
    startup::stamp("application");
    applyLook();
    const std::unique_ptr<QTranslator> qtItalian = installQtItalian();
    startup::stamp("translations");
    Game game;
    QObject::connect(&game, &Game::ended, &app, [] { QCoreApplication::exit(0); });
    game.start();
    startup::stamp("window shown");
    return QApplication::exec();
}
