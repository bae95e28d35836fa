#ifndef INTERRUPTION_H
#define INTERRUPTION_H

#include <QObject>

class QSocketNotifier;

// SIGINT and SIGTERM while it lives end the running command as quitting the window does: the
// application is told to exit, so every waiting transfer ends, the page is put back, the lock removed.
class Interruption : public QObject
{
public:
    Interruption();
    ~Interruption() override;

    bool happened() const { return m_happened; }

private:
    QSocketNotifier *m_notifier;
    bool m_happened = false;
};

#endif // INTERRUPTION_H
