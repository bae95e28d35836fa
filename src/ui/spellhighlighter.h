#ifndef SPELLHIGHLIGHTER_H
#define SPELLHIGHLIGHTER_H

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <functional>

// Underlines the misspelt words of a plain-text item with the spell-check wave, leaving its markup
// alone. Each block remembers where the next one starts: in text, or inside a tag or comment.
class SpellHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit SpellHighlighter(QTextDocument *document);

    // Which words to underline; none until it is set.
    void setMisspelt(std::function<bool(const QString &)> isMisspelt);

protected:
    void highlightBlock(const QString &text) override;

private:
    std::function<bool(const QString &)> m_isMisspelt;
    QTextCharFormat m_format;
};

#endif // SPELLHIGHLIGHTER_H
