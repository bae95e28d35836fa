#ifndef FORMSCALE_H
#define FORMSCALE_H

#include <QRect>

class QWidget;

// The forms are drawn in fixed pixels for a smaller font than most platforms use. Like dialog
// units, the whole form grows by one factor where the font needs more room: every child's position
// and size, the window's size and any size limits it has. The factor is the smallest tidy step
// (1, 1.125, 1.25, ...) at which every caption fits; 1, the drawn geometry, where it already does.
// Fonts are left as the form sets them. Call it right after setupUi.
void scaleFormToFit(QWidget *form);

// The factor scaleFormToFit applied to form (1 for a form it never saw).
qreal formScale(const QWidget *form);

// A drawn rectangle at a given factor, as scaleFormToFit places it.
QRect scaledRect(const QRect &rect, qreal factor);

#endif // FORMSCALE_H
