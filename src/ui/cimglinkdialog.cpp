#include "ui/cimglinkdialog.h"
#include "ui_cimglinkdialog.h"

#include "ui/formscale.h"
#include "page/markup.h"

cImgLinkDialog::cImgLinkDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::cImgLinkDialog)
    , receiver(nullptr)
{
    ui->setupUi(this);
    scaleFormToFit(this);
}

cImgLinkDialog::~cImgLinkDialog()
{
    delete ui;
}

void cImgLinkDialog::setReceiver(QObject *receiver)
{
    this->receiver = receiver;
    // Any receiver's slot of that name, so it is reached through the meta-object; the connection
    // still ends with the receiver.
    connect(this, &cImgLinkDialog::sendImgLink, receiver, [receiver](const QString &link) {
        QMetaObject::invokeMethod(receiver, "recieveLink", Q_ARG(QString, link));
    });
}

void cImgLinkDialog::on_pushButtonOk_clicked()
{
    emit sendImgLink(imageFragment(ui->lineEdit->text(), ui->spinBoxBorderSize->value(),
                                   ui->comboBoxAlign->currentIndex(),
                                   ui->checkBoxChangeImgSize->isChecked(),
                                   ui->spinBoxPixelsW->value(), ui->spinBoxPixelsH->value(),
                                   ui->lineEditImgAltText->text()));
    resetFields();
    hide();
}

void cImgLinkDialog::on_pushButtonCancel_clicked()
{
    resetFields();
    hide();
}

void cImgLinkDialog::resetFields()
{
    ui->lineEdit->setText(QString());
    ui->comboBoxAlign->setCurrentIndex(0);
    ui->spinBoxBorderSize->setValue(0);
    ui->lineEditImgAltText->setText(QString());
    ui->checkBoxChangeImgSize->setChecked(false);
    ui->spinBoxPixelsH->setValue(100);
    ui->spinBoxPixelsW->setValue(100);
}
