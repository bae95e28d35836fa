#ifndef PREVIEWWINDOW_H
#define PREVIEWWINDOW_H

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "page/itempreview.h"
#include "ui/localpicturecache.h"

#include <functional>

class ImageFetcher;
class QTextBrowser;

// A window of its own beside the editor, showing the item rendered as the news page will show it. It
// follows the item while shown; pictures come from the web, and from the editor's disk those the item names by file:// addresses.
class PreviewWindow : public QWidget
{
    Q_OBJECT

public:
    // How long after a change the view follows at the latest, however fast the typing.
    static const int RefreshDelayMsecs = 150;

    // item gives the item as a send would write it now.
    explicit PreviewWindow(std::function<QString()> item, QWidget *parent = nullptr);

    // The page's public address, which relative pictures and links are taken from.
    void setPageUrl(const QString &url);
    void setCaCertFile(const QString &file);

    // The item changed: shown within RefreshDelayMsecs.
    void itemChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    friend class PreviewView;
    void refresh();
    // Notes each picture's size and starts downloading those not asked for yet.
    void requestPictures();
    void pictureArrived(const QUrl &address, const QImage &image, const QString &problem);
    QVariant picture(const QString &name) const;
    // Why the picture cannot be shown; empty while it may still come.
    QString pictureProblem(const QString &name) const;
    // Hover texts as plain text, and a picture's problem on its frame.
    void setToolTips();
    void openLink(const QUrl &link);
    void readPageColours();
    void pageArrived(const QUrl &address, const QByteArray &page);

    std::function<QString()> m_item;
    QTextBrowser *m_view;
    ImageFetcher *m_fetcher;
    QTimer m_refreshTimer;
    QString m_pageUrl;
    QHash<QUrl, QImage> m_pictures;  // by address; a null one could not be had
    QHash<QUrl, QString> m_problems; // why, by address
    mutable LocalPictureCache m_localPictures;
    QSet<QUrl> m_requested;
    QHash<QString, QSize> m_sizes;   // each picture's width and height as the item gives them
    PageColours m_pageColours;
    QString m_pageSource;            // the working copy or backup the colours were read from
    QDateTime m_pageModified;        // and its time and size then
    qint64 m_pageSize = -1;
    QUrl m_requestedPage;            // the page at pageurl, asked for once
    QUrl m_downloadedPage;
    PageColours m_downloadedColours;
};

#endif // PREVIEWWINDOW_H
