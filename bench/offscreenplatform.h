#ifndef OFFSCREENPLATFORM_H
#define OFFSCREENPLATFORM_H

#include <QByteArray>

// Qt's offscreen platform where no display is set and no platform chosen, as the tests run: the
// bench runs on a machine without a desktop. Before the application is made.
inline void useOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

#endif // OFFSCREENPLATFORM_H
