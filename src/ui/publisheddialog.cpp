#include "ui/publisheddialog.h"
#include "ui_publisheddialog.h"

#include <QPushButton>

PublishedDialog::PublishedDialog(const QVector<PublishedItem> &items, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::PublishedDialog)
{
    ui->setupUi(this);
    QStringList rows;
    rows.reserve(items.size());
    for (const PublishedItem &item : items)
        rows << publishedItemSummary(item);
    ui->publishedList->addItems(rows);
    ui->countLabel->setText(items.isEmpty() ? tr("На странице нет новостей в формате программы.")
                                            : tr("Показаны %1 новостей.").arg(items.size()));
    ui->correctButton->setEnabled(!items.isEmpty());
    ui->removeButton->setEnabled(!items.isEmpty());
    ui->publishedList->setCurrentRow(0);
    connect(ui->publishedList, &QListWidget::itemActivated, this, &PublishedDialog::on_correctButton_clicked);
}

PublishedDialog::~PublishedDialog()
{
    delete ui;
}

int PublishedDialog::chosenRow() const
{
    return ui->publishedList->currentRow();
}

void PublishedDialog::choose(Choice choice)
{
    if (chosenRow() < 0)
        return;
    m_choice = choice;
    accept();
}

void PublishedDialog::on_correctButton_clicked()
{
    choose(Correct);
}

void PublishedDialog::on_removeButton_clicked()
{
    choose(Remove);
}
