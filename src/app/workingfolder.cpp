#include "app/workingfolder.h"

#include "publish/localfile.h"
#include "publish/settings.h"
#include "transfer/failurereason.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("WorkingFolder", text);
}

// Every value commented out: nothing is tried against an example server before the editor fills it in.
QByteArray settingsToFillIn()
{
    return tr("; Настройки NewsAdder. Программа читает этот файл при запуске, в кодировке UTF-8.\n"
              "; Уберите точку с запятой в начале нужных строк, впишите свои значения и запустите программу снова.\n"
              "; Значение с запятой или точкой с запятой заключите в двойные кавычки:\n"
              ";   remoteFTPpath=\"ftp://ftp.example.org/www/news;2026.html\"\n"
              ";\n"
              "; Адрес, с которого загружается страница новостей: sftp://, ftpes://, ftps://, https:// или ftp://.\n"
              ";remotepath=sftp://ssh.example.org/var/www/site/news.html\n"
              "; Адрес, по которому изменённая страница отправляется на сервер (с логином и паролем из окна).\n"
              ";remoteFTPpath=sftp://ssh.example.org/var/www/site/news.html\n"
              "; Имя сервера и порт только для журнала; нестандартный порт пишется в адресах выше.\n"
              ";host=ssh.example.org\n"
              ";port=22\n"
              "; Необязательно: файл PEM с сертификатами, которым доверять вместо системных.\n"
              ";cacert=site.pem\n"
              "; Необязательно: открытый адрес страницы новостей; просмотр берёт оттуда картинки и ссылки.\n"
              ";pageurl=https://www.example.org/news.html\n")
        .toUtf8();
}

} // namespace

WorkingFolder enterWorkingFolder()
{
    WorkingFolder folder;
    const QString settingsName = QString::fromLatin1(SettingsFileName);
    if (QFileInfo::exists(settingsName)) {
        folder.path = QDir::toNativeSeparators(QDir::currentPath());
        return folder;
    }
    const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/newsadder");
    folder.userFolder = true;
    folder.path = QDir::toNativeSeparators(own);
    if (!QDir().mkpath(own) || !QDir::setCurrent(own)) {
        folder.failure = tr("Папка %1 не создана: нет прав на запись.").arg(folder.path);
        folder.path = QDir::toNativeSeparators(QDir::currentPath());
        return folder;
    }
    if (QFileInfo::exists(settingsName))
        return folder;
    QString error;
    if (saveWholeFile(settingsName, settingsToFillIn(), &error))
        folder.created = true;
    else
        folder.failure = localFileProblem(settingsName, LocalAccess::Write, error);
    return folder;
}

QString workingFolderNotice(const WorkingFolder &folder, const Settings &settings)
{
    if (!folder.failure.isEmpty())
        return folder.failure;
    if (!folder.userFolder || !settings.remotePath.trimmed().isEmpty() || !settings.remoteFtpPath.trimmed().isEmpty())
        return QString();
    const QString file = QDir(folder.path).filePath(QString::fromLatin1(SettingsFileName));
    const QString shown = QDir::toNativeSeparators(file);
    if (folder.created) {
        // The path on a line of its own: the box would break it at any slash.
        return tr("Программа запущена впервые. Её файл настроек:\n%1\nВпишите в него адреса страницы новостей "
                  "(ключи remotepath и remoteFTPpath) и запустите программу снова. В той же папке хранятся "
                  "рабочая копия страницы и резервные копии.")
            .arg(shown);
    }
    return tr("Не заданы адреса страницы новостей (ключи remotepath и remoteFTPpath) в файле настроек:\n%1\n"
              "Впишите их и запустите программу снова.")
        .arg(shown);
}
