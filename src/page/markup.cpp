#include "markup.h"

MarkupTags boldTags()
{
    return {QStringLiteral("<b>"), QStringLiteral("</b>")};
}

MarkupTags italicTags()
{
    return {QStringLiteral("<i>"), QStringLiteral("</i>")};
}

MarkupTags underlineTags()
{
    return {QStringLiteral("<u>"), QStringLiteral("</u>")};
}

MarkupTags fontSizeTags(int size)
{
    return {QStringLiteral("<font size=\"") + QString::number(size) + QStringLiteral("\">"),
            QStringLiteral("</font>")};
}

MarkupTags fontColorTags(int colourIndex)
{
    return {QStringLiteral("<font color=\"") + colourName(colourIndex) + QStringLiteral("\">"),
            QStringLiteral("</font>")};
}

QString colourName(int index)
{
    // Same order as the items of the colour combo box.
    static const char *const names[] = {"red", "yellow", "green", "blue", "black", "white"};
    if (index < 0 || index >= int(sizeof(names) / sizeof(names[0])))
        return QString();
    return QString::fromLatin1(names[index]);
}

QString wrapText(const MarkupTags &tags, const QString &text)
{
    return tags.opening + text + tags.closing;
}

QString linkFragment(const QString &address, const QString &shownText, bool newWindow)
{
    const QString target = newWindow ? QStringLiteral("target=\"_blank\"") : QString();
    return QStringLiteral("<a href=\"") + address + QStringLiteral("\" ") + target
            + QStringLiteral(">") + shownText + QStringLiteral("</a>");
}

QString imageFragment(const QString &address, int border, int alignIndex,
                      bool changeSize, int width, int height, const QString &text)
{
    const QString borderPart = QStringLiteral(" border=\"") + QString::number(border)
            + QStringLiteral("\" ");

    // Same order as the items of the alignment combo box.
    QString alignPart;
    if (alignIndex == 0)
        alignPart = QStringLiteral(" align=\"center\" ");
    else if (alignIndex == 1)
        alignPart = QStringLiteral(" align=\"right\" ");
    else if (alignIndex == 2)
        alignPart = QStringLiteral(" align=\"left\" ");

    QString sizePart;
    if (changeSize)
        sizePart = QStringLiteral(" width =\"") + QString::number(width)
                + QStringLiteral("\" height=\"") + QString::number(height) + QStringLiteral("\" ");

    return QStringLiteral("<img src=\"") + address + QStringLiteral("\"") + borderPart + alignPart
            + sizePart + QStringLiteral(" >") + text + QStringLiteral("</img>");
}
