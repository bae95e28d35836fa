#ifndef PUBLISHEDDIALOG_H
#define PUBLISHEDDIALOG_H

#include <QDialog>
#include <QVector>

#include "page/publisheditems.h"

namespace Ui {
class PublishedDialog;
}

// The items on the server's page, newest first, one of which the editor chooses to correct or remove.
class PublishedDialog : public QDialog
{
    Q_OBJECT

public:
    enum Choice { NoChoice, Correct, Remove };

    PublishedDialog(const QVector<PublishedItem> &items, QWidget *parent = nullptr);
    ~PublishedDialog() override;

    Choice choice() const { return m_choice; }
    // The chosen item's place in the list.
    int chosenRow() const;

private slots:
    void on_correctButton_clicked();
    void on_removeButton_clicked();

private:
    void choose(Choice choice);

    Ui::PublishedDialog *ui;
    Choice m_choice = NoChoice;
};

#endif // PUBLISHEDDIALOG_H
