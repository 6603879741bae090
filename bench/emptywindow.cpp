#include "startuptrace.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

// An empty window: what start-up costs before the game adds anything. It stamps its first frame
// as the game does, for the start-up benchmark. With --text it shows one line in one of the game's
// fonts: what any window with text pays for the font system.
int main(int argc, char* argv[])
{
    startup::begin();
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Perlobin"));
    window.resize(754, 576);
    if (app.arguments().contains(QStringLiteral("--text"))) {
        auto* line = new QLabel(QStringLiteral("Numero in base 2"), &window);
        line->setFont(QFont(QStringLiteral("Liberation Sans"), 12));
        window.setCentralWidget(line);
    }
    window.show();
    startup::watchFirstFrame(&window);
    return QApplication::exec();
}
