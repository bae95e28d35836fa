// The start-up baseline: the main window's compiled form on a bare QMainWindow, shown, then quits.
// No settings, dialogs, translations or transfers: what is left to the program is its own work.
// With --first-frame or --close-at-once, see firstframe.h.
#include "firstframe.h"
#include "offscreenplatform.h"
#include "ui_newsadder.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

Q_COREAPP_STARTUP_FUNCTION(watchFirstFrame)

int main(int argc, char *argv[])
{
    useOffscreenWithoutDisplay();
    const bool atFirstFrame = FirstFrame::asked(argc);
    QApplication app(argc, argv);
    QMainWindow window;
    Ui::NewsAdder ui;
    ui.setupUi(&window);
    window.show();
    if (!atFirstFrame)
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
