#include "page/localpictures.h"

#include "page/markup.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

const char ShrinkAttribute[] = "data-shrink";

namespace {

const QRegularExpression::PatternOption Caseless = QRegularExpression::CaseInsensitiveOption;

// An attribute of a tag, its value quoted either way or bare; group 1 the whole attribute, 2 the value.
QRegularExpression attributePattern(const QString &name)
{
    return QRegularExpression(
        QStringLiteral(R"re(\s(%1\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>"']+))))re").arg(name), Caseless);
}

QString valueOf(const QRegularExpressionMatch &attribute)
{
    for (int group = 2; group <= 4; ++group) {
        if (attribute.capturedStart(group) >= 0)
            return attribute.captured(group);
    }
    return QString();
}

// An attribute's value as a browser reads it: the entities the editor's markup may hold decoded.
QString decoded(QString value)
{
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9a-f]+);"), Caseless);
    for (auto match = numeric.match(value); match.hasMatch(); match = numeric.match(value, match.capturedStart() + 1)) {
        const char32_t code = match.captured(2).toUInt(nullptr, match.captured(1).isEmpty() ? 10 : 16);
        value.replace(match.capturedStart(), match.capturedLength(), QString::fromUcs4(&code, 1));
    }
    return value.replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

const QRegularExpression &imageTag()
{
    static const QRegularExpression tag(QStringLiteral(R"(<img\b[^>]*>)"), Caseless);
    return tag;
}

// The local file a tag's src names, empty for any other; at gives where the src attribute stands in tag.
QString localFileOf(const QString &tag, QRegularExpressionMatch *at = nullptr)
{
    static const QRegularExpression src = attributePattern(QStringLiteral("src"));
    const QRegularExpressionMatch match = src.match(tag);
    const QString address = decoded(valueOf(match)).trimmed();
    if (!match.hasMatch() || !isLocalAddress(address))
        return QString();
    if (at)
        *at = match;
    return QUrl(address, QUrl::TolerantMode).toLocalFile();
}

} // namespace

bool isLocalAddress(const QString &address)
{
    return address.trimmed().startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
}

QList<LocalPicture> localPictures(const QString &item)
{
    static const QRegularExpression shrink = attributePattern(QLatin1String(ShrinkAttribute));
    QList<LocalPicture> pictures;
    for (auto tags = imageTag().globalMatch(item); tags.hasNext();) {
        const QString tag = tags.next().captured();
        const QString file = localFileOf(tag);
        const bool named = std::any_of(pictures.cbegin(), pictures.cend(),
                                       [&file](const LocalPicture &picture) { return picture.filePath == file; });
        if (file.isEmpty() || named)
            continue;
        pictures.append({file, qMax(0, valueOf(shrink.match(tag)).trimmed().toInt())});
    }
    return pictures;
}

QString withPictureAddresses(const QString &item, const QHash<QString, QString> &addresses)
{
    static const QRegularExpression shrink = attributePattern(QLatin1String(ShrinkAttribute));
    QString result;
    int from = 0;
    for (auto tags = imageTag().globalMatch(item); tags.hasNext();) {
        const QRegularExpressionMatch found = tags.next();
        QString tag = found.captured();
        QRegularExpressionMatch src;
        const QString file = localFileOf(tag, &src);
        if (file.isEmpty() || !addresses.contains(file))
            continue;
        tag.replace(src.capturedStart(1), src.capturedLength(1),
                    QStringLiteral("src=\"") + escapedAttribute(addresses.value(file)) + QLatin1Char('"'));
        tag.remove(shrink);
        result += item.mid(from, found.capturedStart() - from) + tag;
        from = found.capturedEnd();
    }
    return result + item.mid(from);
}

QString withoutNameNumbers(const QString &text, const QString &folder)
{
    const QRegularExpression numbered(QStringLiteral(R"re((\bsrc\s*=\s*["']?%1[a-z0-9._-]*?)(?:-\d+)+((?:\.[a-z0-9]+)?["'\s>]))re")
                                          .arg(QRegularExpression::escape(folder)),
                                      Caseless);
    return QString(text).replace(numbered, QStringLiteral("\\1\\2"));
}
