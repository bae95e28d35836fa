#include "cimglinkdialog.h"
#include "dialoghookup.h"
#include "linkform.h"
#include "newsadder.h"

#include <QApplication>
#include <QDebug>
#include <QSettings>

int main(int argc, char *argv[])
{
    // Read before the application exists, as the settings are logged first thing.
    QSettings *settings = new QSettings(QStringLiteral("settings.ini"), QSettings::IniFormat);
    qDebug() << settings->value(QStringLiteral("remotepath")).toString();
    qDebug() << settings->value(QStringLiteral("remoteFTPpath")).toString();
    qDebug() << settings->value(QStringLiteral("host")).toString();
    qDebug() << settings->value(QStringLiteral("port")).toInt();

    QApplication *app = new QApplication(argc, argv);
    NewsAdder *window = new NewsAdder(settings->value(QStringLiteral("remotepath")).toString(),
                                      settings->value(QStringLiteral("remoteFTPpath")).toString(),
                                      settings->value(QStringLiteral("host")).toString(),
                                      settings->value(QStringLiteral("port")).toInt(),
                                      nullptr);
    window->caCertFile = settings->value(QStringLiteral("cacert")).toString();
    hookUpDialogs(window);

    window->show();
    const int exitCode = app->exec();

    delete window->imgLinkDialog;
    delete window->linkDialog;
    delete window;
    delete app;
    delete settings;
    return exitCode;
}
