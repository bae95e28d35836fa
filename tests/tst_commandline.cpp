// newsadder with a command word, as a terminal, a script or a timer runs it: no window, no display.
#include "cli/commandline.h"
#include "queueditem.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "newspages.h"
#include "scripteduser.h"
#include "sftpserver.h"
#include "terminalrun.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

// The parsed words, those that differ from a bare command, in one line.
QString described(const CommandLine &line)
{
    if (!line.problem.isEmpty())
        return QStringLiteral("usage");
    QStringList parts{QString::number(line.command)};
    const QList<QPair<const char *, QString>> values{{"site", line.site}, {"file", line.file}, {"login", line.login},
                                                     {"password-file", line.passwordFile}, {"key", line.acceptedKey},
                                                     {"date", line.date.toString("yyyy-MM-dd hh:mm")}};
    for (const auto &value : values) {
        if (!value.second.isEmpty())
            parts << QString::fromLatin1(value.first) + '=' + value.second;
    }
    const QList<QPair<const char *, bool>> flags{{"due", line.due}, {"all-sites", line.allSites}, {"yes", line.yes},
                                                 {"quiet", line.quiet}};
    for (const auto &flag : flags) {
        if (flag.second)
            parts << QString::fromLatin1(flag.first);
    }
    return parts.join(' ');
}

QByteArray withWorkedItem(const QByteArray &page)
{
    return QByteArray(page).insert(page.indexOf("yellow>") + 7, WorkedItem);
}

const QStringList UsualDateOption{"--date", "2026-12-05 18:48"};

// server started with Page as its news.html, and site's folder set up for it.
bool startSite(TestServer &server, const QTemporaryDir &site)
{
    if (!server.start())
        return false;
    server.putFile("news.html", Page);
    return writeSiteFolder(site.path(), server);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parsing_data();
    void parsing();
    void sendingFromStandardInput();
    void passwordSources_data();
    void passwordSources();
    void unknownHostKey_data();
    void unknownHostKey();
    void terminatedDuringUpload();
    void sendingDueItems();
};

void TestCommandLine::parsing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("commandLine");  // rather than the window
    QTest::addColumn<QString>("parsed");

    QTest::newRow("no word: the window") << QStringList() << false << "usage";
    QTest::newRow("Qt's own option: the window") << QStringList{"-platform", "xcb"} << false << "usage";
    QTest::newRow("send from standard input") << QStringList{"send"} << true << "1";
    QTest::newRow("send a file with its date")
        << QStringList{"send", "--date", "2026-12-05 18:48", "item.txt"} << true << "1 file=item.txt date=2026-12-05 18:48";
    QTest::newRow("option=value") << QStringList{"send", "--date=2026-12-05 18:48", "--login=anna"} << true
                                  << "1 login=anna date=2026-12-05 18:48";
    QTest::newRow("a date not so written") << QStringList{"send", "--date", "05.12.2026 18:48"} << true << "usage";
    QTest::newRow("an option without its value") << QStringList{"send", "--login"} << true << "usage";
    QTest::newRow("a value for a flag") << QStringList{"send", "--yes=1"} << true << "usage";
    QTest::newRow("unknown option") << QStringList{"send", "--password", "x"} << true << "usage";
    QTest::newRow("unknown word") << QStringList{"publish"} << true << "usage";
    QTest::newRow("two files") << QStringList{"send", "a.txt", "b.txt"} << true << "usage";
    QTest::newRow("due items of all sites") << QStringList{"send", "--due", "--all-sites", "--quiet"} << true
                                            << "1 due all-sites quiet";
    QTest::newRow("due with a file") << QStringList{"send", "--due", "a.txt"} << true << "usage";
    QTest::newRow("all sites without due") << QStringList{"send", "--all-sites"} << true << "usage";
    QTest::newRow("list of a site") << QStringList{"list", "--site", "club"} << true << "2 site=club";
    QTest::newRow("list takes no --yes") << QStringList{"list", "--yes"} << true << "usage";
    QTest::newRow("backup needs its file") << QStringList{"backup"} << true << "usage";
    QTest::newRow("restore, the key accepted")
        << QStringList{"restore", "--accept-host-key", "SHA256:abc", "--yes", "old.bak"} << true
        << "4 file=old.bak key=SHA256:abc yes";
    QTest::newRow("a key without SHA256:") << QStringList{"list", "--accept-host-key", "abc"} << true << "usage";
    QTest::newRow("a file starting with --") << QStringList{"send", "--", "--item.txt"} << true << "1 file=--item.txt";
    QTest::newRow("help anywhere") << QStringList{"send", "--bogus", "--help"} << true << "6";
    QTest::newRow("version") << QStringList{"--version"} << true << "7";
}

