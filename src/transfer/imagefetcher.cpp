#include "transfer/imagefetcher.h"

#include <QBuffer>
#include <QImageReader>
#include <QThread>

#include <curl/curl.h>

namespace {

struct Download
{
    QByteArray body;
    const std::atomic<bool> *stopping;
};

size_t keep(char *data, size_t size, size_t count, void *target)
{
    auto download = static_cast<Download *>(target);
    // A server that does not say the length beforehand is cut off here.
    if (download->body.size() + qint64(size * count) > ImageFetcher::MaxBytes)
        return 0;
    download->body.append(data, int(size * count));
    return size * count;
}

int goOn(void *target, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Download *>(target)->stopping->load() ? 1 : 0;
}

QImage download(const QByteArray &url, const QByteArray &caCertFile, const std::atomic<bool> &stopping)
{
    CURL *curl = curl_easy_init();
    if (!curl)
        return QImage();
    Download download{QByteArray(), &stopping};
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // Browsers follow a picture's redirects, but only to the web.
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(ImageFetcher::TimeLimitMsecs));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(ImageFetcher::MaxBytes));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caCertFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caCertFile.constData());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keep);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, goOn);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &download);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK)
        return QImage();
    QBuffer buffer(&download.body);
    QImageReader reader(&buffer);
    // A few kilobytes of a compressed picture can claim gigabytes once unpacked.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > ImageFetcher::MaxSide || size.height() > ImageFetcher::MaxSide)
        return QImage();
    return reader.read();
}

} // namespace

ImageFetcher::ImageFetcher(QObject *parent)
    : QObject(parent)
    , m_stopping(std::make_shared<std::atomic<bool>>(false))
{
    // Once, from the GUI thread: curl's global set-up is not thread-safe.
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised)
}

ImageFetcher::~ImageFetcher()
{
    m_stopping->store(true);
    // The progress callback ends each download within moments; the time limit bounds the rest.
    for (QThread *thread : qAsConst(m_threads)) {
        thread->wait();
        delete thread;
    }
}

void ImageFetcher::fetch(const QUrl &url)
{
    const QByteArray address = url.toEncoded();
    const QByteArray caCertFile = m_caCertFile.toLocal8Bit();
    const std::shared_ptr<std::atomic<bool>> stopping = m_stopping;
    QThread *thread = QThread::create([this, url, address, caCertFile, stopping] {
        const QImage image = download(address, caCertFile, *stopping);
        // Posted to this object, so a fetcher deleted meanwhile never sees it.
        QMetaObject::invokeMethod(this, [this, url, image] { emit fetched(url, image); }, Qt::QueuedConnection);
    });
    m_threads << thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        m_threads.removeOne(thread);
        thread->deleteLater();
    });
    thread->start();
}
