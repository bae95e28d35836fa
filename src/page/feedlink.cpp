#include "page/feedlink.h"

#include <QRegularExpression>

namespace {

QString attribute(const QString &tag, const QString &name)
{
    const QRegularExpression pattern(QStringLiteral("\\s%1\\s*=\\s*(\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
                                     QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(tag);
    if (!match.hasMatch())
        return QString();
    for (int group = 2; group <= 4; ++group) {
        if (match.capturedStart(group) >= 0)
            return match.captured(group);
    }
    return QString();
}

} // namespace

bool pageLinksFeed(const QString &pageText, const QString &feed)
{
    static const QRegularExpression links(QStringLiteral("<link\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    const QString name = feed.trimmed();
    for (auto it = links.globalMatch(pageText); it.hasNext();) {
        const QString tag = it.next().captured();
        const QString href = attribute(tag, QStringLiteral("href"));
        if (attribute(tag, QStringLiteral("rel")).compare(QLatin1String("alternate"), Qt::CaseInsensitive) == 0
            && attribute(tag, QStringLiteral("type")).compare(QLatin1String("application/atom+xml"), Qt::CaseInsensitive) == 0
            && (href == name || href.endsWith(QLatin1Char('/') + name)))
            return true;
    }
    return false;
}
