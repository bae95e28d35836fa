// Measures the command line and the queue, in one run:
//   1. `newsadder send` with no display, from its start to the first byte on the wire (the connection
//      to the server), against the window's start-up to its shown main window (bench_startup);
//   2. the window's queue check with 1,000 queued items none of which is due, against listing the
//      queue folder once;
//   3. `newsadder send --due` with the same queue, against `newsadder --version`.
// Each figure line ends with its ratio.
#include "publish/itemqueue.h"
#include "ui/newsadder.h"
#include "workdir.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const int Runs = 21;
const int QueuedItems = 1000;

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    const int n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QProcessEnvironment noDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("NEWSADDER_PASSWORD"), QStringLiteral("secret"));
    return env;
}

// From the process's start until it exits, or until until() says so; it is then killed.
double processMs(const QString &program, const QStringList &args, const QString &folder,
                 const std::function<bool()> &until = {}, bool display = false)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment env = noDisplay();
    // The window's start-up on the offscreen platform, as bench_newsadder measures it.
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    double ms = -1;
    if (until) {
        while (!until() && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        ms = timer.nsecsElapsed() / 1e6;
        process.kill();
        process.waitForFinished(5000);
    } else {
        process.waitForFinished(30000);
        ms = timer.nsecsElapsed() / 1e6;
        if (process.exitCode() != 0)
            std::fprintf(stderr, "%s failed\n", qPrintable(program));
    }
    return ms;
}

QString binary()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../newsadder");
}

void benchFirstByte()
{
    // Anything listening will do: the first connection is the first byte the command puts on the wire.
    QTcpServer listener;
    listener.listen(QHostAddress::LocalHost);
    WorkDir site;
    QFile settings(site.filePath(QStringLiteral("settings.ini")));
    settings.open(QIODevice::WriteOnly);
    settings.write(QStringLiteral("remotepath=ftp://127.0.0.1:%1/news.html\nremoteFTPpath=ftp://127.0.0.1:%1/news.html\n")
                       .arg(listener.serverPort()).toUtf8());
    settings.close();
    QFile item(site.filePath(QStringLiteral("item.txt")));
    item.open(QIODevice::WriteOnly);
    item.write("Новость для замера\n");
    item.close();
    QVector<double> send, window;
    const QStringList args{QStringLiteral("send"), QStringLiteral("--login"), QStringLiteral("editor"),
                           QStringLiteral("item.txt")};
    const QString startup = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_startup");
    for (int run = 0; run <= Runs; ++run) {
        bool connected = false;
        const auto connection = QObject::connect(&listener, &QTcpServer::newConnection, [&] {
            connected = true;
            delete listener.nextPendingConnection();
        });
        const double ms = processMs(binary(), args, site.path(), [&connected] { return connected; });
        QObject::disconnect(connection);
        const double shown = processMs(startup, {}, site.path(), {}, true);
        // The first run of each brings the libraries into the page cache.
        if (run > 0) {
            send << ms;
            window << shown;
        }
    }
    const double s = median(send), w = median(window);
    std::printf("send with no display to its first byte on the wire: median %.1f ms, the window's start-up %.1f ms, "
                "ratio %.2f\n", s, w, s / w);
    std::fflush(stdout);
}

void benchQueueCheck()
{
    WorkDir site;
    ItemQueue queue(site.path());
    const QDateTime later = QDateTime::currentDateTime().addDays(1);
    for (int i = 0; i < QueuedItems; ++i) {
        QueuedItem item;
        item.date = item.time = later.addSecs(i * 60);
        item.text = QStringLiteral("Новость номер %1, поставленная в очередь").arg(i);
        queue.add(item, nullptr);
    }
    NewsAdder window(QStringLiteral("ftp://127.0.0.1:9/news.html"), QStringLiteral("ftp://127.0.0.1:9/news.html"),
                     QString(), 0);
    QVector<double> check, listing;
    for (int run = 0; run <= Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        window.checkQueue();
        const double c = timer.nsecsElapsed() / 1e6;
        timer.restart();
        const int count = QDir(queue.folder()).entryList(QDir::Files).size();
        const double l = timer.nsecsElapsed() / 1e6;
        if (run > 0 && count == QueuedItems) {
            check << c;
            listing << l;
        }
    }
    const double c = median(check), l = median(listing);
    std::printf("queue check of %d items, none due: median %.2f ms, listing the folder once %.2f ms, ratio %.2f\n",
                QueuedItems, c, l, c / l);
    QVector<double> due, version;
    for (int run = 0; run <= Runs; ++run) {
        const double d = processMs(binary(), {QStringLiteral("send"), QStringLiteral("--due"), QStringLiteral("--all-sites")},
                                   site.path());
        const double v = processMs(binary(), {QStringLiteral("--version")}, site.path());
        if (run > 0) {
            due << d;
            version << v;
        }
    }
    const double d = median(due), v = median(version);
    std::printf("send --due with %d items, none due: median %.1f ms, newsadder --version %.1f ms, ratio %.2f\n",
                QueuedItems, d, v, d / v);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    benchFirstByte();
    benchQueueCheck();
    return 0;
}
