#include "publish/wordlist.h"

#include "publish/localfile.h"

#include <QFile>

namespace {

bool isSound(const QString &line)
{
    for (const QChar c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

} // namespace

WordList::WordList(const QString &fileName)
    : m_fileName(fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray contents = file.read(MaxWordListBytes + 1);
    // A file cut at the limit ends in a part of a line.
    if (contents.size() > MaxWordListBytes)
        contents.truncate(contents.lastIndexOf('\n', MaxWordListBytes) + 1);
    for (QByteArray line : contents.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString word = QString::fromUtf8(line).trimmed();
        if (!isSound(word))
            break;
        if (!word.isEmpty() && !m_lookup.contains(word)) {
            m_words << word;
            m_lookup.insert(word);
        }
    }
}

bool WordList::contains(const QString &word) const
{
    // A word added in lower case also counts at the start of a sentence.
    return m_lookup.contains(word) || m_lookup.contains(word.toLower());
}

bool WordList::add(const QString &word, QString *error)
{
    if (!m_lookup.contains(word)) {
        m_words << word;
        m_lookup.insert(word);
    }
    return saveWholeFile(m_fileName, (m_words.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(), error);
}
