// A bare QMainWindow program: shows an empty window, then quits.
// With --peak-memory it prints its own peak resident size in bytes before quitting.
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <cstring>

static long long peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

int main(int argc, char *argv[])
{
    const bool reportPeak = argc > 1 && std::strcmp(argv[1], "--peak-memory") == 0;
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(566, 363);
    window.show();
    QTimer::singleShot(0, &app, [&] {
        if (reportPeak)
            std::printf("%lld\n", peakResidentBytes());
        app.quit();
    });
    return app.exec();
}
