#include "newsitem.h"

#include <QHash>
#include <QLocale>
#include <QTextCodec>

const char NewsMarker[] = "<font color=yellow>";

QString composeNewsItem(const QString &editorText, const QDateTime &date)
{
    QString lines = editorText;
    lines.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    // The C locale keeps the digits ASCII whatever the user's locale is.
    const QString stamp = QLocale::c().toString(date, QStringLiteral("dd/MM/yyyy hh:mm"));
    return QLatin1String("\n \n") + lines + QLatin1String("<br>") + QLatin1String("\n \n")
           + QLatin1String("<br>") + stamp + QLatin1String("<br>") + QLatin1String("<br>");
}

QString automaticBackupName(const QDateTime &now)
{
    return QLatin1String("backup_") + QLocale::c().toString(now, QStringLiteral("dd-MM-yyyy_hh-mm-ss"))
           + QLatin1String(".bak");
}

// Every character windows-1251 has, with its byte, taken from the codec itself.
static const QHash<uint, char> &codePageBytes()
{
    static const QHash<uint, char> table = [] {
        QHash<uint, char> bytes;
        QTextCodec *codec = QTextCodec::codecForName("windows-1251");
        for (int value = 0; value < 256; ++value) {
            const QString decoded = codec->toUnicode(QByteArray(1, char(value)));
            if (decoded.size() == 1 && decoded.at(0) != QChar::ReplacementCharacter)
                bytes.insert(decoded.at(0).unicode(), char(value));
        }
        return bytes;
    }();
    return table;
}

QByteArray encodeForNewsPage(const QString &text)
{
    const QHash<uint, char> &bytes = codePageBytes();
    QByteArray encoded;
    encoded.reserve(text.size());
    // By code point, so a character outside the basic plane is one reference, not two halves.
    for (const uint codePoint : text.toUcs4()) {
        const auto byte = bytes.constFind(codePoint);
        if (byte != bytes.constEnd())
            encoded.append(*byte);
        else
            encoded.append("&#" + QByteArray::number(codePoint) + ';');
    }
    return encoded;
}

bool insertAfterMarker(QByteArray &page, const QByteArray &item)
{
    // The page is single-byte windows-1251 and the marker ASCII, so a byte search finds what a
    // search of the decoded text would, and leaves every other byte exactly as it was.
    const int at = page.indexOf(NewsMarker);
    if (at < 0)
        return false;
    page.insert(at + int(sizeof(NewsMarker)) - 1, item);
    return true;
}
