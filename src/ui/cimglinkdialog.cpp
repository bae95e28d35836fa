#include "ui/cimglinkdialog.h"
#include "ui_cimglinkdialog.h"

#include "ui/formscale.h"
#include "page/localpictures.h"
#include "page/markup.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

cImgLinkDialog::cImgLinkDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::cImgLinkDialog)
    , receiver(nullptr)
{
    ui->setupUi(this);
    scaleFormToFit(this);
    connect(ui->checkBoxShrink, &QCheckBox::toggled, ui->spinBoxShrinkWidth, &QWidget::setEnabled);
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
    // Only a picture from the disk is shrunk: one on the web is served as it is.
    const QString address = ui->lineEdit->text();
    const int shrinkWidth = isLocalAddress(address) && ui->checkBoxShrink->isChecked() ? ui->spinBoxShrinkWidth->value() : 0;
    emit sendImgLink(imageFragment(address, ui->spinBoxBorderSize->value(), ui->comboBoxAlign->currentIndex(),
                                   ui->checkBoxChangeImgSize->isChecked(),
                                   ui->spinBoxPixelsW->value(), ui->spinBoxPixelsH->value(),
                                   ui->lineEditImgAltText->text(), shrinkWidth));
    resetFields();
    hide();
}

void cImgLinkDialog::on_pushButtonCancel_clicked()
{
    resetFields();
    hide();
}

void cImgLinkDialog::on_pushButtonChooseFile_clicked()
{
    const QString file = QFileDialog::getOpenFileName(this, tr("Выберите картинку"), m_pictureFolder,
                                                      tr("Картинки (*.jpg *.jpeg *.png *.gif *.webp)"));
    if (file.isEmpty())
        return;
    // The next choice starts where the editor's pictures are.
    m_pictureFolder = QFileInfo(file).absolutePath();
    ui->lineEdit->setText(QUrl::fromLocalFile(file).toString());
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
    ui->checkBoxShrink->setChecked(true);
    ui->spinBoxShrinkWidth->setValue(DefaultShrinkWidth);
}
