#include "page/markup.h"

#include "page/localpictures.h"

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
    // In points: HTML's own sizes run 1-7 only, and browsers clamp anything larger to the largest.
    return {QStringLiteral("<font style=\"font-size:") + QString::number(size) + QStringLiteral("pt\">"),
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

QString escapedAttribute(const QString &value)
{
    QString escaped = value;
    // The ampersand first, so that the other entities are not escaped twice.
    escaped.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    escaped.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    escaped.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    return escaped;
}

QString linkFragment(const QString &address, const QString &shownText, bool newWindow)
{
    const QString target = newWindow ? QStringLiteral("target=\"_blank\"") : QString();
    return QStringLiteral("<a href=\"") + escapedAttribute(address) + QStringLiteral("\" ") + target
            + QStringLiteral(">") + shownText + QStringLiteral("</a>");
}

QString imageFragment(const QString &address, int border, int alignIndex,
                      bool changeSize, int width, int height, const QString &text, int shrinkWidth)
{
    QString image = QStringLiteral("<img src=\"") + escapedAttribute(address) + QStringLiteral("\" border=\"")
            + QString::number(border) + QLatin1Char('"');
    // Same order as the items of the alignment combo box. Browsers ignore align="center" on an
    // image, so the centred one is wrapped instead.
    if (alignIndex == 1)
        image += QStringLiteral(" align=\"right\"");
    else if (alignIndex == 2)
        image += QStringLiteral(" align=\"left\"");
    if (changeSize)
        image += QStringLiteral(" width=\"%1\" height=\"%2\"").arg(width).arg(height);
    if (shrinkWidth > 0)
        image += QStringLiteral(" %1=\"%2\"").arg(QLatin1String(ShrinkAttribute)).arg(shrinkWidth);
    // alt for readers that show no picture, title for the hover text itself.
    if (!text.isEmpty()) {
        const QString hover = escapedAttribute(text);
        image += QStringLiteral(" alt=\"") + hover + QStringLiteral("\" title=\"") + hover + QLatin1Char('"');
    }
    image += QLatin1Char('>');
    if (alignIndex == 0)
        return QStringLiteral("<div align=\"center\">") + image + QStringLiteral("</div>");
    return image;
}
