#ifndef CHECKEDWORDS_H
#define CHECKEDWORDS_H

#include <QString>
#include <QVector>

// A word of an item's text, by its place in the line.
struct WordRange
{
    int start = 0;
    int length = 0;

    bool operator==(const WordRange &other) const { return start == other.start && length == other.length; }
};

// Where a line of the item starts: in the text, or inside markup begun on an earlier line.
enum class MarkupState { Text, Tag, DoubleQuoted, SingleQuoted, Comment };

// The words of line that a reader sees and a spell checker should look at: never tag and attribute
// names, attribute values, entities, comments or addresses. state is where the line starts, and
// afterwards where the next one does.
QVector<WordRange> checkedWords(const QString &line, MarkupState &state);

// The checked word of line that covers position (its end included), or an empty range.
WordRange checkedWordAt(const QString &line, MarkupState state, int position);

#endif // CHECKEDWORDS_H
