#include "ui/previewwindow.h"

#include "transfer/imagefetcher.h"

#include <QDesktopServices>
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

void PreviewWindow::pictureArrived(const QUrl &address, const QImage &image)
{
    m_pictures.insert(address, image);
    if (!image.isNull())
        itemChanged();
}

QVariant PreviewWindow::picture(const QString &name) const
{
    const QImage image = m_pictures.value(webAddress(name, m_pageUrl));
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
    const QFileInfo page(QStringLiteral("news.html"));
    if (page.lastModified() == m_pageModified && page.size() == m_pageSize)
        return;
    m_pageModified = page.lastModified();
    m_pageSize = page.size();
    QFile file(page.filePath());
    // Without a working copy, or an unreadable one, the page's colours are not known: the defaults.
    m_pageColours = file.open(QIODevice::ReadOnly) ? pageColours(file.read(PageHeadBytes)) : PageColours();
}
