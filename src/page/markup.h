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

// value made safe inside a double-quoted attribute: ", & and < become entities.
QString escapedAttribute(const QString &value);

// imageFragment's alignIndex for a picture standing in the line, neither centred nor floated.
const int NoAlignment = -1;
// The width the image dialog shrinks a picture from the disk to unless told otherwise.
const int DefaultShrinkWidth = 800;

// The fragments the two dialogs hand to the editor. Attribute values are escaped; a link's shown
// text goes in as typed, markup and all. A picture with shrinkWidth is shrunk to it before upload.
QString linkFragment(const QString &address, const QString &shownText, bool newWindow);
QString imageFragment(const QString &address, int border, int alignIndex,
                      bool changeSize, int width, int height, const QString &text, int shrinkWidth = 0);

#endif // MARKUP_H
