// The program's start-up up to the shown main window, then quits: the entry point's own steps with
// the same settings, translations, window and dialogs, timed from outside against bench_bare_form.
#include "app/startup.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    return startNewsAdder(argc, argv, WorkingFolderChoice::Current, [](QApplication &app, NewsAdder &) {
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
        return app.exec();
    });
}
