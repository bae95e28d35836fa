#ifndef LINKFORM_H
#define LINKFORM_H

#include <QString>
#include <QWidget>

namespace Ui {
class linkForm;
}

// The link editor: composes an HTML anchor and hands it to the news editor.
class linkForm : public QWidget
{
    Q_OBJECT

public:
    explicit linkForm(QWidget *parent = nullptr);
    ~linkForm() override;

    // Only a NewsAdder is connected; anything else leaves the fragments without a receiver.
    void setReceiver(QObject *receiver);

signals:
    void sendLink(QString link);

private slots:
    void on_pushButtonCancel_clicked();
    void on_pushButtonOk_clicked();

private:
    void resetFields();

    Ui::linkForm *ui;
    QObject *receiver;
};

#endif // LINKFORM_H
