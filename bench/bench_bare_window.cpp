// A bare QMainWindow program: shows an empty window, then quits.
// With --peak-memory it prints its own peak resident size in bytes before quitting.
#include "offscreenplatform.h"
#include "peakmemory.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    const bool reportPeak = argc > 1 && std::strcmp(argv[1], "--peak-memory") == 0;
    useOffscreenWithoutDisplay();
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
