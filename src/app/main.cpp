// Starts the calculator: one main window on the input screen.
#include "main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    saxolith::MainWindow window;
    window.show();
    return QApplication::exec();
}
