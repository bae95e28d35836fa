// The program's start-up up to the shown main window, then quits: the entry point's own steps with
// the same settings, translations, window and dialogs, timed from outside against bench_bare_form.
// With --first-frame or --close-at-once, see firstframe.h.
#include "app/startup.h"
#include "firstframe.h"
#include "offscreenplatform.h"

#include <QApplication>
#include <QTimer>

Q_COREAPP_STARTUP_FUNCTION(watchFirstFrame)

int main(int argc, char *argv[])
{
    useOffscreenWithoutDisplay();
    const bool atFirstFrame = FirstFrame::asked(argc);
    return startNewsAdder(argc, argv, WorkingFolderChoice::Current, [atFirstFrame](QApplication &app, NewsAdder &) {
        if (!atFirstFrame)
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        return app.exec();
    });
}