void TestCommandLine::parsing()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, commandLine);
    QFETCH(QString, parsed);

    QCOMPARE(wantsCommandLine(arguments), commandLine);
    if (commandLine)
        QCOMPARE(described(parseCommandLine(arguments)), parsed);
}

// Published from standard input, listed, refused when repeated unless --yes says so; a wrong word is
// a usage message.
void TestCommandLine::sendingFromStandardInput()
{
    FtpServer server;
    QTemporaryDir site;
    QVERIFY(startSite(server, site));
    TerminalRun terminal(site.path());
    terminal.setEnvironment("NEWSADDER_PASSWORD", server.password());

    QCOMPARE(terminal.run(QStringList{"send"} + UsualDateOption, "abc\ndef\n"), int(ExitDone));
    QCOMPARE(terminal.messages(), QStringList{"Файл успешно передан на сервер."});
    QCOMPARE(server.fileContents("news.html"), withWorkedItem(Page));
    QCOMPARE(QDir(site.path()).entryList({"backup_*.bak"}).size(), 1);

    QCOMPARE(terminal.run({"list"}), int(ExitDone));
    QCOMPARE(terminal.output(), QString("05.12.2026 18:48\tabc def\n"));
    // Started in a site's folder, that site is the one --site names.
    QCOMPARE(terminal.run({"sites"}), int(ExitDone));
    const QString name = terminal.output().trimmed();
    QVERIFY(!name.isEmpty());
    QCOMPARE(terminal.run({"list", "--site", name}), int(ExitDone));
    QCOMPARE(terminal.run({"list", "--site", "nowhere"}), int(ExitUsage));
    QCOMPARE(terminal.messages().value(0), "Сайта «nowhere» нет. Сайты: " + name + ".");

    QCOMPARE(terminal.run(QStringList{"send", "--quiet"} + UsualDateOption, "abc\ndef"), int(ExitRefused));
    QCOMPARE(terminal.messages().value(0), QString("Эта новость уже есть на странице: опубликовать её ещё раз можно с --yes."));
    QCOMPARE(server.fileContents("news.html"), withWorkedItem(Page));
    QCOMPARE(terminal.run(QStringList{"send", "--yes", "--quiet"} + UsualDateOption, "abc\ndef"), int(ExitDone));
    QCOMPARE(terminal.messages(), QStringList());
    QCOMPARE(server.fileContents("news.html"), withWorkedItem(withWorkedItem(Page)));

    QCOMPARE(terminal.run({"sned"}), int(ExitUsage));
    QCOMPARE(terminal.messages().value(0), QString("Неизвестная команда: sned"));
}

void TestCommandLine::passwordSources_data()
{
    QTest::addColumn<QString>("variable");   // NEWSADDER_PASSWORD
    QTest::addColumn<int>("fileMode");       // of the --password-file holding the password; 0 for none
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");    // how the first line starts

    QTest::newRow("the environment's") << "secret" << 0 << int(ExitDone) << "Файл успешно";
    QTest::newRow("a file only its owner reads") << "" << 0600 << int(ExitDone) << "Файл успешно";
    QTest::newRow("a file others read") << "" << 0644 << int(ExitRefused) << "Файл пароля";
    QTest::newRow("none") << "" << 0 << int(ExitRefused) << "Нет пароля";
}

void TestCommandLine::passwordSources()
{
    QFETCH(QString, variable);
    QFETCH(int, fileMode);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    FtpServer server;
    QTemporaryDir site;
    QVERIFY(startSite(server, site));
    TerminalRun terminal(site.path());
    QStringList arguments{"send"};
    if (!variable.isEmpty())
        terminal.setEnvironment("NEWSADDER_PASSWORD", variable);
    if (fileMode) {
        const QString file = site.filePath("password");
        QVERIFY(writeFile(file, server.password().toUtf8() + '\n'));
        const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QVERIFY(QFile::setPermissions(file, fileMode == 0600 ? owner : owner | QFile::ReadGroup | QFile::ReadOther));
        arguments << "--password-file" << "password";
    }
    QCOMPARE(terminal.run(arguments + UsualDateOption, "abc\ndef"), exitCode);
    QVERIFY2(terminal.messages().value(0).startsWith(message), qPrintable(terminal.messages().join('\n')));
    QCOMPARE(server.fileContents("news.html"), exitCode == ExitDone ? withWorkedItem(Page) : Page);
}

