// Measures what publishing costs against what the network allows, in one run:
//   1. the whole send command against one curl process doing the same three transfers over one
//      connection, with the logins and FTP commands each needs per send;
//   2. the insertion alone against reading and writing the file once;
//   3. start-up to the shown main window against a bare program showing the same compiled form;
//   4. the peak memory of publishing a 10 MB page above the bare program's peak;
//   5. listing a page of over 10,000 items, and correcting its 5,000th item against a send;
//   6. building the Atom feed of that page against listing its items, and the commands the feed
//      adds to a send.
// Each figure line ends with its ratio. Runs against a local pyftpdlib server on 127.0.0.1 that, as
// vsftpd does by default, makes new files readable by their owner only.
#include "ftpserver.h"
#include "page/atomfeed.h"
#include "modalanswerer.h"
#include "ui/newsadder.h"
#include "publish/publisher.h"
#include "peakmemory.h"
#include "ui/publisheddialog.h"
#include "scripteduser.h"
#include "workdir.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

const int Runs = 5;
const int StartupRuns = 21;

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    const int n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// A news page of about `size` bytes: the site's frame around years of items in the program's format.
QByteArray newsPage(int size)
{
    const QStringList texts{
        QStringLiteral("Открыт летний сезон! Тренировки проходят по <b>вторникам</b> и четвергам с 18:00."),
        QStringLiteral("Обновлено расписание соревнований. Подробности <a href=\"schedule.html\" target=\"_blank\">здесь</a>."),
        QStringLiteral("<font style=\"font-size:14pt\">Внимание!</font> Собрание членов клуба переносится на субботу."),
        QStringLiteral("Фотографии с турнира: <div align=\"center\"><img src=\"photo.jpg\" border=\"0\" alt=\"Турнир\" title=\"Турнир\"></div>"),
    };
    QTextCodec *codec = QTextCodec::codecForName("windows-1251");
    QByteArray page = codec->fromUnicode(QStringLiteral(
        "<html>\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
        "<title>Новости</title></head>\n<body>\n<h2>Новости клуба</h2>\n<font color=yellow>"));
    const QByteArray tail = "\n</font>\n</body>\n</html>\n";
    QDateTime date(QDate(2026, 12, 1), QTime(12, 0));
    for (int i = 0; page.size() + tail.size() < size; ++i) {
        date = date.addSecs(-86400 - 37 * 60);
        const QString item = QStringLiteral("\n \n%1 (%2)<br>\n \n<br>%3<br><br>")
                                 .arg(texts[i % texts.size()]).arg(i)
                                 .arg(date.toString(QStringLiteral("dd/MM/yyyy hh:mm")));
        page += codec->fromUnicode(item);
    }
    page.truncate(size - tail.size());
    return page + tail;
}

struct Session
{
    FtpServer &server;
    QByteArray page;
};

// One send through the window, as the editor does it; the success message is answered at once.
double publishOnce(Session &session, NewsAdder &window, ModalAnswerer &answerer)
{
    session.server.putFile(QStringLiteral("news.html"), session.page);
    answerer.clickButton(QMessageBox::Ok);
    return timeMs([&] { window.findChild<QPushButton *>("sendButton")->click(); });
}

bool runCurl(const QStringList &args)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), QStringList{"-s", "-S"} + args);
    return curl.waitForFinished(120000) && curl.exitCode() == 0;
}

// The same transfers in one process: several addresses in one call share the connection and login.
double curlOnce(Session &session, const QString &dir, const QString &upload)
{
    session.server.putFile(QStringLiteral("news.html"), session.page);
    const QString url = session.server.url(QStringLiteral("news.html"));
    const QString login = session.server.user() + QLatin1Char(':') + session.server.password();
    return timeMs([&] {
        // (--next keeps the connection; without it the -T would go with the first address.)
        if (!runCurl({"--user", login, url, "-o", dir + QStringLiteral("/backup.bak"), url, "-o",
                      dir + QStringLiteral("/news.html"), "--next", "--user", login, "-T", upload, url}))
            std::fprintf(stderr, "curl failed\n");
    });
}

