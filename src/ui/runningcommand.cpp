#include "ui/runningcommand.h"

RunningCommand::RunningCommand(bool &running, const QList<QWidget *> &buttons)
    : m_running(running)
    , m_refused(running)
{
    if (m_refused)
        return;
    m_running = true;
    for (QWidget *button : buttons) {
        if (button->isEnabled()) {
            button->setEnabled(false);
            m_disabled << button;
        }
    }
}

RunningCommand::~RunningCommand()
{
    if (m_refused)
        return;
    for (const QPointer<QWidget> &button : qAsConst(m_disabled)) {
        if (button)
            button->setEnabled(true);
    }
    m_running = false;
}
