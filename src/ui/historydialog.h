#ifndef HISTORYDIALOG_H
#define HISTORYDIALOG_H

#include <QByteArray>
#include <QDialog>
#include <QVector>

#include "publish/history.h"

namespace Ui {
class HistoryDialog;
}

// The versions of the page, newest first: for the selected one, how the page before its command differs
// from page (the server's, as fetched when the history opened); the editor may roll back to it.
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    HistoryDialog(const QVector<HistoryRow> &rows, const QByteArray &page, const QString &note,
                  QWidget *parent = nullptr);
    ~HistoryDialog() override;

    // The row the editor chose to roll back to, -1 for none.
    int rollbackRow() const { return m_rollbackRow; }
    // The comparison shown for the selected row, once it is computed.
    QString comparison() const;

private slots:
    void on_rollbackButton_clicked();

private:
    void compare(int row);
    void showComparison(int row, const QString &text);

    Ui::HistoryDialog *ui;
    QVector<HistoryRow> m_rows;
    QByteArray m_page;
    int m_rollbackRow = -1;
};

#endif // HISTORYDIALOG_H