QString sizeName(int size)
{
    return size >= 1000000 ? QStringLiteral("%1 MB").arg(size / 1000000) : QStringLiteral("%1 KB").arg(size / 1000);
}

int dataConnections(const QStringList &commands)
{
    return commands.count(QStringLiteral("EPSV")) + commands.count(QStringLiteral("PASV"));
}

// The send against one curl process doing the same three transfers on the same server. The ratio is
// to curl's fastest run: libcurl 7.88's own wait between EPSV and STOR stalls some of curl's runs by
// a second, which its median may catch.
void benchPublish(FtpServer &server, const QList<int> &sizes, const char *label)
{
    for (int size : sizes) {
        Session session{server, newsPage(size)};
        WorkDir workDir;
        NewsAdder window(server.url(QStringLiteral("news.html")), server.url(QStringLiteral("news.html")),
                         QStringLiteral("127.0.0.1"), server.port());
        window.findChild<QLineEdit *>("loginEdit")->setText(server.user());
        window.findChild<QLineEdit *>("passEdit")->setText(server.password());
        window.findChild<QPlainTextEdit *>("textEdit")->setPlainText(QStringLiteral("Новость для замера"));
        ModalAnswerer answerer;
        answerer.setPollInterval(1);

        QByteArray changed = session.page;
        changed.insert(changed.indexOf("<font color=yellow>") + 19, "\n \nНовость для замера<br>");
        const QString upload = workDir.path() + QStringLiteral("/changed.html");
        QFile changedFile(upload);
        if (!changedFile.open(QIODevice::WriteOnly) || changedFile.write(changed) != changed.size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(upload));
        changedFile.close();

        QVector<double> publish, baseline;
        QStringList sendCommands, curlCommands;
        int modeAfterSend = 0;
        for (int run = 0; run < Runs; ++run) {
            const int before = server.commands().size();
            server.setFileMode(QStringLiteral("news.html"), 0644);
            publish << publishOnce(session, window, answerer);
            modeAfterSend = server.fileMode(QStringLiteral("news.html"));
            const int between = server.commands().size();
            baseline << curlOnce(session, workDir.path(), upload);
            const QStringList all = server.commands();
            sendCommands = all.mid(before, between - before);
            curlCommands = all.mid(between);
        }
        if (answerer.texts().count(QStringLiteral("Файл успешно передан на сервер.")) != Runs)
            std::fprintf(stderr, "publish did not succeed every time: %s\n",
                         qPrintable(answerer.texts().join(QStringLiteral(" | "))));
        const double p = median(publish), b = median(baseline);
        const double fastest = *std::min_element(baseline.cbegin(), baseline.cend());
        std::printf("publish %s page%s: median %.1f ms, one curl process, same transfers: median %.1f ms, "
                    "fastest %.1f ms, ratio to the median %.2f, to the fastest %.2f\n",
                    qPrintable(sizeName(size)), label, p, b, fastest, p / b, p / fastest);
        std::printf("  logins per send %d, curl %d; FTP commands per send %d, curl %d; data connections per send "
                    "%d, curl %d; page mode 0%o after the send\n",
                    int(sendCommands.count(QStringLiteral("USER"))), int(curlCommands.count(QStringLiteral("USER"))),
                    int(sendCommands.size()), int(curlCommands.size()), dataConnections(sendCommands),
                    dataConnections(curlCommands), modeAfterSend);
        if (size == sizes.first()) {
            std::printf("  send: %s\n", qPrintable(sendCommands.join(QLatin1Char(' '))));
            std::printf("  curl: %s\n", qPrintable(curlCommands.join(QLatin1Char(' '))));
        }
        std::fflush(stdout);
    }
}

