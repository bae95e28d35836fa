#ifndef PREVIEWPLACEMENT_H
#define PREVIEWPLACEMENT_H

#include <QRect>
#include <QSize>

// Where a window of size goes beside window (both frames, in screen coordinates): to its right, else
// to its left, else over it, and always wholly within screen, made smaller where screen is.
QRect placedBeside(const QRect &window, const QSize &size, const QRect &screen, int gap = 8);

#endif // PREVIEWPLACEMENT_H
