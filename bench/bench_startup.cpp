// The program's start-up up to the shown main window, then quits: the entry point's steps with
// the same settings, translations, window and dialogs, timed from outside against bench_bare_form.
#include "ui/cimglinkdialog.h"
#include "ui/dialoghookup.h"
#include "ui/linkform.h"
#include "ui/newsadder.h"
#include "app/qttranslations.h"
#include "publish/settings.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    const Settings settings = readSettings(QString::fromLatin1(SettingsFileName));
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    loadQtTranslations(&app);
    NewsAdder window(settings.remotePath, settings.remoteFtpPath, settings.host, settings.port);
    hookUpDialogs(&window);
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    const int code = app.exec();
    delete window.imgLinkDialog;
    delete window.linkDialog;
    return code;
}
