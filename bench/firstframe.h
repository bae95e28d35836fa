#ifndef FIRSTFRAME_H
#define FIRSTFRAME_H

#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QStringList>

#include <chrono>
#include <cstdio>

// What a start-up bench program does at the first frame of its shown main window, chosen by its
// argument: --first-frame prints the steady clock's time of that frame in nanoseconds (the clock the
// bench starts it by) and quits; --close-at-once closes the window then, as an editor who opens the
// program and closes it again at once. Without either, nothing.
class FirstFrame : public QObject
{
public:
    explicit FirstFrame(bool printTime)
        : QObject(QCoreApplication::instance())
        , m_printTime(printTime)
    {
    }

    static bool asked(int argc) { return argc > 1; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QMainWindow *>(watched);
        if (m_seen || event->type() != QEvent::Paint || !window)
            return false;
        m_seen = true;
        // Queued: the frame is whole once the paint of the window and its children has been flushed.
        QMetaObject::invokeMethod(
            this,
            [this, window] {
                if (!m_printTime) {
                    window->close();
                    return;
                }
                std::printf("%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                                  std::chrono::steady_clock::now().time_since_epoch())
                                                                  .count()));
                std::fflush(stdout);
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    bool m_printTime;
    bool m_seen = false;
};

// Watches the application as it is made (Q_COREAPP_STARTUP_FUNCTION), so that no paint of the window
// can come before.
inline void watchFirstFrame()
{
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.contains(QStringLiteral("--first-frame")) || arguments.contains(QStringLiteral("--close-at-once")))
        QCoreApplication::instance()->installEventFilter(new FirstFrame(arguments.contains(QStringLiteral("--first-frame"))));
}

#endif // FIRSTFRAME_H
