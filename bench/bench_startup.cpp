// The program's start-up up to the shown main window, then quits: the entry point's steps with
// the same settings, window and dialogs, timed from outside against bench_bare_window.
#include "cimglinkdialog.h"
#include "dialoghookup.h"
#include "linkform.h"
#include "newsadder.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>

int main(int argc, char *argv[])
{
    QSettings settings(QStringLiteral("settings.ini"), QSettings::IniFormat);
    QApplication app(argc, argv);
    NewsAdder window(settings.value(QStringLiteral("remotepath")).toString(),
                     settings.value(QStringLiteral("remoteFTPpath")).toString(),
                     settings.value(QStringLiteral("host")).toString(),
                     settings.value(QStringLiteral("port")).toInt());
    hookUpDialogs(&window);
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    const int code = app.exec();
    delete window.imgLinkDialog;
    delete window.linkDialog;
    return code;
}
