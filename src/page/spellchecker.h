#ifndef SPELLCHECKER_H
#define SPELLCHECKER_H

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class Dictionary;

// One language's Hunspell files as found on the disk, named as the system spells them.
struct DictionaryFiles
{
    bool cyrillic = false;  // Russian: the words of that alphabet go to it
    std::string affix;
    std::string words;
};

// The system's Hunspell dictionaries of Russian and English, each word looked up in the one of its
// alphabet. A missing dictionary is noted once in the log, and the words it would check pass.
class SpellChecker
{
public:
    // The folders of DICPATH (colon-separated, as Hunspell's own tools take it) first, then where
    // Debian and most other systems keep the dictionaries.
    static QStringList systemFolders();

    // Each language's files in the first of folders that holds them; a language without is noted in
    // the log.
    static QList<DictionaryFiles> find(const QStringList &folders = systemFolders(),
                                       const QStringList &languages = {QStringLiteral("ru_RU"), QStringLiteral("en_US")});

    explicit SpellChecker(const QStringList &folders = systemFolders(),
                          const QStringList &languages = {QStringLiteral("ru_RU"), QStringLiteral("en_US")});
    // Loads files found before. It touches nothing of Qt's, so it may run on a thread that is left
    // running as the application ends.
    explicit SpellChecker(const QList<DictionaryFiles> &files);
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
