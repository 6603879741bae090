#include "startuptrace.h"

#include <QApplication>
#include <QMainWindow>

// An empty window: what start-up costs before the game adds anything. It stamps its first frame
// as the game does, for the start-up benchmark.
int main(int argc, char* argv[])
{
    startup::begin();
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Perlobin"));
    window.resize(754, 576);
    window.show();
    startup::watchFirstFrame(&window);
    return QApplication::exec();
}
