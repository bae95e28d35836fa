#include "page/itempreview.h"

#include "page/newsitem.h"

#include <QRegularExpression>
#include <QTextCodec>

const char DefaultPreviewBackground[] = "#202124";
const char NeutralPreviewLink[] = "#8ab4f8";

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

// The colour the last declaration of property gives among CSS declarations; invalid without one.
QColor declaredColour(const QString &declarations, const QString &property)
{
    const QRegularExpression declaration(QStringLiteral(R"((?:^|[;{\s])%1\s*:\s*([^;}]+))").arg(property), Caseless);
    static const QRegularExpression picture(QStringLiteral(R"(url\([^)]*\))"), Caseless);
    static const QRegularExpression token(QStringLiteral(R"(#[0-9a-f]+|rgba?\([^)]*\)|[a-z]+)"), Caseless);
    QColor found;
    for (auto match = declaration.globalMatch(declarations); match.hasNext();) {
        // A background's colour may stand anywhere among its picture, position and repetition.
        const QString value = match.next().captured(1).remove(picture);
        for (auto word = token.globalMatch(value); word.hasNext();) {
            const QColor colour = colourFrom(word.next().captured(0));
            if (colour.isValid())
                found = colour;
        }
    }
    return found;
}

// The colour property gets from the last rule for selector in the style sheets of head.
QColor ruledColour(const QString &head, const QString &selector, const QString &property)
{
    const QRegularExpression rule(QStringLiteral(R"((?:^|[\s},>])%1\s*(?:,[^{]*)?\{([^}]*)\})").arg(selector), Caseless);
    QColor found;
    for (auto match = rule.globalMatch(head); match.hasNext();) {
        const QColor colour = declaredColour(match.next().captured(1), property);
        if (colour.isValid())
            found = colour;
    }
    return found;
}

} // namespace

PageColours pageColours(const QByteArray &page)
{
    const PageCharset charset = pageCharset(page);
    const QString text = charset.codec ? charset.codec->toUnicode(page) : QString::fromLatin1(page);
    static const QRegularExpression bodyTag(QStringLiteral(R"(<body\b([^>]*)>)"), Caseless);
    const QRegularExpressionMatch body = bodyTag.match(text);
    const QString attributes = body.captured(1);
    const QString head = body.hasMatch() ? text.left(body.capturedStart()) : text;
    const QString background = QStringLiteral("background(?:-color)?");
    // Browsers rank the element's own style over the style sheet, and either over the old attributes.
    PageColours colours;
    colours.background = declaredColour(attributeValue(attributes, QStringLiteral("style")), background);
    if (!colours.background.isValid())
        colours.background = ruledColour(head, QStringLiteral("body"), background);
    if (!colours.background.isValid())
        colours.background = colourFrom(attributeValue(attributes, QStringLiteral("bgcolor")), true);
    colours.link = ruledColour(head, QStringLiteral("a(?::link)?"), QStringLiteral("color"));
    if (!colours.link.isValid())
        colours.link = colourFrom(attributeValue(attributes, QStringLiteral("link")), true);
    return colours;
}

PageColours neutralPageColours()
{
    return {QColor(QLatin1String(DefaultPreviewBackground)), QColor(QLatin1String(NeutralPreviewLink))};
}

QString previewHtml(const QString &item, const PageColours &colours)
{
    const QColor background = colours.background.isValid() ? colours.background
                                                           : QColor(QLatin1String(DefaultPreviewBackground));
    const QString linkStyle = colours.link.isValid()
        ? QLatin1String("<head><style>a { color: ") + colours.link.name() + QLatin1String(" }</style></head>")
        : QString();
    return QLatin1String("<html>") + linkStyle + QLatin1String("<body bgcolor=\"") + background.name()
           + QLatin1String("\">") + QLatin1String(NewsMarker) + item + QLatin1String("</font></body></html>");
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
