#include "page/spellchecker.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <hunspell/hunspell.hxx>

#include <iconv.h>

namespace {

// Between UTF-8 and the charset a dictionary declares, which need not be UTF-8 (KOI8-R is common).
std::string recoded(const std::string &text, const char *from, const char *to)
{
    iconv_t conversion = iconv_open(to, from);
    if (conversion == iconv_t(-1))
        return std::string();
    std::string in = text;
    std::string out(text.size() * 4 + 4, '\0');
    char *inBytes = in.data();
    size_t inLeft = in.size();
    char *outBytes = out.data();
    size_t outLeft = out.size();
    const size_t converted = iconv(conversion, &inBytes, &inLeft, &outBytes, &outLeft);
    iconv_close(conversion);
    if (converted == size_t(-1))
        return std::string();
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

// One language's Hunspell dictionary, spoken to in its own charset.
class Dictionary
{
public:
    explicit Dictionary(const DictionaryFiles &files)
        : m_hunspell(files.affix.c_str(), files.words.c_str())
        , m_charset(m_hunspell.get_dict_encoding())
    {
    }

    bool spell(const QString &word)
    {
        const std::string encoded = toDictionary(word);
        return !encoded.empty() && m_hunspell.spell(encoded);
    }

    QStringList suggest(const QString &word, int count)
    {
        QStringList found;
        const std::string encoded = toDictionary(word);
        if (encoded.empty())
            return found;
        for (const std::string &suggestion : m_hunspell.suggest(encoded)) {
            if (found.size() == count)
                break;
            const QString text = fromDictionary(suggestion);
            if (!text.isEmpty())
                found << text;
        }
        return found;
    }

private:
    bool isUtf8() const { return m_charset == "UTF-8" || m_charset == "utf-8"; }

    std::string toDictionary(const QString &word) const
    {
        const QByteArray utf8 = word.toUtf8();
        return isUtf8() ? utf8.toStdString() : recoded(utf8.toStdString(), "UTF-8", m_charset.c_str());
    }

    QString fromDictionary(const std::string &text) const
    {
        const std::string utf8 = isUtf8() ? text : recoded(text, m_charset.c_str(), "UTF-8");
        return QString::fromUtf8(utf8.data(), int(utf8.size()));
    }

    Hunspell m_hunspell;
    std::string m_charset;
};

QStringList SpellChecker::systemFolders()
{
    QStringList folders = QString::fromLocal8Bit(qgetenv("DICPATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return folders << QStringLiteral("/usr/share/hunspell") << QStringLiteral("/usr/share/myspell/dicts")
                   << QStringLiteral("/usr/share/myspell");
}

QList<DictionaryFiles> SpellChecker::find(const QStringList &folders, const QStringList &languages)
{
    QList<DictionaryFiles> found;
    for (const QString &language : languages) {
        bool there = false;
        for (const QString &folder : folders) {
            const QDir dir(folder);
            const QString affix = dir.filePath(language + QLatin1String(".aff"));
            const QString words = dir.filePath(language + QLatin1String(".dic"));
            if (QFile::exists(affix) && QFile::exists(words)) {
                found.append({language.startsWith(QLatin1String("ru")), QFile::encodeName(affix).toStdString(),
                              QFile::encodeName(words).toStdString()});
                there = true;
                break;
            }
        }
        if (!there) {
            qWarning().noquote() << QStringLiteral("Spelling: no %1 dictionary in %2; its words are not checked.")
                                        .arg(language, folders.join(QLatin1String(", ")));
        }
    }
    return found;
}

SpellChecker::SpellChecker(const QStringList &folders, const QStringList &languages)
    : SpellChecker(find(folders, languages))
{
}

SpellChecker::SpellChecker(const QList<DictionaryFiles> &files)
{
    for (const DictionaryFiles &language : files)
        (language.cyrillic ? m_cyrillic : m_latin) = std::make_unique<Dictionary>(language);
}

SpellChecker::~SpellChecker() = default;

Dictionary *SpellChecker::dictionaryFor(const QString &word) const
{
    for (const QChar c : word) {
        if (c.script() == QChar::Script_Cyrillic)
            return m_cyrillic.get();
    }
    return m_latin.get();
}

bool SpellChecker::isCorrect(const QString &word) const
{
    const auto known = m_known.constFind(word);
    if (known != m_known.constEnd())
        return known.value();
    Dictionary *dictionary = dictionaryFor(word);
    const bool correct = !dictionary || dictionary->spell(word);
    m_known.insert(word, correct);
    return correct;
}

QStringList SpellChecker::suggestions(const QString &word, int count) const
{
    Dictionary *dictionary = dictionaryFor(word);
    return dictionary ? dictionary->suggest(word, count) : QStringList();
}
