#include "appprocess.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>

VirtualDisplay::~VirtualDisplay()
{
    if (m_xvfb.state() != QProcess::NotRunning) {
        m_xvfb.terminate();
        if (!m_xvfb.waitForFinished(5000)) {
            m_xvfb.kill();
            m_xvfb.waitForFinished(5000);
        }
    }
}

bool VirtualDisplay::start()
{
    m_xvfb.setStandardErrorFile(QProcess::nullDevice());
    // -displayfd lets Xvfb pick a free display and tell us its number on standard output.
    m_xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                          QStringLiteral("-screen"), QStringLiteral("0"),
                                          QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                          QStringLiteral("tcp")});
    if (!m_xvfb.waitForStarted(10000))
        return false;
    QDeadlineTimer deadline(15000);
    while (!m_xvfb.canReadLine() && !deadline.hasExpired()) {
        if (!m_xvfb.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    if (!m_xvfb.canReadLine())
        return false;
    m_name = QLatin1Char(':') + QString::fromLatin1(m_xvfb.readLine().trimmed());
    return m_name.size() > 1;
}

QStringList VirtualDisplay::windows(const QString &command, const QString &title, bool *ok,
                                    const QStringList &extraArgs) const
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_name);
    tool.setProcessEnvironment(env);
    QStringList args{QStringLiteral(TEST_SUPPORT_DIR "/user/xwindows.py"), command};
    if (!title.isEmpty())
        args << title;
    args << extraArgs;
    args << QStringLiteral("--timeout") << QStringLiteral("15");
    tool.start(QStringLiteral("/usr/bin/python3"), args);
    const bool finished = tool.waitForFinished(30000);
    if (!finished)
        tool.kill();
    if (ok)
        *ok = finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    return QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

AppProcess::AppProcess(const QString &workingDirectory, const QString &program)
    : m_program(program)
{
    m_process.setWorkingDirectory(workingDirectory);
}

AppProcess::~AppProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool AppProcess::start(const VirtualDisplay &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display.name());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // Only the debug log, one plain entry a line: the toolkit's own warnings are left out.
    env.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{if-debug}%{message}%{endif}"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    // Whatever a start keeps in the user's own folders stays in the test's.
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.insert(m_extraEnvironment);
    m_process.setProcessEnvironment(env);
    m_process.start(m_program, QStringList());
    return m_process.waitForStarted(10000);
}

bool AppProcess::waitForExit(int msecs)
{
    return m_process.waitForFinished(msecs);
}

QStringList AppProcess::logLines()
{
    m_log += m_process.readAllStandardError();
    return QString::fromUtf8(m_log).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
