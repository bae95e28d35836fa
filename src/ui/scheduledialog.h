#ifndef SCHEDULEDIALOG_H
#define SCHEDULEDIALOG_H

#include <QDateTime>
#include <QDialog>

#include <functional>

namespace Ui {
class ScheduleDialog;
}

// «Отправить позже…»: when the item goes to the server. A time that has passed by clock is refused.
class ScheduleDialog : public QDialog
{
    Q_OBJECT

public:
    ScheduleDialog(const QDateTime &proposed, std::function<QDateTime()> clock, QWidget *parent = nullptr);
    ~ScheduleDialog() override;

    QDateTime chosenTime() const;

    // Whether the queue is sent with the window closed: the user timer newsadder-due.timer enabled.
    static QString timerState();

private slots:
    void on_buttonBox_accepted();

private:
    Ui::ScheduleDialog *ui;
    std::function<QDateTime()> m_clock;
};

#endif // SCHEDULEDIALOG_H