// One send with a picture from the disk into a folder it makes, on a server that makes folders for
// their owner alone: its commands, and the folder's mode after it (the web server must enter it).
void benchPictureSend(FtpServer &server, const char *label)
{
    WorkDir workDir;
    server.putFile(QStringLiteral("news.html"), newsPage(100 * 1000));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString file = workDir.path() + QStringLiteral("/photo.png");
    if (!picture.save(file))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    ScriptedPublisher desk(server);
    const int before = server.commands().size();
    desk.publisher.send(QStringLiteral("<img src=\"%1\">").arg(QUrl::fromLocalFile(file).toString()),
                        QDateTime::currentDateTime());
    if (desk.user.seen != QStringList{QStringLiteral("Файл успешно передан на сервер.")})
        std::fprintf(stderr, "the send with a picture failed: %s\n", qPrintable(desk.user.seen.join(QStringLiteral(" | "))));
    const QStringList sent = server.commands().mid(before);
    std::printf("send with a picture, its folder made%s: FTP commands %d, data connections %d; folder mode 0%o after "
                "the send\n  send: %s\n",
                label, int(sent.size()), dataConnections(sent), server.fileMode(QStringLiteral("images")),
                qPrintable(sent.join(QLatin1Char(' '))));
    std::fflush(stdout);
}

void benchInsertion(const QList<int> &sizes)
{
    for (int size : sizes) {
        const QByteArray page = newsPage(size);
        WorkDir workDir;
        NewsAdder window(QString(), QString(), QString(), 0);
        const QString item = QStringLiteral("\n \nНовость для замера<br>\n \n<br>07/12/2026 09:30<br><br>");
        auto resetCopy = [&] {
            QFile file(QStringLiteral("news.html"));
            file.open(QIODevice::WriteOnly);
            file.write(page);
        };
        const auto readAndWrite = [](QFileDevice &&out) {
            QFile in(QStringLiteral("news.html"));
            in.open(QIODevice::ReadOnly);
            const QByteArray bytes = in.readAll();
            in.close();
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
            if (auto saveFile = dynamic_cast<QSaveFile *>(&out))
                saveFile->commit();
        };
        QVector<double> insertion, plain, durable;
        for (int run = 0; run < Runs; ++run) {
            resetCopy();
            insertion << timeMs([&] { window.publisher().insertItem(item); });
            resetCopy();
            plain << timeMs([&] { readAndWrite(QFile(QStringLiteral("news.html"))); });
            resetCopy();
            durable << timeMs([&] { readAndWrite(QSaveFile(QStringLiteral("news.html"))); });
        }
        const double i = median(insertion), b = median(plain), d = median(durable);
        std::printf("insertion %s page: median %.2f ms, plain read and write %.2f ms, ratio %.2f\n",
                    qPrintable(sizeName(size)), i, b, i / b);
        // The insertion replaces the copy through QSaveFile, whose commit() waits for the disk
        // (fdatasync) so that a crash never leaves half a page: the same read and write done so.
        std::printf("insertion %s page: median %.2f ms, read and QSaveFile write %.2f ms, ratio %.2f\n",
                    qPrintable(sizeName(size)), i, d, i / d);
        std::fflush(stdout);
    }
}

double processMs(const QString &program, const QStringList &args, QByteArray *output = nullptr)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
    const double ms = timer.nsecsElapsed() / 1e6;
    if (output)
        *output = process.readAllStandardOutput();
    return ms;
}

QString barePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/bench_bare_window");
}

void benchStartup()
{
    QVector<double> app, bare;
    const QString bareFormPath = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_bare_form");
    // A first run of each brings the libraries and fonts into the page cache.
    processMs(QCoreApplication::applicationDirPath() + QStringLiteral("/bench_startup"), {});
    processMs(bareFormPath, {});
    for (int run = 0; run < StartupRuns; ++run) {
        app << processMs(QCoreApplication::applicationDirPath() + QStringLiteral("/bench_startup"), {});
        bare << processMs(bareFormPath, {});
    }
    const double a = median(app), b = median(bare);
    std::printf("start-up to the shown main window: median %.1f ms, the bare form %.1f ms, ratio %.2f\n",
                a, b, a / b);
    std::fflush(stdout);
}

