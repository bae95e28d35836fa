#include "page/checkedwords.h"

namespace {

bool isWordChar(QChar c)
{
    return c.isLetter() || c.isMark();
}

bool isApostrophe(QChar c)
{
    return c == QLatin1Char('\'') || c == QChar(0x2019);
}

// An address runs on to the next blank, quote or tag.
int addressEnd(const QString &line, int from)
{
    while (from < line.size() && !line.at(from).isSpace() && line.at(from) != QLatin1Char('<')
           && line.at(from) != QLatin1Char('"'))
        ++from;
    return from;
}

// A word glued to "://", "@" or ".letter" belongs to an address (or a file name): none of it is prose.
bool startsAddress(const QString &line, int wordStart, int wordEnd)
{
    const QStringView rest = QStringView(line).mid(wordEnd);
    if (rest.startsWith(QLatin1String("://")) || rest.startsWith(QLatin1Char('@')))
        return true;
    if (rest.size() >= 2 && rest.at(0) == QLatin1Char('.') && (rest.at(1).isLetterOrNumber()))
        return true;
    return wordStart > 0 && (line.at(wordStart - 1) == QLatin1Char('@') || line.at(wordStart - 1) == QLatin1Char('/')
                             || line.at(wordStart - 1).isDigit() || line.at(wordStart - 1) == QLatin1Char('.'));
}

int entityEnd(const QString &line, int ampersand)
{
    int i = ampersand + 1;
    if (i < line.size() && line.at(i) == QLatin1Char('#'))
        ++i;
    const int nameStart = i;
    while (i < line.size() && line.at(i).isLetterOrNumber() && line.at(i).unicode() < 128)
        ++i;
    return i > nameStart && i < line.size() && line.at(i) == QLatin1Char(';') ? i + 1 : -1;
}

} // namespace

QVector<WordRange> checkedWords(const QString &line, MarkupState &state)
{
    QVector<WordRange> words;
    int i = 0;
    while (i < line.size()) {
        const QChar c = line.at(i);
        switch (state) {
        case MarkupState::Comment:
            if (QStringView(line).mid(i).startsWith(QLatin1String("-->"))) {
                state = MarkupState::Text;
                i += 3;
            } else {
                ++i;
            }
            continue;
        case MarkupState::DoubleQuoted:
        case MarkupState::SingleQuoted:
            if (c == QLatin1Char(state == MarkupState::DoubleQuoted ? '"' : '\''))
                state = MarkupState::Tag;
            ++i;
            continue;
        case MarkupState::Tag:
            if (c == QLatin1Char('>'))
                state = MarkupState::Text;
            else if (c == QLatin1Char('"'))
                state = MarkupState::DoubleQuoted;
            else if (c == QLatin1Char('\''))
                state = MarkupState::SingleQuoted;
            ++i;
            continue;
        case MarkupState::Text:
            break;
        }
        const QChar next = i + 1 < line.size() ? line.at(i + 1) : QChar();
        if (c == QLatin1Char('<') && (next.isLetter() || next == QLatin1Char('/') || next == QLatin1Char('!'))) {
            const bool comment = QStringView(line).mid(i).startsWith(QLatin1String("<!--"));
            state = comment ? MarkupState::Comment : MarkupState::Tag;
            i += comment ? 4 : 1;
        } else if (c == QLatin1Char('&') && entityEnd(line, i) > 0) {
            i = entityEnd(line, i);
        } else if (isWordChar(c)) {
            int end = i + 1;
            while (end < line.size()
                   && (isWordChar(line.at(end))
                       || ((line.at(end) == QLatin1Char('-') || isApostrophe(line.at(end))) && end + 1 < line.size()
                           && isWordChar(line.at(end + 1)))))
                ++end;
            const bool withDigits = end < line.size() && line.at(end).isDigit();
            if (startsAddress(line, i, end) || withDigits || QStringView(line).mid(i).startsWith(QLatin1String("www."))) {
                i = addressEnd(line, end);
            } else {
                words.append({i, end - i});
                i = end;
            }
        } else {
            ++i;
        }
    }
    return words;
}

WordRange checkedWordAt(const QString &line, MarkupState state, int position)
{
    for (const WordRange &word : checkedWords(line, state)) {
        if (position >= word.start && position <= word.start + word.length)
            return word;
    }
    return {};
}