void TestCommandLine::unknownHostKey_data()
{
    QTest::addColumn<QString>("accepted");  // --accept-host-key's value: "right" for the server's own
    QTest::addColumn<int>("exitCode");

    QTest::newRow("no fingerprint given") << "" << int(ExitRefused);
    QTest::newRow("another fingerprint") << "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA" << int(ExitRefused);
    QTest::newRow("the server's fingerprint") << "right" << int(ExitDone);
}

// An SFTP server whose key is unknown: refused, its type and fingerprint said, unless the command
// accepts exactly that key; then it is known from then on.
void TestCommandLine::unknownHostKey()
{
    QFETCH(QString, accepted);
    QFETCH(int, exitCode);

    SftpServer server;
    QTemporaryDir site;
    QVERIFY(startSite(server, site));
    TerminalRun terminal(site.path());
    terminal.setEnvironment("NEWSADDER_PASSWORD", server.password());
    QStringList arguments = QStringList{"send"} + UsualDateOption;
    if (!accepted.isEmpty())
        arguments << "--accept-host-key" << (accepted == "right" ? server.fingerprint() : accepted);

    QCOMPARE(terminal.run(arguments, "abc\ndef"), exitCode);
    const QString said = terminal.messages().join('\n');
    QVERIFY2(said.contains("ssh-ed25519 " + server.fingerprint()) == (exitCode != ExitDone), qPrintable(said));
    QCOMPARE(server.fileContents("news.html"), exitCode == ExitDone ? withWorkedItem(Page) : Page);
    QCOMPARE(readFile(site.filePath("known_hosts")).contains(server.knownHostsLine().toUtf8()), exitCode == ExitDone);
    if (exitCode == ExitDone)
        QCOMPARE(terminal.run(QStringList{"list"}), int(ExitDone));
}

// SIGTERM while the page goes up: the program ends as a closed window does, the lock gone and the page
// as it was.
void TestCommandLine::terminatedDuringUpload()
{
    FtpServer server({"--stall-uploads", "30"});
    QTemporaryDir site;
    QVERIFY(startSite(server, site));
    TerminalRun terminal(site.path());
    terminal.setEnvironment("NEWSADDER_PASSWORD", server.password());
    QVERIFY(terminal.start(QStringList{"send"} + UsualDateOption, "abc\ndef"));
    QDeadlineTimer deadline(15000);
    while (server.commandCount("STOR") < 1 && !deadline.hasExpired())
        QThread::msleep(20);
    QVERIFY2(server.commandCount("STOR") >= 1, server.log().constData());

    terminal.terminate();
    QVERIFY2(terminal.finish(5000), "the command did not end on SIGTERM");
    QCOMPARE(terminal.exitCode(), int(ExitInterrupted));
    QCOMPARE(server.fileContents("news.html"), Page);
    QCOMPARE(QDir(server.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"news.html"});
}

// What the timer runs: the items whose time has come, once; the others, and a torn file, stay. Without a
// password an item waits, saying so.
void TestCommandLine::sendingDueItems()
{
    FtpServer server;
    QTemporaryDir site;
    QVERIFY(startSite(server, site));
    ItemQueue queue(site.path());
    const QDateTime past = QDateTime::currentDateTime().addSecs(-60);
    QVERIFY(queue.add(queuedItem(UsualDate, "abc\ndef"), nullptr));
    QVERIFY(queue.add(queuedItem(past.addDays(1), "tomorrow"), nullptr));
    QVERIFY(writeFile(queue.folder() + "/" + QString::number(past.toSecsSinceEpoch()) + "-torn.json", "{\"format"));
    TerminalRun terminal(site.path());
    terminal.setEnvironment("NEWSADDER_PASSWORD", server.password());

    QCOMPARE(terminal.run({"send", "--due", "--all-sites", "--quiet"}), int(ExitDone));
    QCOMPARE(server.fileContents("news.html"), withWorkedItem(Page));
    const QStringList said = terminal.messages();
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().contains("-torn.json") && said.first().contains("файл повреждён"), qPrintable(said.first()));
    QCOMPARE(queue.summary().count, 2);
    const int logins = server.commandCount("USER");
    QCOMPARE(terminal.run({"send", "--due", "--all-sites", "--quiet"}), int(ExitDone));
    QCOMPARE(server.commandCount("USER"), logins);

    TerminalRun withoutPassword(site.path());
    QVERIFY(queue.add(queuedItem(past, "no password"), nullptr));
    QCOMPARE(withoutPassword.run({"send", "--due", "--all-sites"}), int(ExitFailed));
    QCOMPARE(server.fileContents("news.html"), withWorkedItem(Page));
    QCOMPARE(queue.items().value(1).text, QString("no password"));
    QCOMPARE(queue.items().value(1).failure, QString("нет сохранённого пароля"));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