void benchPeakMemory(FtpServer &server, int size)
{
    server.putFile(QStringLiteral("news.html"), newsPage(size));
    QTemporaryDir dir;
    QProcess child;
    child.setWorkingDirectory(dir.path());
    child.start(QCoreApplication::applicationFilePath(),
                {"--publish-once", server.url(QStringLiteral("news.html")), server.user(), server.password()});
    child.waitForFinished(300000);
    const long long publishPeak = child.readAllStandardOutput().trimmed().toLongLong();
    QByteArray bareOutput;
    processMs(barePath(), {"--peak-memory"}, &bareOutput);
    const long long barePeak = bareOutput.trimmed().toLongLong();
    std::printf("peak memory publishing a %s page: %.1f MB, bare QMainWindow %.1f MB, "
                "above bare as a multiple of the page size %.2f\n",
                qPrintable(sizeName(size)), publishPeak / 1e6, barePeak / 1e6,
                double(publishPeak - barePeak) / size);
    std::fflush(stdout);
}

// Child mode, run as a process of its own so that its peak memory is the publish's alone.
int publishOnceMode(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString url = QString::fromLocal8Bit(argv[2]);
    NewsAdder window(url, url, QStringLiteral("127.0.0.1"), 0);
    window.findChild<QLineEdit *>("loginEdit")->setText(QString::fromLocal8Bit(argv[3]));
    window.findChild<QLineEdit *>("passEdit")->setText(QString::fromLocal8Bit(argv[4]));
    window.findChild<QPlainTextEdit *>("textEdit")->setPlainText(QStringLiteral("Новость для замера"));
    window.show();
    ModalAnswerer answerer;
    answerer.setPollInterval(1);
    answerer.clickButton(QMessageBox::Ok);
    window.findChild<QPushButton *>("sendButton")->click();
    if (answerer.texts() != QStringList{QStringLiteral("Файл успешно передан на сервер.")})
        std::fprintf(stderr, "publish failed: %s\n", qPrintable(answerer.texts().join(QStringLiteral(" | "))));
    std::printf("%lld\n", peakResidentBytes());
    return 0;
}

} // namespace

void benchCorrection(FtpServer &server, int size)
{
    WorkDir workDir;
    const QByteArray page = newsPage(size);
    QVector<PublishedItem> items;
    const double listed = timeMs([&] {
        items = publishedItems(page).items;
        PublishedDialog dialog(items);
    });
    server.putFile(QStringLiteral("news.html"), page);
    ScriptedPublisher desk(server);
    QVector<PublishedItem> fetched;
    const double fetchedAndListed = timeMs([&] { desk.publisher.listPublished(fetched); });
    std::printf("list %s page of %d items: %.1f ms after the download, %.1f ms with it\n", qPrintable(sizeName(size)),
                int(items.size()), listed, fetchedAndListed);
    QVector<double> corrections, sends;
    const QString text = QStringLiteral("Новость для замера");
    for (int run = 0; run < Runs; ++run) {
        // In turn first, so that neither always finds the server's cache warmer.
        for (int command = 0; command < 2; ++command) {
            server.putFile(QStringLiteral("news.html"), page);
            if ((run + command) % 2)
                sends << timeMs([&] { desk.publisher.send(text, items.value(0).date()); });
            else
                corrections << timeMs([&] { desk.publisher.correct(items.value(items.size() / 2), text, items.value(0).date()); });
        }
    }
    if (desk.user.seen.count(QStringLiteral("Новость исправлена на сервере.")) != Runs)
        std::fprintf(stderr, "a correction did not succeed: %s\n", qPrintable(desk.user.seen.join(QStringLiteral(" | "))));
    const double c = median(corrections), s = median(sends);
    std::printf("  correcting item %d: median %.1f ms, a send %.1f ms, ratio %.2f\n", int(items.size() / 2 + 1), c, s,
                c / s);
    std::fflush(stdout);
}

