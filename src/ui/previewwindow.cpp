#include "ui/previewwindow.h"

#include "publish/backupname.h"
#include "transfer/imagefetcher.h"
#include "page/localpictures.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// Enough of the working copy to hold its head and body tag.
const qint64 PageHeadBytes = 256 * 1024;
// A picture without a size of its own, as long as it has none.
const int UnknownSide = 32;

QImage emptyFrame(QSize size)
{
    if (size.width() <= 0)
        size.setWidth(UnknownSide);
    if (size.height() <= 0)
        size.setHeight(UnknownSide);
    QImage frame(size, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(frame.rect().adjusted(0, 0, -1, -1));
    return frame;
}

} // namespace

// The rich-text view, asking the window for pictures instead of reading files.
class PreviewView : public QTextBrowser
{
public:
    explicit PreviewView(PreviewWindow *window) : QTextBrowser(window), m_window(window) {}

    QVariant loadResource(int type, const QUrl &name) override
    {
        return type == QTextDocument::ImageResource ? m_window->picture(name.toString()) : QVariant();
    }

private:
    PreviewWindow *m_window;
};

PreviewWindow::PreviewWindow(std::function<QString()> item, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_item(std::move(item))
    , m_view(new PreviewView(this))
    , m_fetcher(new ImageFetcher(this))
{
    setObjectName(QStringLiteral("previewWindow"));
    setWindowTitle(tr("Просмотр новости"));
    m_view->setObjectName(QStringLiteral("previewView"));
    // A link opens in the web browser, as on the page; the view itself never leaves the item.
    m_view->setOpenLinks(false);
    connect(m_view, &QTextBrowser::anchorClicked, this, &PreviewWindow::openLink);
    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    resize(560, 360);

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(RefreshDelayMsecs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &PreviewWindow::refresh);
    connect(m_fetcher, &ImageFetcher::fetched, this, &PreviewWindow::pictureArrived);
    connect(m_fetcher, &ImageFetcher::pageFetched, this, &PreviewWindow::pageArrived);
}

void PreviewWindow::setPageUrl(const QString &url)
{
    m_pageUrl = url;
    itemChanged();
}

void PreviewWindow::setCaCertFile(const QString &file)
{
    m_fetcher->setCaCertFile(file);
}

void PreviewWindow::itemChanged()
{
    // Not restarted by each key, so that steady typing still shows within the delay.
    if (isVisible() && !m_refreshTimer.isActive())
        m_refreshTimer.start();
}

void PreviewWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void PreviewWindow::refresh()
{
    m_refreshTimer.stop();
    readPageColours();
    QPalette palette = m_view->palette();
    palette.setColor(QPalette::Base, m_pageColours.background.isValid() ? m_pageColours.background
                                                                        : QColor(DefaultPreviewBackground));
    m_view->setPalette(palette);
    const int scrolled = m_view->verticalScrollBar()->value();
    m_view->setHtml(previewHtml(m_item(), m_pageColours));
    m_view->verticalScrollBar()->setValue(scrolled);
    requestPictures();
    setToolTips();
}

void PreviewWindow::setToolTips()
{
    struct Tip
    {
        int start, end;
        QString text;
    };
    QVector<Tip> tips;
    for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            QStringList lines;
            if (!format.toolTip().isEmpty())
                lines << format.toolTip();
            const QString problem = format.isImageFormat() ? pictureProblem(format.toImageFormat().name()) : QString();
            if (!problem.isEmpty())
                lines << tr("Картинка не получена: %1.").arg(problem);
            if (!lines.isEmpty())
                tips.append({fragment.position(), fragment.position() + fragment.length(), lines.join(QLatin1Char('\n'))});
        }
    }
    // The view would take a hover text holding '<' for markup.
    for (const Tip &tip : qAsConst(tips)) {
        QTextCursor cursor(m_view->document());
        cursor.setPosition(tip.start);
        cursor.setPosition(tip.end, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setToolTip(Qt::convertFromPlainText(tip.text, Qt::WhiteSpaceNormal));
        cursor.mergeCharFormat(format);
    }
}

void PreviewWindow::requestPictures()
{
    m_sizes.clear();
    for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QTextImageFormat image = format.toImageFormat();
            m_sizes.insert(image.name(), QSize(qRound(image.width()), qRound(image.height())));
            const QUrl address = webAddress(image.name(), m_pageUrl);
            if (address.isValid() && !m_requested.contains(address)) {
                m_requested.insert(address);
                m_fetcher->fetch(address);
            }
        }
    }
}

void PreviewWindow::pictureArrived(const QUrl &address, const QImage &image, const QString &problem)
{
    m_pictures.insert(address, image);
    m_problems.insert(address, problem);
    // A picture that cannot be had changes its frame's tooltip.
    itemChanged();
}

QString PreviewWindow::pictureProblem(const QString &name) const
{
    if (isLocalAddress(name)) {
        return m_localPictures.picture(name, m_item()).isNull()
            ? tr("файл с диска не читается как картинка JPEG, PNG, GIF или WebP до 50 МБ")
            : QString();
    }
    const QUrl address = webAddress(name, m_pageUrl);
    if (address.isValid())
        return m_problems.value(address);
    if (QUrl(name.trimmed()).isRelative())
        return tr("адрес относительный, а адреса страницы (pageurl в settings.ini) нет");
    return tr("просмотр берёт картинки только с веб-адресов (http, https)");
}

QVariant PreviewWindow::picture(const QString &name) const
{
    const QImage image = isLocalAddress(name) ? m_localPictures.picture(name, m_item())
                                              : m_pictures.value(webAddress(name, m_pageUrl));
    return image.isNull() ? emptyFrame(m_sizes.value(name)) : image;
}

void PreviewWindow::openLink(const QUrl &link)
{
    const QUrl address = webAddress(link.toString(), m_pageUrl);
    if (address.isValid())
        QDesktopServices::openUrl(address);
}

void PreviewWindow::readPageColours()
{
    // The working copy, else the page as the newest automatic backup kept it.
    QString source = QStringLiteral("news.html");
    if (!QFileInfo::exists(source))
        source = newestAutomaticBackup(QDir::current());
    if (!source.isEmpty()) {
        const QFileInfo page(source);
        if (source == m_pageSource && page.lastModified() == m_pageModified && page.size() == m_pageSize)
            return;
        m_pageSource = source;
        m_pageModified = page.lastModified();
        m_pageSize = page.size();
        QFile file(source);
        // An unreadable copy leaves the page's colours unknown: the defaults.
        m_pageColours = file.open(QIODevice::ReadOnly) ? pageColours(file.read(PageHeadBytes)) : PageColours();
        return;
    }
    m_pageSource.clear();
    // Else the page itself from the web, once; meanwhile, and without it, a neutral page.
    const QUrl address = webAddress(m_pageUrl, QString());
    if (address.isValid() && address == m_downloadedPage) {
        m_pageColours = m_downloadedColours;
        return;
    }
    if (address.isValid() && address != m_requestedPage) {
        m_requestedPage = address;
        m_fetcher->fetchPage(address);
    }
    m_pageColours = neutralPageColours();
}

void PreviewWindow::pageArrived(const QUrl &address, const QByteArray &page)
{
    if (page.isEmpty())
        return;
    m_downloadedPage = address;
    m_downloadedColours = pageColours(page.left(PageHeadBytes));
    itemChanged();
}
