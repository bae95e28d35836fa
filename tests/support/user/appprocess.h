#ifndef APPPROCESS_H
#define APPPROCESS_H

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private X server (Xvfb) on a display number of its own, stopped with the object.
class VirtualDisplay
{
public:
    VirtualDisplay() = default;
    ~VirtualDisplay();
    bool start();
    QString name() const { return m_name; }   // ":N"

    // Runs xwindows.py on this display: "list [TITLE]", "click TITLE X Y [--type TEXT]" or "close TITLE"; returns
    // its output lines, or fails (ok == false) when the window did not appear in time.
    QStringList windows(const QString &command, const QString &title, bool *ok = nullptr,
                        const QStringList &extraArgs = {}) const;

private:
    QProcess m_xvfb;
    QString m_name;
};

// The real newsadder binary (or the installed one, given as program), started in a working directory
// on a virtual display, with an empty home folder of its own.
class AppProcess
{
public:
    explicit AppProcess(const QString &workingDirectory, const QString &program = QStringLiteral(NEWSADDER_BINARY));
    ~AppProcess();

    // A variable of the program's environment, set before start().
    void setEnvironmentValue(const QString &name, const QString &value) { m_extraEnvironment.insert(name, value); }
    bool start(const VirtualDisplay &display);
    bool waitForExit(int msecs);
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }
    // Everything the app wrote to its debug log, one entry a line.
    QStringList logLines();
    QString home() const { return m_home.path(); }

private:
    QProcess m_process;
    QString m_program;
    QTemporaryDir m_home;
    QByteArray m_log;
    QProcessEnvironment m_extraEnvironment;
};

#endif // APPPROCESS_H
