#include "itempreview.h"

#include "newsitem.h"

#include <QRegularExpression>
#include <QTextCodec>

const char DefaultPreviewBackground[] = "#000000";

namespace {

const QRegularExpression::PatternOption Caseless = QRegularExpression::CaseInsensitiveOption;

QString attributeValue(const QString &attributes, const QString &name)
{
    const QRegularExpression attribute(QStringLiteral(R"re((?:^|\s)%1\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re").arg(name),
                                       Caseless);
    const QRegularExpressionMatch match = attribute.match(attributes);
    for (int group = 1; group <= 3; ++group) {
        if (match.capturedStart(group) >= 0)
            return match.captured(group);
    }
    return QString();
}

// A colour as CSS or, with inAttribute, an HTML attribute writes it; transparent counts as none.
QColor colourFrom(QString text, bool inAttribute = false)
{
    static const QRegularExpression rgb(QStringLiteral(R"(^rgba?\(\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+))"), Caseless);
    const QRegularExpressionMatch numbers = rgb.match(text);
    if (numbers.hasMatch())
        return QColor(qMin(numbers.captured(1).toInt(), 255), qMin(numbers.captured(2).toInt(), 255),
                      qMin(numbers.captured(3).toInt(), 255));
    // Old pages write bgcolor="000033" without the hash, which browsers take all the same.
    static const QRegularExpression bareHex(QStringLiteral("^(?:[0-9a-f]{3}|[0-9a-f]{6})$"), Caseless);
    if (inAttribute && bareHex.match(text).hasMatch())
        text.prepend(QLatin1Char('#'));
    const QColor colour(text);
    return colour.alpha() == 0 ? QColor() : colour;
}

// The colour of the last background declaration among CSS declarations; invalid without one.
QColor cssBackground(const QString &declarations)
{
    static const QRegularExpression background(QStringLiteral(R"(background(?:-color)?\s*:\s*([^;}]+))"), Caseless);
    static const QRegularExpression picture(QStringLiteral(R"(url\([^)]*\))"), Caseless);
    static const QRegularExpression token(QStringLiteral(R"(#[0-9a-f]+|rgba?\([^)]*\)|[a-z]+)"), Caseless);
    QColor found;
    for (auto declaration = background.globalMatch(declarations); declaration.hasNext();) {
        // The colour may stand anywhere among the picture, its position and repetition.
        const QString value = declaration.next().captured(1).remove(picture);
        for (auto word = token.globalMatch(value); word.hasNext();) {
            const QColor colour = colourFrom(word.next().captured(0));
            if (colour.isValid())
                found = colour;
        }
    }
    return found;
}

} // namespace

QColor pageBackground(const QByteArray &page)
{
    const PageCharset charset = pageCharset(page);
    const QString text = charset.codec ? charset.codec->toUnicode(page) : QString::fromLatin1(page);
    static const QRegularExpression bodyTag(QStringLiteral(R"(<body\b([^>]*)>)"), Caseless);
    const QRegularExpressionMatch body = bodyTag.match(text);
    const QString attributes = body.captured(1);
    QColor colour = cssBackground(attributeValue(attributes, QStringLiteral("style")));
    if (colour.isValid())
        return colour;
    // Rules of the style sheet before the body; a later one wins.
    static const QRegularExpression bodyRule(QStringLiteral(R"((?:^|[\s},>])body\s*(?:,[^{]*)?\{([^}]*)\})"), Caseless);
    const QString head = body.hasMatch() ? text.left(body.capturedStart()) : text;
    for (auto rule = bodyRule.globalMatch(head); rule.hasNext();) {
        const QColor ruled = cssBackground(rule.next().captured(1));
        if (ruled.isValid())
            colour = ruled;
    }
    return colour.isValid() ? colour : colourFrom(attributeValue(attributes, QStringLiteral("bgcolor")), true);
}

QString previewHtml(const QString &item, const QColor &background)
{
    const QColor colour = background.isValid() ? background : QColor(QLatin1String(DefaultPreviewBackground));
    return QLatin1String("<html><body bgcolor=\"") + colour.name() + QLatin1String("\">")
           + QLatin1String(NewsMarker) + item + QLatin1String("</font></body></html>");
}

QUrl webAddress(const QString &reference, const QString &pageUrl)
{
    const auto onTheWeb = [](const QUrl &url) {
        return url.isValid() && !url.host().isEmpty()
               && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
    };
    QUrl address(reference.trimmed());
    if (address.isRelative()) {
        const QUrl page(pageUrl.trimmed());
        if (!onTheWeb(page))
            return QUrl();
        address = page.resolved(address);
    }
    address.setScheme(address.scheme().toLower());
    return onTheWeb(address) ? address : QUrl();
}
