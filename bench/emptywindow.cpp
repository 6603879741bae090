#include <QApplication>
#include <QMainWindow>

// An empty window: what start-up costs before the game adds anything.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Perlobin"));
    window.resize(754, 576);
    window.show();
    return QApplication::exec();
}
