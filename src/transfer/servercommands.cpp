#include "transfer/servercommands.h"

#include "transfer/remoteaddress.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>

#include <curl/curl.h>

namespace {

// curl reads each path of an SFTP quote command up to a space unless it is quoted.
QString sftpQuoted(const QString &path)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// "YYYYMMDDhhmmss" in UTC, as MDTM and MLST's modify give a time; a fraction after it is left out.
qint64 secondsOf(const QString &digits)
{
    QDateTime time = QDateTime::fromString(digits.left(14), QStringLiteral("yyyyMMddHHmmss"));
    time.setTimeSpec(Qt::UTC);
    return digits.size() >= 14 && time.isValid() ? time.toSecsSinceEpoch() : -1;
}

// The facts of an MLST line, lower-case names to values; the path after the first space is left out.
QList<QPair<QString, QString>> factsOf(const QString &factsLine)
{
    QList<QPair<QString, QString>> facts;
    const QString text = factsLine.trimmed().section(QLatin1Char(' '), 0, 0);
    for (const QString &fact : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int equals = fact.indexOf(QLatin1Char('='));
        if (equals > 0)
            facts.append({fact.left(equals).toLower(), fact.mid(equals + 1)});
    }
    return facts;
}

int modeOf(QString digits)
{
    // Python's servers write 0o644.
    if (digits.startsWith(QLatin1String("0o"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    bool ok = false;
    const int mode = digits.toInt(&ok, 8);
    return ok && mode >= 0 && mode <= 07777 ? mode : -1;
}

} // namespace

QStringList renameCommands(const SchemeInfo &scheme, const QString &from, const QString &to)
{
    if (scheme.overSsh)
        return {QStringLiteral("rename ") + sftpQuoted(from) + QLatin1Char(' ') + sftpQuoted(to)};
    return {QStringLiteral("RNFR ") + from, QStringLiteral("RNTO ") + to};
}

QString removeCommand(const SchemeInfo &scheme, const QString &path)
{
    return scheme.overSsh ? QStringLiteral("rm ") + sftpQuoted(path) : QStringLiteral("DELE ") + path;
}

QString chmodCommand(const SchemeInfo &scheme, const QString &path, int mode)
{
    const QString digits = QString::number(mode & 07777, 8).rightJustified(3, QLatin1Char('0'));
    if (scheme.overSsh)
        return QStringLiteral("chmod ") + digits + QLatin1Char(' ') + sftpQuoted(path);
    return QStringLiteral("SITE CHMOD ") + digits + QLatin1Char(' ') + path;
}

QString folderCommand(const SchemeInfo &scheme, FolderAction action, const QString &path)
{
    if (scheme.overSsh)
        return QLatin1String(action == FolderAction::Make ? "mkdir " : "rmdir ") + sftpQuoted(path);
    return QLatin1String(action == FolderAction::Make ? "MKD " : "RMD ") + path;
}

QString sizeCommand(const QString &path)
{
    return QStringLiteral("SIZE ") + path;
}

QString timeCommand(const QString &path)
{
    return QStringLiteral("MDTM ") + path;
}

QString factsCommand(const QString &path)
{
    return QStringLiteral("MLST ") + path;
}

QString binaryTypeCommand()
{
    return QStringLiteral("TYPE I");
}

QStringList listCommands()
{
    return {QStringLiteral("LIST -a"), QStringLiteral("LIST"), QStringLiteral("NLST")};
}

QString namesCommand()
{
    return QStringLiteral("MLSD");
}

QString factsOptionsCommand()
{
    return QStringLiteral("OPTS MLST type;size;modify;unix.mode;");
}

curl_slist *quoteList(const QStringList &commands, bool mayFail)
{
    curl_slist *list = nullptr;
    const QByteArray prefix = mayFail ? "*" : "";
    for (const QString &command : commands)
        list = curl_slist_append(list, (prefix + command.toUtf8()).constData());
    return list;
}

size_t collectLines(char *data, size_t size, size_t count, void *lines)
{
    static_cast<QStringList *>(lines)->append(QString::fromUtf8(QByteArray(data, int(size * count)).trimmed()));
    return size * count;
}

QList<ServerReply> repliesIn(const QStringList &lines)
{
    QList<ServerReply> replies;
    QStringList pending;
    for (const QString &line : lines) {
        pending << line;
        // The last line of a reply: three digits and a space.
        bool number = false;
        const int code = line.left(3).toInt(&number);
        if (number && line.size() >= 4 && line.at(3) == QLatin1Char(' ')) {
            replies.append(ServerReply{code, line, pending});
            pending.clear();
        }
    }
    return replies;
}

void readRefusal(const QStringList &commands, const QList<ServerReply> &replies, TransferResult *result)
{
    if (!result->succeeded() || replies.size() < commands.size() || replies.last().accepted())
        return;
    result->status = TransferResult::Failed;
    result->curlCode = CURLE_QUOTE_ERROR;
    result->responseCode = replies.last().code;
    result->curlError = result->errorText = QCoreApplication::translate("NewsAdder", "сервер ответил на %1: %2")
                                                .arg(commands.last().section(' ', 0, 0), replies.last().text);
}

qint64 numberIn(const QString &reply)
{
    bool ok = false;
    const qint64 number = reply.startsWith(QLatin1String("213 ")) ? reply.mid(4).toLongLong(&ok) : -1;
    return ok ? number : -1;
}

bool opensTransfer(const QString &reply)
{
    return reply.startsWith(QLatin1String("150 ")) || reply.startsWith(QLatin1String("125 "));
}

qint64 announcedIn(const QString &reply)
{
    static const QRegularExpression bytes(QStringLiteral("\\((\\d+) bytes\\)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = bytes.match(reply);
    bool ok = false;
    const qint64 size = opensTransfer(reply) && match.hasMatch() ? match.captured(1).toLongLong(&ok) : -1;
    return ok ? size : -1;
}

// As curl reads it for a download's file time.
qint64 timeIn(const QString &reply)
{
    return reply.startsWith(QLatin1String("213 ")) ? secondsOf(reply.mid(4)) : -1;
}

RemoteFacts factsIn(const ServerReply &reply)
{
    RemoteFacts found;
    if (reply.code == 550) {
        found.presence = RemoteFacts::Absent;
        return found;
    }
    if (!reply.accepted())
        return found;
    // The facts line is the one between the reply's first and last, set off by a space.
    for (const QString &line : reply.lines.mid(1, reply.lines.size() - 2)) {
        found.presence = RemoteFacts::Present;
        for (const auto &fact : factsOf(line)) {
            bool number = false;
            const qint64 size = fact.second.toLongLong(&number);
            if (fact.first == QLatin1String("size"))
                found.size = number ? size : -1;
            else if (fact.first == QLatin1String("modify"))
                found.time = secondsOf(fact.second);
            else if (fact.first == QLatin1String("unix.mode"))
                found.mode = modeOf(fact.second);
        }
    }
    return found;
}

int modeInFacts(const QString &factsLine)
{
    for (const auto &fact : factsOf(factsLine)) {
        if (fact.first == QLatin1String("unix.mode"))
            return modeOf(fact.second);
    }
    return -1;
}

bool modeInFactsOffered(const ServerReply &reply)
{
    return reply.accepted() && reply.text.contains(QLatin1String("unix.mode"), Qt::CaseInsensitive);
}
