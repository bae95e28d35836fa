#include "transfer/imagefetcher.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QThread>

#include <curl/curl.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

struct Download
{
    QByteArray body;
    const std::atomic<bool> *stopping;
};

// Why a download gave nothing, in the words the preview shows.
QString downloadProblem(CURLcode result, long status)
{
    switch (result) {
    case CURLE_HTTP_RETURNED_ERROR:
        return status == 404 || status == 410 ? tr("на сервере её нет (HTTP %1)").arg(status)
                                              : tr("сервер отказал (HTTP %1)").arg(status);
    case CURLE_FILESIZE_EXCEEDED:
    case CURLE_WRITE_ERROR:
        return tr("больше %1 МБ").arg(ImageFetcher::MaxBytes / (1024 * 1024));
    case CURLE_OPERATION_TIMEDOUT:
        return tr("сервер не отдал её за %1 с").arg(ImageFetcher::TimeLimitMsecs / 1000);
    case CURLE_COULDNT_RESOLVE_HOST:
        return tr("имя сервера неизвестно");
    case CURLE_COULDNT_CONNECT:
        return tr("сервер недоступен");
    case CURLE_PEER_FAILED_VERIFICATION:
        return tr("сертификат сервера не признан доверенным");
    default:
        return tr("загрузка не удалась (%1)").arg(QString::fromUtf8(curl_easy_strerror(result)));
    }
}

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

// The body at url, or empty with the reason in problem.
QByteArray download(const QByteArray &url, const QByteArray &caCertFile, const std::atomic<bool> &stopping,
                    QString &problem)
{
    CURL *curl = curl_easy_init();
    if (!curl) {
        problem = tr("загрузка не удалась");
        return QByteArray();
    }
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
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK) {
        problem = downloadProblem(result, status);
        return QByteArray();
    }
    return download.body;
}

QImage picture(QByteArray body, QString &problem)
{
    QBuffer buffer(&body);
    QImageReader reader(&buffer);
    // A few kilobytes of a compressed picture can claim gigabytes once unpacked.
    const QSize size = reader.size();
    if (!size.isValid()) {
        problem = tr("это не картинка");
        return QImage();
    }
    if (size.width() > ImageFetcher::MaxSide || size.height() > ImageFetcher::MaxSide) {
        problem = tr("больше %1 точек по стороне").arg(ImageFetcher::MaxSide);
        return QImage();
    }
    const QImage image = reader.read();
    if (image.isNull())
        problem = tr("картинка повреждена");
    return image;
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
    start(url, true);
}

void ImageFetcher::fetchPage(const QUrl &url)
{
    start(url, false);
}

void ImageFetcher::start(const QUrl &url, bool isPicture)
{
    const QByteArray address = url.toEncoded();
    const QByteArray caCertFile = m_caCertFile.toLocal8Bit();
    const std::shared_ptr<std::atomic<bool>> stopping = m_stopping;
    QThread *thread = QThread::create([this, url, address, caCertFile, stopping, isPicture] {
        QString problem;
        const QByteArray body = download(address, caCertFile, *stopping, problem);
        const QImage image = isPicture && problem.isEmpty() ? picture(body, problem) : QImage();
        // Posted to this object, so a fetcher deleted meanwhile never sees it.
        QMetaObject::invokeMethod(this, [this, url, body, image, problem, isPicture] {
            if (isPicture)
                emit fetched(url, image, problem);
            else
                emit pageFetched(url, body);
        }, Qt::QueuedConnection);
    });
    m_threads << thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        m_threads.removeOne(thread);
        thread->deleteLater();
    });
    thread->start();
}
