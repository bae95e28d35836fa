#include "ui/spellhighlighter.h"

#include "page/checkedwords.h"

SpellHighlighter::SpellHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document)
{
    m_format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    m_format.setUnderlineColor(Qt::red);
}

void SpellHighlighter::setMisspelt(std::function<bool(const QString &)> isMisspelt)
{
    m_isMisspelt = std::move(isMisspelt);
    rehighlight();
}

void SpellHighlighter::highlightBlock(const QString &text)
{
    MarkupState state = previousBlockState() < 0 ? MarkupState::Text : MarkupState(previousBlockState());
    const QVector<WordRange> words = checkedWords(text, state);
    setCurrentBlockState(int(state));
    if (!m_isMisspelt)
        return;
    for (const WordRange &word : words) {
        if (m_isMisspelt(text.mid(word.start, word.length)))
            setFormat(word.start, word.length, m_format);
    }
}
