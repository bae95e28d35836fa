#include "transfer.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

// The one place where a transfer is issued and waited for; upload is null for a GET.
static TransferResult transfer(QObject *owner, const QUrl &url, const QByteArray *upload)
{
    auto manager = new QNetworkAccessManager(owner);
    QNetworkReply *reply = upload ? manager->put(QNetworkRequest(url), *upload) : manager->get(QNetworkRequest(url));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();

    TransferResult result;
    if (!reply->isFinished()) {
        reply->abort();
        result.status = TransferResult::Unfinished;
    } else if (reply->error() != QNetworkReply::NoError) {
        result.status = TransferResult::Failed;
    } else {
        result.status = TransferResult::Succeeded;
        result.body = reply->readAll();
    }
    if (!result.succeeded())
        result.errorText = withoutPassword(reply->errorString(), url);
    delete reply;
    return result;
}

TransferResult fetchUrl(QObject *owner, const QUrl &url)
{
    return transfer(owner, url, nullptr);
}

TransferResult putUrl(QObject *owner, const QUrl &url, const QByteArray &data)
{
    return transfer(owner, url, &data);
}

QUrl urlWithCredentials(const QString &address, const QString &login, const QString &password)
{
    QUrl url(address, QUrl::TolerantMode);
    url.setUserName(login, QUrl::DecodedMode);
    url.setPassword(password, QUrl::DecodedMode);
    return url;
}

// How the password shows inside url.toString(options): what stands between the user name's
// colon and the '@' that the same address without the password has in its place.
static QString passwordInAddress(const QUrl &url, QUrl::ComponentFormattingOptions options)
{
    const QString full = url.toString(QUrl::FormattingOptions(options));
    const QString bare = url.toString(QUrl::FormattingOptions(options) | QUrl::RemovePassword);
    const int at = bare.indexOf(QLatin1Char('@'));
    if (at < 0)
        return QString();
    const QString head = bare.left(at) + QLatin1Char(':');
    const QString tail = bare.mid(at);
    if (!full.startsWith(head) || !full.endsWith(tail) || full.size() <= head.size() + tail.size())
        return QString();
    return full.mid(head.size(), full.size() - head.size() - tail.size());
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

QString withoutPassword(const QString &text, const QUrl &url)
{
    const QString password = url.password(QUrl::FullyDecoded);
    if (password.isEmpty())
        return text;

    const QList<QUrl::ComponentFormattingOptions> formats = {
        QUrl::PrettyDecoded, QUrl::FullyEncoded, QUrl::EncodeUnicode,
        QUrl::EncodeSpaces, QUrl::EncodeUnicode | QUrl::EncodeSpaces, QUrl::DecodeReserved,
        QUrl::EncodeDelimiters, QUrl::EncodeReserved, QUrl::EncodeDelimiters | QUrl::EncodeReserved};
    QSet<QString> spellings = {password, QString::fromLatin1(QUrl::toPercentEncoding(password))};
    for (const QUrl::ComponentFormattingOptions format : formats) {
        spellings << url.password(format);
        spellings << passwordInAddress(url, format);
    }
    for (const QString &spelling : QSet<QString>(spellings))
        spellings << withLowerCaseEscapes(spelling);
    spellings.remove(QString());

    QStringList longestFirst = spellings.values();
    std::sort(longestFirst.begin(), longestFirst.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    // Removing one spelling can join two pieces into another, so repeat until none is left.
    QString scrubbed = text;
    bool removed = true;
    while (removed) {
        removed = false;
        for (const QString &spelling : longestFirst) {
            if (scrubbed.contains(spelling)) {
                scrubbed.remove(spelling);
                removed = true;
            }
        }
    }
    return scrubbed;
}
