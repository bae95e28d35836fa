// The start-up baseline: the main window's compiled form on a bare QMainWindow, shown, then quits.
// No settings, dialogs, translations or transfers: what is left to the program is its own work.
#include "ui_newsadder.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    Ui::NewsAdder ui;
    ui.setupUi(&window);
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
