#ifndef WORDLIST_H
#define WORDLIST_H

#include <QSet>
#include <QString>
#include <QStringList>

// Kept in the working directory beside the state file, one word a line, in UTF-8.
inline constexpr char WordListFileName[] = "newsadder-words.txt";

// A larger file is read only this far.
inline constexpr qint64 MaxWordListBytes = 1024 * 1024;

// The words the editor added to the dictionary. A file that is unreadable, too large or holds a
// line with control characters is read as far as it is sound.
class WordList
{
public:
    explicit WordList(const QString &fileName);

    bool contains(const QString &word) const;
    // Kept at once, the whole file replaced; false, and the system's words in error, when it could
    // not be written (the word counts for this run all the same).
    bool add(const QString &word, QString *error = nullptr);

    QString fileName() const { return m_fileName; }

private:
    QString m_fileName;
    QStringList m_words;  // in the file's order
    QSet<QString> m_lookup;
};

#endif // WORDLIST_H
