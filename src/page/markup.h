#ifndef MARKUP_H
#define MARKUP_H

#include <QString>

// The opening and closing literal that a wrap command puts around the selection.
struct MarkupTags
{
    QString opening;
    QString closing;
};

MarkupTags boldTags();
MarkupTags italicTags();
MarkupTags underlineTags();
MarkupTags fontSizeTags(int size);
MarkupTags fontColorTags(int colourIndex);

// Colour name for an index of the colour combo box; empty for an index outside the table.
QString colourName(int index);

QString wrapText(const MarkupTags &tags, const QString &text);

// The fragments the two dialogs hand to the editor, built from the fields exactly as typed.
QString linkFragment(const QString &address, const QString &shownText, bool newWindow);
QString imageFragment(const QString &address, int border, int alignIndex,
                      bool changeSize, int width, int height, const QString &text);

#endif // MARKUP_H
