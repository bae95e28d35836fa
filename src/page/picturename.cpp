#include "page/picturename.h"

#include <QFileInfo>
#include <QHash>

namespace {

// Russian and Ukrainian letters as Russian sites spell them in their addresses, lower case.
QString latinFor(QChar letter)
{
    static const QHash<QChar, QString> table = [] {
        const char *const pairs[][2] = {
            {"а", "a"}, {"б", "b"}, {"в", "v"}, {"г", "g"}, {"д", "d"}, {"е", "e"}, {"ё", "e"},
            {"ж", "zh"}, {"з", "z"}, {"и", "i"}, {"й", "y"}, {"к", "k"}, {"л", "l"}, {"м", "m"},
            {"н", "n"}, {"о", "o"}, {"п", "p"}, {"р", "r"}, {"с", "s"}, {"т", "t"}, {"у", "u"},
            {"ф", "f"}, {"х", "kh"}, {"ц", "ts"}, {"ч", "ch"}, {"ш", "sh"}, {"щ", "shch"}, {"ъ", ""},
            {"ы", "y"}, {"ь", ""}, {"э", "e"}, {"ю", "yu"}, {"я", "ya"}, {"і", "i"}, {"ї", "yi"},
            {"є", "ye"}, {"ґ", "g"}};
        QHash<QChar, QString> letters;
        for (const auto &pair : pairs)
            letters.insert(QString::fromUtf8(pair[0]).at(0), QString::fromLatin1(pair[1]));
        return letters;
    }();
    return table.value(letter, QString(letter));
}

QString cleaned(const QString &text)
{
    QString latin;
    for (const QChar c : text.toLower())
        latin += latinFor(c);
    // "é" as "e": accents go, the letter stays.
    latin = latin.normalized(QString::NormalizationForm_KD);
    QString name;
    for (const QChar c : latin) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        const bool allowed = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                             || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.')
                             || c == QLatin1Char('_') || c == QLatin1Char('-');
        const QChar kept = allowed ? c : QLatin1Char('-');
        // One dash for a run of symbols or spaces.
        if (kept != QLatin1Char('-') || !name.endsWith(QLatin1Char('-')))
            name += kept;
    }
    // A leading dot would hide the file, a leading dash reads as an option to the server's tools.
    const auto edge = [](QChar c) { return c == QLatin1Char('-') || c == QLatin1Char('.'); };
    while (!name.isEmpty() && edge(name.front()))
        name.remove(0, 1);
    while (!name.isEmpty() && edge(name.back()))
        name.chop(1);
    return name;
}

} // namespace

QString pictureName(const QString &fileName)
{
    const QFileInfo file(QString(fileName).replace(QLatin1Char('\\'), QLatin1Char('/')));
    const QString extension = cleaned(file.suffix());
    const QString base = cleaned(file.completeBaseName());
    return (base.isEmpty() ? QStringLiteral("picture") : base) + QLatin1Char('.')
           + (extension.isEmpty() ? QStringLiteral("jpg") : extension);
}

QString cleanedName(const QString &text)
{
    return cleaned(text);
}

QString numberedName(const QString &name, int number)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const int at = dot < 0 ? name.size() : dot;
    return name.left(at) + QLatin1Char('-') + QString::number(number) + name.mid(at);
}
