#include "cli/commands.h"

#include "cli/commandline.h"
#include "cli/interruption.h"
#include "cli/password.h"
#include "cli/sitefolders.h"
#include "page/publisheditems.h"
#include "publish/editorstate.h"
#include "publish/itemqueue.h"
#include "publish/publisher.h"
#include "publish/queuedsends.h"
#include "publish/settings.h"
#include "publish/unattendeduser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CommandLine", text);
}

void printLine(FILE *stream, const QString &text)
{
    // One message a line: the window's line breaks within a message become spaces.
    QString line = text;
    line.replace(QRegularExpression(QStringLiteral("\\s*\\n\\s*")), QStringLiteral(" "));
    const QByteArray bytes = line.trimmed().toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString absolute(const QString &fileName)
{
    return fileName.isEmpty() || fileName == QLatin1String("-") ? fileName : QDir::current().absoluteFilePath(fileName);
}

// The item's text as the editor would hold it: UTF-8, its line ends as line breaks, the last one
// (every line a file or `echo` writes ends in one) left out.
bool readItemText(const QString &fileName, QString *text, QString *problem)
{
    QFile file;
    const bool opened = fileName.isEmpty() || fileName == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(fileName), file.open(QIODevice::ReadOnly));
    if (!opened) {
        *problem = tr("Файл новости %1 не открывается: %2").arg(fileName, file.errorString());
        return false;
    }
    *text = QString::fromUtf8(file.readAll());
    text->replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text->endsWith(QLatin1Char('\n')))
        text->chop(1);
    return true;
}

// The window's debug log is not the terminal's: only the toolkit's warnings go through.
void dropDebugLines(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fputs(qPrintable(qFormatLogMessage(type, context, text) + QLatin1Char('\n')), stderr);
}

int exitCodeOf(const PublishResult &result, const Interruption &interruption)
{
    if (interruption.happened())
        return ExitInterrupted;
    switch (result.outcome) {
    case PublishResult::Done:
        return ExitDone;
    case PublishResult::Failed:
        return ExitFailed;
    default:
        return ExitRefused;  // a question refused, a host key untrusted
    }
}

// One site's command, run in its folder.
class SiteCommand
{
public:
    SiteCommand(const CommandLine &line, UnattendedUser &user)
        : m_line(line)
        , m_publisher(user)
    {
    }

    // The settings and the login of the current directory; false, said why, when there is no password
    // file to read.
    bool prepare(QString *problem)
    {
        const Settings settings = readSettings(QString::fromLatin1(SettingsFileName));
        const EditorState state = readEditorState(QString::fromLatin1(EditorStateFileName));
        ServerAccess access;
        access.downloadAddress = settings.remotePath;
        access.uploadAddress = settings.remoteFtpPath;
        access.caCertFile = settings.caCertFile;
        access.imageFolder = settings.imageFolder;
        access.pageUrl = settings.pageUrl;
        access.feedName = settings.feed;
        access.feedItems = settings.feedItems;
        access.login = m_line.login.isEmpty() ? state.login : m_line.login;
        access.password = commandLinePassword(access.uploadAddress, access.login, state.rememberPassword,
                                              m_line.passwordFile, problem);
        m_publisher.setAccess(access);
        return problem->isEmpty();
    }

    Publisher &publisher() { return m_publisher; }

private:
    const CommandLine &m_line;
    Publisher m_publisher;
};

int sendDue(const QVector<SiteFolder> &sites, const CommandLine &line, UnattendedUser &user,
            const Interruption &interruption)
{
    int code = ExitDone;
    // Skipped and failed items: said with --quiet too.
    const auto report = [](const QString &text) { printLine(stderr, text); };
    for (const SiteFolder &site : sites) {
        ItemQueue queue(site.path);
        const ItemQueue::Summary summary = queue.summary();
        queue.releaseClaims(summary.stale);
        // No connection, no settings read, while nothing is due.
        if (summary.due.isEmpty())
            continue;
        if (!QDir::setCurrent(site.path))
            continue;
        SiteCommand command(line, user);
        QString problem;
        if (!command.prepare(&problem))
            printLine(stderr, problem);
        const DueSends sends = sendDueItems(queue, command.publisher(), report);
        if (sends.interrupted || interruption.happened())
            return ExitInterrupted;
        if (sends.failed > 0)
            code = ExitFailed;
    }
    return code;
}

} // namespace

int runCommandLine(int &argc, char **argv, const EnterWorkingFolder &enterWorkingFolder)
{
    qInstallMessageHandler(dropDebugLines);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(NEWSADDER_VERSION));
    const CommandLine line = parseCommandLine(QCoreApplication::arguments().mid(1));
    if (line.command == CommandLine::Help) {
        std::fputs(usageText().toUtf8().constData(), stdout);
        return ExitDone;
    }
    if (line.command == CommandLine::Version) {
        printLine(stdout, QStringLiteral("newsadder " NEWSADDER_VERSION));
        return ExitDone;
    }
    if (!line.problem.isEmpty()) {
        printLine(stderr, line.problem);
        std::fputs(usageText().toUtf8().constData(), stderr);
        return ExitUsage;
    }
    // Names given relative to where the command was typed, before the site's folder is entered.
    CommandLine given = line;
    given.file = absolute(line.file);
    given.passwordFile = absolute(line.passwordFile);

    QString problem;
    const QString working = enterWorkingFolder(&problem);
    if (!problem.isEmpty()) {
        printLine(stderr, problem);
        return ExitFailed;
    }
    const QVector<SiteFolder> sites = siteFolders(given, working, &problem);
    if (sites.isEmpty()) {
        printLine(stderr, problem);
        return ExitUsage;
    }
    if (line.command == CommandLine::Sites) {
        for (const SiteFolder &site : sites) {
            if (!site.name.isEmpty())
                printLine(stdout, site.name);
        }
        return ExitDone;
    }

    QStringList held;  // --quiet: said only should the command fail
    UnattendedUser user({given.yes, given.acceptedKey, given.file}, [&given, &held](const QString &text) {
        if (given.quiet)
            held << text;
        else
            printLine(stderr, text);
    });
    // Read before the signals are taken over: Ctrl+C while the terminal is typed into ends at once.
    QString text;
    if (line.command == CommandLine::Send && !line.due && !readItemText(given.file, &text, &problem)) {
        printLine(stderr, problem);
        return ExitFailed;
    }
    Interruption interruption;
    if (line.due)
        return sendDue(sites, given, user, interruption);

    QDir::setCurrent(sites.first().path);
    SiteCommand command(given, user);
    if (!command.prepare(&problem)) {
        printLine(stderr, problem);
        return ExitRefused;
    }
    PublishResult result;
    QVector<PublishedItem> items;
    switch (line.command) {
    case CommandLine::Send: {
        QDateTime date = given.date;
        if (!date.isValid()) {
            date = QDateTime::currentDateTime();
            date.setTime(QTime(date.time().hour(), date.time().minute()));
        }
        result = command.publisher().send(text, date);
        break;
    }
    case CommandLine::List:
        result = command.publisher().listPublished(items);
        for (const PublishedItem &item : qAsConst(items))
            printLine(stdout, shownDate(item) + QLatin1Char('\t') + visibleItemText(item.text));
        break;
    case CommandLine::Backup:
        result = command.publisher().backup();
        break;
    default:
        result = command.publisher().restore();
        break;
    }
    const int code = exitCodeOf(result, interruption);
    if (code != ExitDone) {
        for (const QString &text : qAsConst(held))
            printLine(stderr, text);
    }
    return code;
}
