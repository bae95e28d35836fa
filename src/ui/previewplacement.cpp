#include "ui/previewplacement.h"

QRect placedBeside(const QRect &window, const QSize &size, const QRect &screen, int gap)
{
    QRect placed(QPoint(window.right() + 1 + gap, window.top()), size.boundedTo(screen.size()));
    if (placed.right() > screen.right())
        placed.moveRight(window.left() - 1 - gap);
    if (placed.left() < screen.left())
        placed.moveRight(screen.right());
    if (placed.bottom() > screen.bottom())
        placed.moveBottom(screen.bottom());
    if (placed.top() < screen.top())
        placed.moveTop(screen.top());
    return placed;
}
