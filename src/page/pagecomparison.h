#ifndef PAGECOMPARISON_H
#define PAGECOMPARISON_H

#include <QByteArray>
#include <QPair>
#include <QVector>

#include "page/publisheditems.h"

// How an earlier version of the page differs from the page now, item by item.
struct PageComparison
{
    PageEdit::Outcome outcome = PageEdit::Edited;  // Edited when both pages could be read
    QVector<PublishedItem> onlyEarlier;  // the earlier version has them, the page now does not
    QVector<PublishedItem> onlyNow;      // the page now has them, the earlier version does not
    // An item of the same date on both with other text: (earlier, now).
    QVector<QPair<PublishedItem, PublishedItem>> corrected;
    int unchanged = 0;
};

// The items of earlier against those of now, newest first on each side. An item counts as unchanged
// as often as both pages hold its bytes; of the rest, one of each side with the same date is a correction.
PageComparison comparePages(const QByteArray &earlier, const QByteArray &now);

// The items of now that a return to earlier takes away or changes back, as their visible texts.
QStringList itemsGoneBy(const PageComparison &comparison);

// The comparison for the user: the items that would come back, go and change back, each with its date
// and visible text, and how many stay as they are.
QString comparisonText(const PageComparison &comparison);

#endif // PAGECOMPARISON_H
