#include "publish/settings.h"

#include "transfer/remoteaddress.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryFile>
#include <QTextCodec>
#include <QUrl>

#include <algorithm>
#include <cstring>

const char SettingsFileName[] = "settings.ini";
const char DefaultImageFolder[] = "images";

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Settings", text);
}

const char *const Keys[] = {"remotepath", "remoteFTPpath", "host", "port", "cacert", "pageurl", "imagefolder", "feed", "feeditems"};
const int KeyCount = int(sizeof(Keys) / sizeof(Keys[0]));

// A start-up box with a million lines helps no one: the first few, then how many more.
const int ProblemsShown = 5;

// Up to this size the file is read by QSettings as it is; a larger one only through its lines that count.
const int ReadWhole = 256 * 1024;

// A stretch of the file's text, named without copying it: a file of millions of lines is read at once.
struct Span
{
    const char *begin = nullptr;
    const char *end = nullptr;
    bool isNull() const { return !begin; }
    QByteArray bytes() const { return QByteArray(begin, int(end - begin)); }
    bool is(const char *text) const
    {
        return size_t(end - begin) == std::strlen(text) && std::memcmp(begin, text, size_t(end - begin)) == 0;
    }
};

QString shownValue(Span value)
{
    return shownAddress(QString::fromUtf8(value.bytes()), QStringLiteral("***"));
}

Span trimmed(const char *begin, const char *end)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; };
    while (begin < end && blank(*begin))
        ++begin;
    while (end > begin && blank(end[-1]))
        --end;
    return {begin, end};
}

// The first unquoted ',' or ';' of value, which Qt's INI syntax reads as a list or a comment; 0 when none.
char cutBy(Span value)
{
    bool quoted = false;
    for (const char *c = value.begin; c < value.end; ++c) {
        if (*c == '\\')
            ++c;
        else if (*c == '"')
            quoted = !quoted;
        else if (!quoted && (*c == ',' || *c == ';'))
            return *c;
    }
    return 0;
}

struct SettingsLines
{
    QByteArray lastLines;  // the last line of each key the program reads, one a line
    QStringList problems;
};

SettingsLines scanSettings(const QByteArray &text, const QString &fileName)
{
    const QString file = QDir::toNativeSeparators(fileName);
    Span lastLine[KeyCount];
    Span lastValue[KeyCount];
    int found = 0;
    SettingsLines result;
    const auto report = [&](const auto &problem) {
        if (found++ < ProblemsShown)
            result.problems << problem();
    };
    bool topLevel = true;
    const char *const textEnd = text.constData() + text.size();
    for (const char *begin = text.constData(); begin < textEnd;) {
        const char *end = static_cast<const char *>(std::memchr(begin, '\n', size_t(textEnd - begin)));
        end = end ? end : textEnd;
        const Span line = trimmed(begin, end);
        begin = end + 1;
        if (line.begin < line.end && *line.begin == '[') {
            // Qt keeps the top-level keys under [General].
            topLevel = line.end - line.begin >= 9 && qstrnicmp(line.begin, "[general]", 9) == 0;
            continue;
        }
        const char *equals = static_cast<const char *>(std::memchr(line.begin, '=', size_t(line.end - line.begin)));
        if (!equals || !topLevel || *line.begin == ';')
            continue;
        const Span key = trimmed(line.begin, equals);
        int k = 0;
        while (k < KeyCount && !key.is(Keys[k]))
            ++k;
        if (k == KeyCount)
            continue;
        const Span value = trimmed(equals + 1, line.end);
        if (const char cut = cutBy(value)) {
            report([&] {
                const QString shown = shownValue(value);
                const QString effect = cut == ','
                    ? tr("запятую: без кавычек значение читается как список и остаётся пустым")
                    : tr("точку с запятой: без кавычек с неё начинается комментарий, и значение обрезается");
                return tr("В файле %1 значение ключа %2 содержит %3. Заключите значение в двойные кавычки%4:\n%2=\"%5\"")
                    .arg(file, QLatin1String(Keys[k]), effect,
                         shown == QString::fromUtf8(value.bytes()) ? QString() : tr(" и впишите пароль на место ***"),
                         shown);
            });
        }
        if (!lastLine[k].isNull()) {
            report([&] {
                return tr("В файле %1 ключ %2 задан не один раз: «%3», потом «%4». Действует последнее значение; "
                          "оставьте одну строку с ключом %2.")
                    .arg(file, QLatin1String(Keys[k]), shownValue(lastValue[k]), shownValue(value));
            });
        }
        lastLine[k] = line;
        lastValue[k] = value;
    }
    if (found > ProblemsShown)
        result.problems << tr("…и ещё %1 (всего замечаний к файлу %2: %3).").arg(found - ProblemsShown).arg(file).arg(found);
    for (const Span &line : lastLine) {
        if (!line.isNull())
            result.lastLines += line.bytes() + '\n';
    }
    return result;
}

} // namespace

