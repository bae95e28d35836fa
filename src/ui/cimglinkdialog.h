#ifndef CIMGLINKDIALOG_H
#define CIMGLINKDIALOG_H

#include <QDialog>
#include <QString>

namespace Ui {
class cImgLinkDialog;
}

// The image link editor: composes an HTML image reference and hands it to the news editor.
class cImgLinkDialog : public QDialog
{
    Q_OBJECT

public:
    explicit cImgLinkDialog(QWidget *parent = nullptr);
    ~cImgLinkDialog() override;

    // Any object with a slot recieveLink(QString) is accepted.
    void setReceiver(QObject *receiver);

signals:
    void sendImgLink(QString);

private slots:
    void on_pushButtonCancel_clicked();
    void on_pushButtonOk_clicked();
    void on_pushButtonChooseFile_clicked();

private:
    void resetFields();

    Ui::cImgLinkDialog *ui;
    QObject *receiver;
    QString m_pictureFolder;
};

#endif // CIMGLINKDIALOG_H
