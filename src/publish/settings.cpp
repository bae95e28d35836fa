#include "settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

const char SettingsFileName[] = "settings.ini";

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Settings", text);
}

const char *const Keys[] = {"remotepath", "remoteFTPpath", "host", "port", "cacert", "pageurl"};

} // namespace

Settings readSettings(const QString &fileName)
{
    QSettings ini(fileName, QSettings::IniFormat);
    // Qt 5 reads INI values as Latin-1 unless told otherwise, which garbles a Cyrillic path.
    ini.setIniCodec("UTF-8");
    Settings settings;
    settings.remotePath = ini.value(QStringLiteral("remotepath")).toString();
    settings.remoteFtpPath = ini.value(QStringLiteral("remoteFTPpath")).toString();
    settings.host = ini.value(QStringLiteral("host")).toString();
    settings.port = ini.value(QStringLiteral("port")).toInt();
    settings.caCertFile = ini.value(QStringLiteral("cacert")).toString();
    settings.pageUrl = ini.value(QStringLiteral("pageurl")).toString();
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        settings.problems = settingsSyntaxProblems(file.readAll(), fileName);
    return settings;
}

QStringList settingsSyntaxProblems(const QByteArray &iniText, const QString &fileName)
{
    QStringList problems;
    bool topLevel = true;
    for (QString line : QString::fromUtf8(iniText).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            // Qt keeps the top-level keys under [General].
            topLevel = line.startsWith(QLatin1String("[General]"), Qt::CaseInsensitive);
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (!topLevel || line.startsWith(QLatin1Char(';')) || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (std::find(std::begin(Keys), std::end(Keys), key) == std::end(Keys))
            continue;
        const QString value = line.mid(equals + 1).trimmed();
        bool quoted = false;
        QChar cut;
        for (int i = 0; i < value.size() && cut.isNull(); ++i) {
            const QChar c = value.at(i);
            if (c == QLatin1Char('\\'))
                ++i;
            else if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (!quoted && (c == QLatin1Char(',') || c == QLatin1Char(';')))
                cut = c;
        }
        if (cut.isNull())
            continue;
        const QString effect = cut == QLatin1Char(',')
            ? tr("запятую: без кавычек значение читается как список и остаётся пустым")
            : tr("точку с запятой: без кавычек с неё начинается комментарий, и значение обрезается");
        problems << tr("В файле %1 значение ключа %2 содержит %3. Заключите значение в двойные кавычки:\n%2=\"%4\"")
                        .arg(QDir::toNativeSeparators(fileName), key, effect, value);
    }
    return problems;
}

QString missingAddressMessage(const QString &remotePath, const QString &remoteFtpPath, AddressesNeeded needed)
{
    QString key, meaning;
    if (remotePath.trimmed().isEmpty()) {
        key = QStringLiteral("remotepath");
        meaning = tr("адрес, с которого загружается страница новостей");
    } else if (needed == AddressesNeeded::DownloadAndUpload && remoteFtpPath.trimmed().isEmpty()) {
        key = QStringLiteral("remoteFTPpath");
        meaning = tr("адрес, по которому страница отправляется на сервер");
    } else {
        return QString();
    }
    const QString folder = QDir::toNativeSeparators(QDir::currentPath());
    const QString nothingDone = tr("Ничего не загружено и не отправлено.");
    if (!QFileInfo::exists(QString::fromLatin1(SettingsFileName))) {
        return tr("Не найден файл настроек %1. Программа ищет его в папке, из которой запущена: %2. "
                  "Без него неизвестен %3 (ключ %4). %5")
            .arg(QString::fromLatin1(SettingsFileName), folder, meaning, key, nothingDone);
    }
    return tr("В файле настроек %1 (папка %2) не задан %3: ключ %4 отсутствует или пуст. %5")
        .arg(QString::fromLatin1(SettingsFileName), folder, meaning, key, nothingDone);
}