Settings readSettings(const QString &fileName)
{
    Settings settings;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return settings;
    QByteArray text = file.readAll();
    file.close();
    // Notepad's "Unicode" is UTF-16, its "UTF-8" may start with a byte-order mark: QSettings reads
    // neither, so such a file is read as the same text in plain UTF-8.
    QTextCodec *marked = QTextCodec::codecForUtfText(text, nullptr);
    if (marked)
        text = marked->toUnicode(text).toUtf8();
    const SettingsLines lines = scanSettings(text, fileName);
    settings.problems = lines.problems;

    QTemporaryFile copy;
    QString readFrom = fileName;
    // Only the lines that count, so that Qt's own INI reading stays the one that reads the values; with
    // no room for the copy, the file is read as it stands.
    if ((marked || text.size() > ReadWhole) && copy.open() && copy.write(lines.lastLines) == lines.lastLines.size()
        && copy.flush())
        readFrom = copy.fileName();
    QSettings ini(readFrom, QSettings::IniFormat);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 5 reads INI values as Latin-1 unless told otherwise, which garbles a Cyrillic path; Qt 6 reads UTF-8.
    ini.setIniCodec("UTF-8");
#endif
    settings.remotePath = ini.value(QStringLiteral("remotepath")).toString();
    settings.remoteFtpPath = ini.value(QStringLiteral("remoteFTPpath")).toString();
    settings.host = ini.value(QStringLiteral("host")).toString();
    settings.port = ini.value(QStringLiteral("port")).toInt();
    settings.caCertFile = ini.value(QStringLiteral("cacert")).toString();
    settings.pageUrl = ini.value(QStringLiteral("pageurl")).toString();
    const QString folder = ini.value(QStringLiteral("imagefolder")).toString().trimmed();
    if (!folder.isEmpty())
        settings.imageFolder = folder;
    const QString folderProblem = imageFolderProblem(settings.imageFolder);
    if (!folderProblem.isEmpty())
        settings.problems << folderProblem;
    settings.feed = ini.value(QStringLiteral("feed")).toString().trimmed();
    const QString problem = feedProblem(settings.feed, settings.pageUrl);
    if (!problem.isEmpty())
        settings.problems << problem;
    const QString items = ini.value(QStringLiteral("feeditems")).toString().trimmed();
    bool number = false;
    const int count = items.toInt(&number);
    if (number && count >= 1 && count <= MaxFeedItems)
        settings.feedItems = count;
    else if (!items.isEmpty())
        settings.problems << tr("В файле %1 значение ключа feeditems «%2» не годится: нужно число от 1 до %3. В ленте "
                                "будут %4 последних новостей.")
                                 .arg(QString::fromLatin1(SettingsFileName), items).arg(MaxFeedItems).arg(DefaultFeedItems);
    return settings;
}

QString imageFolderProblem(const QString &folder)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    const QString path = QString(folder).replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'));
    QString why;
    if (path.trimmed().isEmpty() || path.startsWith(QLatin1Char('/')) || scheme.match(path).hasMatch())
        why = tr("нужна папка рядом со страницей, например images, а не адрес или путь от корня");
    else if (parts.contains(QStringLiteral("..")))
        why = tr("«..» вывело бы картинки из папки страницы");
    if (why.isEmpty())
        return QString();
    return tr("В файле %1 значение ключа imagefolder «%2» не годится: %3. Картинки с диска не будут отправляться, "
              "пока оно не исправлено.")
        .arg(QString::fromLatin1(SettingsFileName), folder, why);
}

QString feedProblem(const QString &feed, const QString &pageUrl)
{
    if (feed.isEmpty())
        return QString();
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    const QUrl page(pageUrl.trimmed(), QUrl::StrictMode);
    QString why;
    if (feed.contains(QLatin1Char('/')) || feed.contains(QLatin1Char('\\')) || feed.contains(QLatin1String(".."))
        || scheme.match(feed).hasMatch() || feed.contains(QLatin1Char('?')) || feed.contains(QLatin1Char('#')))
        why = tr("значение ключа feed «%1» не годится: нужно имя файла рядом со страницей, например news.atom, "
                 "а не адрес или путь").arg(feed);
    else if (!page.isValid() || page.host().isEmpty()
             || (page.scheme() != QLatin1String("https") && page.scheme() != QLatin1String("http")))
        why = tr("задан ключ feed, но нет ключа pageurl с полным публичным адресом страницы (например "
                 "https://www.example.org/news.html): ссылки ленты должны быть полными адресами");
    if (why.isEmpty())
        return QString();
    return tr("В файле %1 %2. Лента новостей не будет записываться, пока это не исправлено.")
        .arg(QString::fromLatin1(SettingsFileName), why);
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
