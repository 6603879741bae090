#include "look.h"
#include "tavola.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    applyLook();
    Tavola tavola;
    tavola.move(18, 39);
    tavola.show();
    return QApplication::exec();
}
