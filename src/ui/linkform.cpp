#include "ui/linkform.h"
#include "ui_linkform.h"

#include "ui/formscale.h"
#include "page/markup.h"
#include "ui/newsadder.h"

linkForm::linkForm(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::linkForm)
    , receiver(nullptr)
{
    ui->setupUi(this);
    scaleFormToFit(this);
}

linkForm::~linkForm()
{
    delete ui;
}

void linkForm::setReceiver(QObject *receiver)
{
    this->receiver = receiver;
    NewsAdder *window = static_cast<NewsAdder *>(NewsAdder::staticMetaObject.cast(receiver));
    if (window)
        connect(this, &linkForm::sendLink, window, &NewsAdder::recieveLink);
}

void linkForm::on_pushButtonOk_clicked()
{
    emit sendLink(linkFragment(ui->lineEditLinkText->text(), ui->lineEditAltT->text(),
                               ui->checkBoxNewWindow->isChecked()));
    resetFields();
    hide();
}

void linkForm::on_pushButtonCancel_clicked()
{
    resetFields();
    hide();
}

void linkForm::resetFields()
{
    ui->lineEditAltT->setText(QString());
    ui->lineEditLinkText->setText(QString());
    ui->checkBoxNewWindow->setChecked(true);
}
