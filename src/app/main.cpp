#include "ui/cimglinkdialog.h"
#include "ui/dialoghookup.h"
#include "ui/linkform.h"
#include "ui/newsadder.h"
#include "app/qttranslations.h"
#include "transfer/remoteaddress.h"
#include "publish/settings.h"

#include <QApplication>
#include <QDebug>
#include <QMessageBox>
#include <QTimer>

int main(int argc, char *argv[])
{
    // Read before the application exists, as the settings are logged first thing.
    const Settings settings = readSettings(QString::fromLatin1(SettingsFileName));
    const QString hidden = QStringLiteral("***");
    qDebug() << shownAddress(settings.remotePath, hidden);
    qDebug() << shownAddress(settings.remoteFtpPath, hidden);
    qDebug() << settings.host;
    qDebug() << settings.port;

    // A 150 % or 200 % screen scales the whole window, not only its text.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication *app = new QApplication(argc, argv);
    loadQtTranslations(app);
    NewsAdder *window = new NewsAdder(settings.remotePath, settings.remoteFtpPath, settings.host, settings.port,
                                      nullptr);
    window->caCertFile = settings.caCertFile;
    window->setPageUrl(settings.pageUrl);
    hookUpDialogs(window);

    window->show();
    // The file is read once, now: a value it holds wrongly is said now, over the window, before
    // the editor types an item that could not be sent, rather than at every command.
    if (!settings.problems.isEmpty()) {
        QTimer::singleShot(0, window, [window, &settings] {
            QMessageBox box(QMessageBox::Warning, QString::fromLatin1(SettingsFileName),
                            settings.problems.join(QLatin1String("\n\n")), QMessageBox::Ok, window);
            box.exec();
        });
    }
    const int exitCode = app->exec();

    delete window->imgLinkDialog;
    delete window->linkDialog;
    delete window;
    delete app;
    return exitCode;
}
