#include "transfer/filemode.h"

#include <QList>
#include <QRegularExpression>

namespace {

// rwx for one of owner, group, others; the x place also holds set-id and sticky bits (s, S, t, T).
int tripletMode(const QString &rwx, int shift, int specialBit, QChar special, int *specials)
{
    int bits = 0;
    if (rwx.at(0) == QLatin1Char('r'))
        bits |= 4;
    else if (rwx.at(0) != QLatin1Char('-'))
        return -1;
    if (rwx.at(1) == QLatin1Char('w'))
        bits |= 2;
    else if (rwx.at(1) != QLatin1Char('-'))
        return -1;
    const QChar x = rwx.at(2);
    if (x == QLatin1Char('x') || x == special)
        bits |= 1;
    else if (x != QLatin1Char('-') && x != special.toUpper())
        return -1;
    if (x.toLower() == special)
        *specials |= specialBit;
    return bits << shift;
}

struct ListedFile
{
    int mode = -1;
    qint64 size = -1;
};

ListedFile fileInLine(const QString &line, const QString &name)
{
    // The name is the rest of the line after the time, so it may hold spaces; a link shows " -> ".
    if (line.size() < 10 + name.size() || line.at(0) != QLatin1Char('-') || !line.endsWith(QLatin1Char(' ') + name))
        return {};
    static const QRegularExpression fields(QStringLiteral("^-\\S{9}\\S*\\s+\\d+\\s+\\S+\\s+\\S+\\s+(\\d+)\\s+"
                                                          "\\S+\\s+\\S+\\s+\\S+\\s(.*)$"));
    const QRegularExpressionMatch match = fields.match(line);
    if (!match.hasMatch() || match.captured(2) != name)
        return {};
    int specials = 0;
    const int owner = tripletMode(line.mid(1, 3), 6, 04000, QLatin1Char('s'), &specials);
    const int group = tripletMode(line.mid(4, 3), 3, 02000, QLatin1Char('s'), &specials);
    const int others = tripletMode(line.mid(7, 3), 0, 01000, QLatin1Char('t'), &specials);
    if (owner < 0 || group < 0 || others < 0)
        return {};
    return {owner | group | others | specials, match.captured(1).toLongLong()};
}

} // namespace

int modeInListing(const QByteArray &listing, const QString &name)
{
    int found = NotListed;
    for (const QByteArray &bytes : listing.split('\n')) {
        const QString line = QString::fromUtf8(bytes).remove(QLatin1Char('\r'));
        const int mode = fileInLine(line, name).mode;
        if (mode >= 0)
            return mode;
        if (line.endsWith(QLatin1Char(' ') + name) || line.contains(QLatin1Char(' ') + name + QLatin1String(" -> ")))
            found = -1;
    }
    return found;
}

qint64 sizeInListing(const QByteArray &listing, const QString &name)
{
    for (const QByteArray &bytes : listing.split('\n')) {
        const ListedFile file = fileInLine(QString::fromUtf8(bytes).remove(QLatin1Char('\r')), name);
        if (file.mode >= 0)
            return file.size;
    }
    return -1;
}
