#ifndef RUNNINGCOMMAND_H
#define RUNNINGCOMMAND_H

#include <QList>
#include <QPointer>
#include <QWidget>

// One publishing command (send, backup, restore) at a time: while one runs, the buttons that start
// them are disabled and a second command is refused, so that two never interleave on the same
// working copy and server file. The buttons come back when the command ends, on whatever path.
class RunningCommand
{
public:
    RunningCommand(bool &running, const QList<QWidget *> &buttons);
    ~RunningCommand();
    RunningCommand(const RunningCommand &) = delete;
    RunningCommand &operator=(const RunningCommand &) = delete;

    // Another command was running already: the caller returns at once and changes nothing.
    bool refused() const { return m_refused; }

private:
    bool &m_running;
    bool m_refused;
    QList<QPointer<QWidget>> m_disabled;
};

#endif // RUNNINGCOMMAND_H
