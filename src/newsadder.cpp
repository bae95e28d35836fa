#include "newsadder.h"
#include "ui_newsadder.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>

NewsAdder::NewsAdder(QString remotePath, QString remoteFtpPath, QString host, int port, QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::NewsAdder)
{
    newsFile = new QFile(QStringLiteral("news.html"), this);
    backupFile = new QFile(QStringLiteral("news.bak"), this);
    login = QString();
    password = QString();
    this->remotePath = remotePath;
    this->remoteFtpPath = remoteFtpPath;
    serverHost = host;
    serverPort = port;
    linkDialog = nullptr;
    imgLinkDialog = nullptr;
    qDebug() << "HOST" << serverHost;
    ui->setupUi(this);
    // The item's date defaults to the moment the editor was opened.
    ui->dateTimeEdit->setDateTime(QDateTime::currentDateTime());
}

NewsAdder::~NewsAdder()
{
    delete ui;
}

// --- Editor commands -------------------------------------------------------

void NewsAdder::recieveLink(QString link)
{
    Q_UNUSED(link)
}

void NewsAdder::on_linkButton_clicked() {}
void NewsAdder::on_boldTagButton_clicked() {}
void NewsAdder::on_italicTagButton_clicked() {}
void NewsAdder::on_underlineTagButton_clicked() {}
void NewsAdder::on_pushButtonSetFontSize_clicked() {}
void NewsAdder::on_pushButtonSetFontColor_clicked() {}
void NewsAdder::on_pushButtonImageLink_clicked() {}
void NewsAdder::on_undoButton_clicked() {}
void NewsAdder::on_redoBtn_clicked() {}
