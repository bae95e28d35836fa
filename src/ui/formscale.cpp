#include "ui/formscale.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMainWindow>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QWidget>

#include <cmath>

namespace {

const char ScaleProperty[] = "_formScale";
const qreal Step = 0.125;
const qreal LargestFactor = 4;

// The widgets the form itself placed: its own children and those of the plain containers and
// group boxes among them. A composite widget's inner parts are laid out by the widget itself.
void collectPlaced(QWidget *container, QList<QWidget *> &placed)
{
    if (container->layout())
        return;
    for (QObject *child : container->children()) {
        auto widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isWindow())
            continue;
        placed << widget;
        if (qobject_cast<QGroupBox *>(widget) || widget->metaObject() == &QWidget::staticMetaObject)
            collectPlaced(widget, placed);
    }
}

QList<QWidget *> placedWidgets(QWidget *form)
{
    QList<QWidget *> placed;
    auto window = qobject_cast<QMainWindow *>(form);
    if (window && window->centralWidget())
        collectPlaced(window->centralWidget(), placed);
    else
        collectPlaced(form, placed);
    return placed;
}

QSize textSize(const QWidget *widget, const QString &text)
{
    return widget->fontMetrics().size(Qt::TextShowMnemonic, text);
}

// The size the widget needs to show its caption whole with the style's own margins around it;
// an empty size for widgets without a caption.
QSize neededSize(QWidget *widget)
{
    QStyle *style = widget->style();
    if (auto button = qobject_cast<QPushButton *>(widget)) {
        if (button->text().isEmpty())
            return {};
        QStyleOptionButton option;
        option.initFrom(button);
        // Without the text the style adds its margins but not its wish for a wider button.
        if (button->autoDefault() || button->isDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        return style->sizeFromContents(QStyle::CT_PushButton, &option, textSize(button, button->text()), button);
    }
    if (auto box = qobject_cast<QAbstractButton *>(widget))
        return box->text().isEmpty() ? QSize() : box->sizeHint();
    if (auto group = qobject_cast<QGroupBox *>(widget))
        return group->title().isEmpty() ? QSize() : group->minimumSizeHint();
    if (auto label = qobject_cast<QLabel *>(widget)) {
        if (label->text().isEmpty())
            return {};
        const QSize frame = label->size() - label->contentsRect().size();
        return textSize(label, label->text()) + frame + QSize(2 * label->margin(), 2 * label->margin());
    }
    if (auto combo = qobject_cast<QComboBox *>(widget)) {
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i)
            widest = qMax(widest, textSize(combo, combo->itemText(i)).width());
        if (widest == 0)
            return {};
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        return style->sizeFromContents(QStyle::CT_ComboBox, &option,
                                       QSize(widest, combo->fontMetrics().height()), combo);
    }
    if (auto edit = qobject_cast<QLineEdit *>(widget)) {
        if (edit->placeholderText().isEmpty())
            return {};
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        const QMargins margins = edit->textMargins();
        // QLineEdit keeps two pixels free on either side of its text.
        const QSize text = textSize(edit, edit->placeholderText())
                           + QSize(4 + margins.left() + margins.right(), margins.top() + margins.bottom());
        return style->sizeFromContents(QStyle::CT_LineEdit, &option, text, edit);
    }
    return {};
}

QSize scaledSize(const QSize &size, qreal factor)
{
    return QSize(qRound(size.width() * factor), qRound(size.height() * factor));
}

} // namespace

QRect scaledRect(const QRect &rect, qreal factor)
{
    return QRect(QPoint(qRound(rect.x() * factor), qRound(rect.y() * factor)), scaledSize(rect.size(), factor));
}

qreal formScale(const QWidget *form)
{
    const QVariant factor = form->property(ScaleProperty);
    return factor.isValid() ? factor.toReal() : 1.0;
}

void scaleFormToFit(QWidget *form)
{
    const QList<QWidget *> placed = placedWidgets(form);
    qreal factor = 1;
    for (QWidget *widget : placed) {
        const QSize needed = neededSize(widget);
        if (needed.isEmpty())
            continue;
        const QSize drawn = widget->size();
        const qreal wanted = qMax(qreal(needed.width()) / drawn.width(), qreal(needed.height()) / drawn.height());
        // Rounding may leave a pixel short of the exact ratio, so check the rounded size itself.
        qreal step = std::ceil(wanted / Step - 1e-9) * Step;
        while (step < LargestFactor && (scaledSize(drawn, step).width() < needed.width()
                                        || scaledSize(drawn, step).height() < needed.height()))
            step += Step;
        factor = qMax(factor, qMin(step, LargestFactor));
    }
    form->setProperty(ScaleProperty, factor);
    if (factor == 1)
        return;

    for (QWidget *widget : placed)
        widget->setGeometry(scaledRect(widget->geometry(), factor));
    if (form->minimumSize() != QSize(0, 0))
        form->setMinimumSize(scaledSize(form->minimumSize(), factor));
    if (form->maximumSize() != QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX))
        form->setMaximumSize(scaledSize(form->maximumSize(), factor).boundedTo(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)));
    form->resize(scaledSize(form->size(), factor));
}
