#include "ui/queuedialog.h"
#include "ui_queuedialog.h"

#include "page/publisheditems.h"
#include "ui/scheduledialog.h"

#include <QMessageBox>

namespace {
const QString DateFormat = QStringLiteral("dd.MM.yyyy hh:mm");
}

QueueDialog::QueueDialog(const QVector<QueuedItem> &items, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::QueueDialog)
    , m_items(items)
{
    ui->setupUi(this);
    for (const QueuedItem &item : items) {
        QString state = item.problem.isEmpty() ? item.failure : item.problem;
        if (item.claimed)
            state = tr("отправляется");
        else if (item.held)
            state = tr("ждёт вас после суток неудач: ") + state;
        const QString time = item.held || !item.time.isValid() ? tr("—") : item.time.toString(DateFormat);
        auto row = new QTreeWidgetItem(ui->queueList, {time, item.date.toString(DateFormat),
                                                       visibleItemText(item.text).left(40), state});
        row->setToolTip(3, state);
    }
    ui->queueList->resizeColumnToContents(0);
    ui->queueList->resizeColumnToContents(1);
    ui->queueList->setColumnWidth(2, 240);
    ui->queueList->setCurrentItem(ui->queueList->topLevelItem(0));
    ui->timerLabel->setText(items.isEmpty() ? tr("В очереди нет новостей.") + QLatin1Char(' ') + ScheduleDialog::timerState()
                                            : ScheduleDialog::timerState());
    for (QPushButton *button : {ui->sendNowButton, ui->editButton, ui->removeButton})
        button->setEnabled(!items.isEmpty());
}

QueueDialog::~QueueDialog()
{
    delete ui;
}

QString QueueDialog::chosenName() const
{
    const int row = ui->queueList->indexOfTopLevelItem(ui->queueList->currentItem());
    return row < 0 ? QString() : m_items.at(row).name;
}

void QueueDialog::choose(Choice choice)
{
    if (chosenName().isEmpty())
        return;
    m_choice = choice;
    accept();
}

void QueueDialog::on_sendNowButton_clicked()
{
    choose(SendNow);
}

void QueueDialog::on_editButton_clicked()
{
    choose(Edit);
}

void QueueDialog::on_removeButton_clicked()
{
    QMessageBox box(QMessageBox::Question, tr("Удаление из очереди"),
                    tr("Удалить новость из очереди? Она не будет отправлена."), QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() == QMessageBox::Yes)
        choose(Remove);
}
