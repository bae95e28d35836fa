#include "transfer.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTimer>

#include <algorithm>

namespace {

// Over the whole application while a transfer waits, never over the message boxes that follow.
class BusyCursor
{
public:
    BusyCursor()
        : m_shown(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    }
    ~BusyCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_shown;
};

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString stoppedAnswering(int idleTimeout)
{
    return QCoreApplication::translate("NewsAdder", "Сервер перестал отвечать: за %1 с не передано ни одного байта.")
        .arg(QString::number(idleTimeout / 1000.0));
}

// A web server's redirect: Qt 5 does not follow it and reports no error, yet nothing was fetched
// or stored at the address asked for. The reply's target, empty when the server named none.
QString redirectTarget(const QNetworkReply *reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 300 || status > 399)
        return QString();
    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    return target.isEmpty() ? QStringLiteral("?") : reply->url().resolved(target).toString();
}

QString redirected(const QNetworkReply *reply, const QString &target)
{
    return QCoreApplication::translate("NewsAdder", "сервер перенаправляет %1 (HTTP %2) на %3; укажите этот адрес в "
                                                    "настройках.")
        .arg(reply->url().toString(),
             QString::number(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()), target);
}

} // namespace

// The one place where a transfer is issued and waited for: a PUT of upload, or with upload null a
// GET whose body is written to sink as it arrives, which overlaps the disk with the network and
// keeps a large page out of memory.
static TransferResult transfer(const QUrl &url, const QByteArray *upload, int idleTimeout, QSaveFile *sink = nullptr)
{
    TransferResult result;
    const QString problem = credentialsProblem(url);
    if (!problem.isEmpty()) {
        result.status = TransferResult::Failed;
        result.errorText = problem;
        return result;
    }

    QNetworkAccessManager manager;
    QNetworkReply *reply = upload ? manager.put(QNetworkRequest(url), *upload) : manager.get(QNetworkRequest(url));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Qt's FTP backend neither times out nor notices a server that went away, so every byte moved
    // in either direction restarts a watchdog of our own.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    watchdog.setTimerType(Qt::PreciseTimer);
    watchdog.setInterval(idleTimeout);
    bool stalled = false;
    QObject::connect(&watchdog, &QTimer::timeout, &loop, [&] {
        stalled = true;
        loop.quit();
    });
    const auto restartWatchdog = [&watchdog] { watchdog.start(); };
    QObject::connect(reply, &QNetworkReply::readyRead, &watchdog, restartWatchdog);
    QObject::connect(reply, &QNetworkReply::downloadProgress, &watchdog, restartWatchdog);
    QObject::connect(reply, &QNetworkReply::uploadProgress, &watchdog, restartWatchdog);
    bool sinkFailed = sink && !sink->isOpen();
    const auto drain = [&] {
        const QByteArray chunk = reply->readAll();
        if (sink && !sinkFailed && sink->write(chunk) != chunk.size())
            sinkFailed = true;
    };
    if (sink)
        QObject::connect(reply, &QNetworkReply::readyRead, &loop, drain);
    if (!reply->isFinished()) {
        const BusyCursor busy;
        watchdog.start();
        // Returns at once, or early, when the application is quitting: then the reply is unfinished.
        loop.exec();
    }
    watchdog.stop();

    if (reply->isFinished() && reply->error() != QNetworkReply::NoError) {
        result.status = TransferResult::Failed;
        result.errorText = withoutPassword(reply->errorString(), url);
    } else if (reply->isFinished() && !redirectTarget(reply).isEmpty()) {
        result.status = TransferResult::Failed;
        result.errorText = withoutPassword(redirected(reply, redirectTarget(reply)), url);
    } else if (reply->isFinished() && sink) {
        drain();
        // commit() alone can accept a short file when the disk fills, so the writes and the flush count too.
        const bool saved = !sinkFailed && sink->flush() && sink->commit();
        result.status = saved ? TransferResult::Succeeded : TransferResult::SaveFailed;
    } else if (reply->isFinished()) {
        result.status = TransferResult::Succeeded;
    } else {
        reply->abort();
        result.status = stalled ? TransferResult::Failed : TransferResult::Unfinished;
        if (stalled)
            result.errorText = stoppedAnswering(idleTimeout);
    }
    // Released here and now rather than by deleteLater(), which a nested loop may never reach;
    // the manager follows at the end of the scope and closes its connection to the server.
    delete reply;
    return result;
}

TransferResult putUrl(const QUrl &url, const QByteArray &data, int idleTimeout)
{
    return transfer(url, &data, idleTimeout);
}

TransferResult fetchUrlToFile(const QUrl &url, const QString &fileName, int idleTimeout)
{
    QSaveFile file(fileName);
    // A file that cannot be opened is reported after the transfer, so that a network failure wins.
    file.open(QIODevice::WriteOnly);
    const TransferResult result = transfer(url, nullptr, idleTimeout, &file);
    if (file.isOpen())
        file.cancelWriting();
    return result;
}

