#include "transfer/filemode.h"

#include <QList>
#include <QStringList>
#include <QRegularExpression>

#include <algorithm>

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

// kind: '-' for a regular file, 'd' for a folder.
ListedFile entryInLine(const QString &line, const QString &name, QChar kind)
{
    // The name is the rest of the line after the time, so it may hold spaces; a link shows " -> ".
    if (line.size() < 10 + name.size() || line.at(0) != kind || !line.endsWith(QLatin1Char(' ') + name))
        return {};
    static const QRegularExpression fields(QStringLiteral("^.\\S{9}\\S*\\s+\\d+\\s+\\S+\\s+\\S+\\s+(\\d+)\\s+"
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

QStringList linesOf(const QByteArray &listing)
{
    QStringList lines;
    for (const QByteArray &bytes : listing.split('\n'))
        lines << QString::fromUtf8(bytes).remove(QLatin1Char('\r'));
    return lines;
}

bool lineNames(const QString &line, const QString &name)
{
    // ls -l and MLSD lines end in the name after a space; NLST gives it bare or after its folder.
    return line == name || line.endsWith(QLatin1Char(' ') + name) || line.endsWith(QLatin1Char('/') + name)
           || line.contains(QLatin1Char(' ') + name + QLatin1String(" -> "));
}

int modeOfKind(const QByteArray &listing, const QString &name, QChar kind)
{
    int found = NotListed;
    for (const QString &line : linesOf(listing)) {
        const int mode = entryInLine(line, name, kind).mode;
        if (mode >= 0)
            return mode;
        if (lineNames(line, name))
            found = -1;
    }
    return found;
}

} // namespace

int modeInListing(const QByteArray &listing, const QString &name)
{
    return modeOfKind(listing, name, QLatin1Char('-'));
}

int folderModeInListing(const QByteArray &listing, const QString &name)
{
    return modeOfKind(listing, name, QLatin1Char('d'));
}

bool nameInListing(const QByteArray &listing, const QString &name)
{
    const QStringList lines = linesOf(listing);
    return std::any_of(lines.cbegin(), lines.cend(), [&name](const QString &line) { return lineNames(line, name); });
}

qint64 sizeInListing(const QByteArray &listing, const QString &name)
{
    for (const QString &line : linesOf(listing)) {
        const ListedFile file = entryInLine(line, name, QLatin1Char('-'));
        if (file.mode >= 0)
            return file.size;
    }
    return -1;
}
