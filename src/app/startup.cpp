#include "app/startup.h"

#include "app/qttranslations.h"
#include "app/workingfolder.h"
#include "publish/settings.h"
#include "transfer/remoteaddress.h"
#include "ui/cimglinkdialog.h"
#include "ui/dialoghookup.h"
#include "ui/linkform.h"
#include "ui/newsadder.h"

#include <QApplication>
#include <QDebug>
#include <QMessageBox>
#include <QTimer>

void setUpHighDpiScaling()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 always scales; the attribute is gone there.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

int startNewsAdder(int &argc, char **argv, WorkingFolderChoice folder, const RunWindow &run)
{
    const WorkingFolder working = folder == WorkingFolderChoice::AsStarted ? enterWorkingFolder() : WorkingFolder();
    // Read before the application exists, as the settings are logged first thing.
    const Settings settings = readSettings(QString::fromLatin1(SettingsFileName));
    const QString hidden = QStringLiteral("***");
    qDebug() << shownAddress(settings.remotePath, hidden);
    qDebug() << shownAddress(settings.remoteFtpPath, hidden);
    qDebug() << settings.host;
    qDebug() << settings.port;

    setUpHighDpiScaling();
    QApplication app(argc, argv);
    loadQtTranslations(&app);
    NewsAdder window(settings.remotePath, settings.remoteFtpPath, settings.host, settings.port, nullptr);
    window.caCertFile = settings.caCertFile;
    window.setPageUrl(settings.pageUrl);
    window.setImageFolder(settings.imageFolder);
    window.setFeed(settings.feed, settings.feedItems);
    hookUpDialogs(&window);
    window.show();

    // The file is read once, now: what it lacks or holds wrongly is said now, over the window, before
    // the editor types an item that could not be sent, rather than at every command.
    QStringList notes = settings.problems;
    const QString notice = workingFolderNotice(working, settings);
    if (!notice.isEmpty())
        notes.prepend(notice);
    if (!notes.isEmpty()) {
        const QMessageBox::Icon icon = settings.problems.isEmpty() ? QMessageBox::Information : QMessageBox::Warning;
        QTimer::singleShot(0, &window, [&window, notes, icon] {
            QMessageBox box(icon, QString::fromLatin1(SettingsFileName), notes.join(QLatin1String("\n\n")),
                            QMessageBox::Ok, &window);
            box.setTextFormat(Qt::PlainText);
            box.exec();
        });
    }
    const int exitCode = run ? run(app, window) : app.exec();
    delete window.imgLinkDialog;
    delete window.linkDialog;
    return exitCode;
}
