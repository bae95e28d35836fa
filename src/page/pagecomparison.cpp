#include "page/pagecomparison.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

void listItems(QString &text, const QString &heading, const QVector<PublishedItem> &items)
{
    if (items.isEmpty())
        return;
    text += heading + QLatin1Char('\n');
    for (const PublishedItem &item : items)
        text += QStringLiteral("  ") + publishedItemSummary(item) + QLatin1Char('\n');
    text += QLatin1Char('\n');
}

} // namespace

PageComparison comparePages(const QByteArray &earlier, const QByteArray &now)
{
    PageComparison comparison;
    const PublishedItems before = publishedItems(earlier);
    const PublishedItems after = publishedItems(now);
    comparison.outcome = before.outcome != PageEdit::Edited ? before.outcome : after.outcome;
    if (comparison.outcome != PageEdit::Edited)
        return comparison;
    QHash<QByteArray, int> nowCount;
    for (const PublishedItem &item : after.items)
        ++nowCount[item.bytes];
    QHash<QByteArray, int> kept;
    for (const PublishedItem &item : before.items) {
        int &left = nowCount[item.bytes];
        if (left > 0) {
            --left;
            ++kept[item.bytes];
            ++comparison.unchanged;
        } else {
            comparison.onlyEarlier << item;
        }
    }
    for (const PublishedItem &item : after.items) {
        int &matched = kept[item.bytes];
        if (matched > 0)
            --matched;
        else
            comparison.onlyNow << item;
    }
    // The same date on both sides: the item corrected, not one removed and another added.
    for (int i = 0; i < comparison.onlyEarlier.size();) {
        const PublishedItem &old = comparison.onlyEarlier.at(i);
        int match = 0;
        while (match < comparison.onlyNow.size()
               && (comparison.onlyNow.at(match).day != old.day || comparison.onlyNow.at(match).time != old.time))
            ++match;
        if (match == comparison.onlyNow.size()) {
            ++i;
            continue;
        }
        comparison.corrected.append({old, comparison.onlyNow.takeAt(match)});
        comparison.onlyEarlier.removeAt(i);
    }
    return comparison;
}

QStringList itemsGoneBy(const PageComparison &comparison)
{
    QStringList gone;
    for (const PublishedItem &item : comparison.onlyNow)
        gone << visibleItemText(item.text);
    for (const auto &pair : comparison.corrected)
        gone << visibleItemText(pair.second.text);
    return gone;
}

QString comparisonText(const PageComparison &comparison)
{
    QString text;
    listItems(text, tr("Вернутся (есть в этой версии, нет на сайте):"), comparison.onlyEarlier);
    listItems(text, tr("Пропадут (есть на сайте, нет в этой версии):"), comparison.onlyNow);
    if (!comparison.corrected.isEmpty()) {
        text += tr("Станут прежними (исправлены после этой версии):") + QLatin1Char('\n');
        for (const auto &pair : comparison.corrected) {
            text += QStringLiteral("  ") + shownDate(pair.second) + QStringLiteral(" — «")
                    + visibleItemText(pair.second.text) + QStringLiteral("» → «") + visibleItemText(pair.first.text)
                    + QStringLiteral("»\n");
        }
        text += QLatin1Char('\n');
    }
    if (text.isEmpty())
        text = tr("Эта версия совпадает со страницей на сайте.") + QLatin1Char('\n');
    return text + tr("%1 новостей без изменений.").arg(comparison.unchanged);
}
