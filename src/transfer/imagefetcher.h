#ifndef IMAGEFETCHER_H
#define IMAGEFETCHER_H

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>

class QThread;

// Downloads pictures from http(s) addresses on threads of their own, each bounded in size and time,
// and hands them back in the fetcher's own thread. Deleting the fetcher stops the downloads under
// way and waits for their threads, so nothing arrives after it is gone.
class ImageFetcher : public QObject
{
    Q_OBJECT

public:
    // A larger answer, a larger picture or a longer download counts as a picture that cannot be had.
    static const qint64 MaxBytes = 8 * 1024 * 1024;
    static const int MaxSide = 8192;
    static const int TimeLimitMsecs = 15000;

    explicit ImageFetcher(QObject *parent = nullptr);
    ~ImageFetcher() override;

    // A PEM file of certificates to trust instead of the system's; empty for the system's.
    void setCaCertFile(const QString &file) { m_caCertFile = file; }

    // Starts downloading url; fetched() follows once, whatever the outcome.
    void fetch(const QUrl &url);
    // The same for a web page, within the same bounds; pageFetched() follows once.
    void fetchPage(const QUrl &url);

signals:
    // image is null when the address gave no picture within the bounds, and problem says why.
    void fetched(const QUrl &url, const QImage &image, const QString &problem);
    // page is empty when the address gave nothing.
    void pageFetched(const QUrl &url, const QByteArray &page);

private:
    void start(const QUrl &url, bool isPicture);

    QString m_caCertFile;
    std::shared_ptr<std::atomic<bool>> m_stopping;
    QList<QThread *> m_threads;
};

#endif // IMAGEFETCHER_H