QString credentialsProblem(const QUrl &url)
{
    // A line end would let the rest of the text pass for a command of its own on the FTP control connection.
    if (hasControlCharacter(url.userName(QUrl::FullyDecoded)))
        return QCoreApplication::translate("NewsAdder", "Логин содержит управляющий символ (перевод строки, возврат "
                                                        "каретки или другой). На сервер ничего не отправлено; "
                                                        "исправьте логин и повторите.");
    if (hasControlCharacter(url.password(QUrl::FullyDecoded)))
        return QCoreApplication::translate("NewsAdder", "Пароль содержит управляющий символ (перевод строки, возврат "
                                                        "каретки или другой). На сервер ничего не отправлено; "
                                                        "исправьте пароль и повторите.");
    return QString();
}

QUrl urlWithCredentials(const QString &address, const QString &login, const QString &password)
{
    QUrl url(address, QUrl::TolerantMode);
    url.setUserName(login, QUrl::DecodedMode);
    url.setPassword(password, QUrl::DecodedMode);
    return url;
}

// One way the network module may print the address: the whole address, the same address with
// nothing between the user name's colon and the '@', and the password as it stood there.
struct PrintedAddress
{
    QString whole;
    QString scrubbed;
    QString password;
};

static PrintedAddress printedAddress(const QUrl &url, QUrl::ComponentFormattingOptions options)
{
    const QString full = url.toString(QUrl::FormattingOptions(options));
    const QString bare = url.toString(QUrl::FormattingOptions(options) | QUrl::RemovePassword);
    const int at = bare.indexOf(QLatin1Char('@'));
    if (at < 0)
        return {};
    const QString head = bare.left(at) + QLatin1Char(':');
    const QString tail = bare.mid(at);
    if (!full.startsWith(head) || !full.endsWith(tail) || full.size() <= head.size() + tail.size())
        return {};
    return {full, head + tail, full.mid(head.size(), full.size() - head.size() - tail.size())};
}

static QString withLowerCaseEscapes(QString text)
{
    static const QRegularExpression escape(QStringLiteral("%[0-9A-F]{2}"));
    QRegularExpressionMatchIterator matches = escape.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        text.replace(match.capturedStart(), 3, match.captured().toLower());
    }
    return text;
}

static void sortLongestFirst(QStringList &texts)
{
    std::sort(texts.begin(), texts.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
}

// Replaces each of pieces (longest first) by its replacement until none is left, as one
// replacement can join two parts of the text into another piece.
static QString replacedUntilGone(QString text, const QStringList &pieces, const QHash<QString, QString> &replacements)
{
    bool replaced = true;
    while (replaced) {
        replaced = false;
        for (const QString &piece : pieces) {
            if (text.contains(piece)) {
                text.replace(piece, replacements.value(piece));
                replaced = true;
            }
        }
    }
    return text;
}

// A spelling this long goes wherever it stands; a shorter one only from addresses, as on its own it
// could as well be a port, a status code or a piece of a word of the message ("e" in "Error").
static const int LoneSpellingLength = 6;

QString withoutPassword(const QString &text, const QUrl &url)
{
    const QString password = url.password(QUrl::FullyDecoded);
    if (password.isEmpty())
        return text;

    const QList<QUrl::ComponentFormattingOptions> formats = {
        QUrl::PrettyDecoded, QUrl::FullyEncoded, QUrl::EncodeUnicode,
        QUrl::EncodeSpaces, QUrl::EncodeUnicode | QUrl::EncodeSpaces, QUrl::DecodeReserved,
        QUrl::EncodeDelimiters, QUrl::EncodeReserved, QUrl::EncodeDelimiters | QUrl::EncodeReserved};
    QHash<QString, QString> addresses;  // whole address -> the same without its password
    QSet<QString> spellings = {password, QString::fromLatin1(QUrl::toPercentEncoding(password))};
    for (const QUrl::ComponentFormattingOptions format : formats) {
        const PrintedAddress printed = printedAddress(url, format);
        if (!printed.whole.isEmpty()) {
            addresses.insert(printed.whole, printed.scrubbed);
            addresses.insert(withLowerCaseEscapes(printed.whole), withLowerCaseEscapes(printed.scrubbed));
        }
        spellings << printed.password << url.password(format);
    }
    for (const QString &spelling : QSet<QString>(spellings))
        spellings << withLowerCaseEscapes(spelling);
    spellings.remove(QString());

    // First the whole address, so that the rest of the message stays as the network module wrote it.
    QStringList wholeAddresses = addresses.keys();
    sortLongestFirst(wholeAddresses);
    QString scrubbed = replacedUntilGone(text, wholeAddresses, addresses);

    // Then the password in the user-info place of any other address, whatever its length.
    QHash<QString, QString> userInfos;
    QStringList longSpellings;
    for (const QString &spelling : qAsConst(spellings)) {
        userInfos.insert(QLatin1Char(':') + spelling + QLatin1Char('@'), QStringLiteral(":@"));
        if (spelling.size() >= LoneSpellingLength)
            longSpellings << spelling;
    }
    QStringList userInfoPieces = userInfos.keys();
    sortLongestFirst(userInfoPieces);
    scrubbed = replacedUntilGone(scrubbed, userInfoPieces, userInfos);

    // Last, wherever else a spelling long enough to be nothing but the password still stands.
    sortLongestFirst(longSpellings);
    return replacedUntilGone(scrubbed, longSpellings, {});
}