void benchFeed(FtpServer &server, int size)
{
    WorkDir workDir;
    const QByteArray page = newsPage(size);
    FeedSettings settings;
    settings.pageUrl = QStringLiteral("https://www.example.org/news.html");
    settings.feedName = QStringLiteral("news.atom");
    settings.now = QDateTime::currentDateTime();
    settings.old = readOldFeed(atomFeed(page, settings), settings.pageUrl).entries;
    QVector<double> built, listed;
    int items = 0;
    for (int run = 0; run < Runs; ++run) {
        built << timeMs([&] { atomFeed(page, settings); });
        listed << timeMs([&] { items = publishedItems(page).items.size(); });
    }
    const double f = median(built), l = median(listed);
    std::printf("feed of a %s page of %d items, newest %d: median %.1f ms, listing its items %.1f ms, ratio %.2f\n",
                qPrintable(sizeName(size)), items, settings.itemCount, f, l, f / l);

    // A send with the feed there already, against one without a feed.
    ServerAccess access = accessTo(server);
    ScriptedPublisher plain(access);
    access.pageUrl = settings.pageUrl;
    access.feedName = settings.feedName;
    ScriptedPublisher withFeed(access);
    server.putFile(QStringLiteral("news.html"), newsPage(100 * 1000));
    withFeed.publisher.send(QStringLiteral("first"), UsualDate);
    const int start = server.commands().size();
    plain.publisher.send(QStringLiteral("second"), UsualDate);
    const int between = server.commands().size();
    withFeed.publisher.send(QStringLiteral("third"), UsualDate);
    const QStringList all = server.commands();
    const QStringList without = all.mid(start, between - start), with = all.mid(between);
    // The feed's commands come between the page's and the lock's removal at the end.
    int common = 0;
    while (common < without.size() && with.value(common) == without.at(common))
        ++common;
    if (withFeed.user.seen.count(QStringLiteral("Файл успешно передан на сервер.")) != 2)
        std::fprintf(stderr, "a send with the feed failed: %s\n", qPrintable(withFeed.user.seen.join(QStringLiteral(" | "))));
    std::printf("  a send with the feed: FTP commands %d, without %d; data connections %d, without %d; logins %d, "
                "without %d\n  the feed's: %s\n",
                int(with.size()), int(without.size()), dataConnections(with), dataConnections(without),
                int(with.count(QStringLiteral("USER"))), int(without.count(QStringLiteral("USER"))),
                qPrintable(with.mid(common, with.size() - without.size()).join(QLatin1Char(' '))));
    std::fflush(stdout);
}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    // The figures alone: the toolkit's chatter about the offscreen platform would bury them.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    if (argc > 4 && std::strcmp(argv[1], "--publish-once") == 0)
        return publishOnceMode(argc, argv);

    QApplication app(argc, argv);
    const QStringList strict{QStringLiteral("--umask"), QStringLiteral("077")};
    FtpServer server(strict);
    // As vsftpd, which has no MLST and takes ls options in LIST.
    FtpServer withoutMlst(strict + QStringList{QStringLiteral("--no-mlst"), QStringLiteral("--ls-options")});
    // A 50 ms round trip, as from an editor's home line to a hosting company.
    FtpServer distant(strict + QStringList{QStringLiteral("--reply-delay"), QStringLiteral("0.05")});
    if (!server.start() || !withoutMlst.start() || !distant.start()) {
        std::fprintf(stderr, "the FTP server did not start\n");
        return 1;
    }
    const QList<int> sizes{100 * 1000, 1000 * 1000, 10 * 1000 * 1000};
    std::printf("NewsAdder benchmark: medians of %d runs; pyftpdlib on 127.0.0.1, new files made 0600, the page 0644\n", Runs);
    benchPublish(server, sizes, "");
    benchPublish(withoutMlst, {100 * 1000}, ", a server without MLST");
    benchPublish(distant, {100 * 1000, 1000 * 1000}, ", every reply 50 ms late");
    benchPictureSend(server, "");
    benchPictureSend(withoutMlst, ", a server without MLST");
    benchInsertion(sizes);
    benchStartup();
    benchPeakMemory(server, 10 * 1000 * 1000);
    benchCorrection(server, 3 * 1000 * 1000);
    benchFeed(server, 3 * 1000 * 1000);
    return 0;
}
