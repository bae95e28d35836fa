#ifndef SPELLCHECKER_H
#define SPELLCHECKER_H

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

class Dictionary;

// The system's Hunspell dictionaries of Russian and English, each word looked up in the one of its
// alphabet. A missing dictionary is noted once in the log, and the words it would check pass.
class SpellChecker
{
public:
    // Where Debian and most other systems keep the dictionaries.
    static QStringList systemFolders();

    explicit SpellChecker(const QStringList &folders = systemFolders(),
                          const QStringList &languages = {QStringLiteral("ru_RU"), QStringLiteral("en_US")});
    ~SpellChecker();
    SpellChecker(const SpellChecker &) = delete;
    SpellChecker &operator=(const SpellChecker &) = delete;

    bool isCorrect(const QString &word) const;
    // At most count words the dictionary offers instead of word, best first.
    QStringList suggestions(const QString &word, int count = 5) const;

private:
    Dictionary *dictionaryFor(const QString &word) const;

    std::unique_ptr<Dictionary> m_cyrillic;
    std::unique_ptr<Dictionary> m_latin;
    mutable QHash<QString, bool> m_known;  // each word looked up once
};

#endif // SPELLCHECKER_H
