#include "ui/scheduledialog.h"
#include "ui_scheduledialog.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

ScheduleDialog::ScheduleDialog(const QDateTime &proposed, std::function<QDateTime()> clock, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::ScheduleDialog)
    , m_clock(std::move(clock))
{
    ui->setupUi(this);
    ui->scheduleTimeEdit->setDateTime(proposed);
    ui->timerLabel->setText(timerState());
}

ScheduleDialog::~ScheduleDialog()
{
    delete ui;
}

QDateTime ScheduleDialog::chosenTime() const
{
    QDateTime time = ui->scheduleTimeEdit->dateTime();
    time.setTime(QTime(time.time().hour(), time.time().minute()));
    return time;
}

void ScheduleDialog::on_buttonBox_accepted()
{
    if (chosenTime() <= m_clock()) {
        QMessageBox::warning(this, windowTitle(), tr("Это время уже прошло: выберите время в будущем."));
        return;
    }
    accept();
}

QString ScheduleDialog::timerState()
{
    const QString wants = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                          + QStringLiteral("/systemd/user/timers.target.wants/newsadder-due.timer");
    if (QFileInfo::exists(wants))
        return tr("Таймер newsadder-due.timer включён: очередь отправляется и при закрытом окне.");
    return tr("Таймер newsadder-due.timer не включён: очередь отправляется, только пока окно открыто. "
              "Включить: systemctl --user enable --now newsadder-due.timer");
}
