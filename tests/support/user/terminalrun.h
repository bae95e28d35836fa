#ifndef TERMINALRUN_H
#define TERMINALRUN_H

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TestServer;

// The real newsadder binary run as from a terminal or a timer: in a working directory, with no display
// at all (no DISPLAY, WAYLAND_DISPLAY or Qt platform), a home folder of its own and no secret store.
class TerminalRun
{
public:
    explicit TerminalRun(const QString &workingDirectory);
    ~TerminalRun();

    void setEnvironment(const QString &name, const QString &value);
    bool start(const QStringList &arguments, const QByteArray &input = QByteArray());
    // Waits at most msecs for the end; false when it has not ended.
    bool finish(int msecs = 30000);
    // start and finish; the exit code, -1 when it did not end.
    int run(const QStringList &arguments, const QByteArray &input = QByteArray());
    void terminate() { m_process.terminate(); }
    int exitCode() const { return m_process.exitCode(); }

    QString output();
    // Standard error's lines.
    QStringList messages();

private:
    QProcess m_process;
    QTemporaryDir m_home;
    QByteArray m_output;
    QByteArray m_errors;
};

// settings.ini in folder naming server's news.html for both addresses, and the state file naming its
// user as the last login.
bool writeSiteFolder(const QString &folder, const TestServer &server);

#endif // TERMINALRUN_H
