#include "terminalrun.h"

#include "filebytes.h"
#include "publish/editorstate.h"
#include "testserver.h"

#include <QDir>
#include <QProcessEnvironment>

TerminalRun::TerminalRun(const QString &workingDirectory)
{
    m_process.setWorkingDirectory(workingDirectory);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_HOME", "XDG_CONFIG_HOME",
                             "DBUS_SESSION_BUS_ADDRESS", "NEWSADDER_PASSWORD"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), m_home.path());
    m_process.setProcessEnvironment(env);
}

TerminalRun::~TerminalRun()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void TerminalRun::setEnvironment(const QString &name, const QString &value)
{
    QProcessEnvironment env = m_process.processEnvironment();
    env.insert(name, value);
    m_process.setProcessEnvironment(env);
}

bool TerminalRun::start(const QStringList &arguments, const QByteArray &input)
{
    m_output.clear();
    m_errors.clear();
    m_process.start(QStringLiteral(NEWSADDER_BINARY), arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    m_process.write(input);
    if (!input.isEmpty() && !m_process.waitForBytesWritten(10000))
        return false;
    m_process.closeWriteChannel();
    return true;
}

bool TerminalRun::finish(int msecs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(msecs);
}

int TerminalRun::run(const QStringList &arguments, const QByteArray &input)
{
    if (!start(arguments, input) || !finish())
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString TerminalRun::output()
{
    m_output += m_process.readAllStandardOutput();
    return QString::fromUtf8(m_output);
}

QStringList TerminalRun::messages()
{
    m_errors += m_process.readAllStandardError();
    return QString::fromUtf8(m_errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool writeSiteFolder(const QString &folder, const TestServer &server)
{
    const QByteArray settings = QStringLiteral("remotepath=%1\nremoteFTPpath=%1\n").arg(server.url("news.html")).toUtf8();
    return writeFile(QDir(folder).filePath("settings.ini"), settings)
           && saveEditorState(QDir(folder).filePath(EditorStateFileName), {server.user(), QString(), false, {}, {}});
}
