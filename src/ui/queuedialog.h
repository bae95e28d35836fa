#ifndef QUEUEDIALOG_H
#define QUEUEDIALOG_H

#include <QDialog>
#include <QVector>

#include "publish/itemqueue.h"

namespace Ui {
class QueueDialog;
}

// «Очередь…»: the queued items with their times, first words and last failures, one of which the
// editor sends now, takes back into the editor or removes (asked first).
class QueueDialog : public QDialog
{
    Q_OBJECT

public:
    enum Choice { NoChoice, SendNow, Edit, Remove };

    QueueDialog(const QVector<QueuedItem> &items, QWidget *parent = nullptr);
    ~QueueDialog() override;

    Choice choice() const { return m_choice; }
    // The chosen item's file name in the queue.
    QString chosenName() const;

private slots:
    void on_sendNowButton_clicked();
    void on_editButton_clicked();
    void on_removeButton_clicked();

private:
    void choose(Choice choice);

    Ui::QueueDialog *ui;
    QVector<QueuedItem> m_items;
    Choice m_choice = NoChoice;
};

#endif // QUEUEDIALOG_H
