#include "newsadder.h"
#include "ui_newsadder.h"

#include "cimglinkdialog.h"
#include "linkform.h"
#include "formscale.h"
#include "markup.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QTextCursor>

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
    scaleFormToFit(this);
    restoreKeptState();
}

NewsAdder::~NewsAdder()
{
    delete ui;
}

// --- Editor commands -------------------------------------------------------

namespace {

// Inserting through a copy of the editor's cursor leaves the editor's own cursor behind the
// inserted text; the edit block keeps each command one undo step of its own, never merged
// with the typing or the insertion just before it.
void insertAtCursor(QPlainTextEdit *editor, const QString &text)
{
    QTextCursor cursor = editor->textCursor();
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
}

void wrapSelection(QPlainTextEdit *editor, const MarkupTags &tags)
{
    insertAtCursor(editor, wrapText(tags, editor->textCursor().selectedText()));
}

} // namespace

void NewsAdder::recieveLink(QString link)
{
    qDebug() << link;
    insertAtCursor(ui->textEdit, link);
}

void NewsAdder::on_linkButton_clicked()
{
    linkDialog->show();
}

void NewsAdder::on_boldTagButton_clicked()
{
    wrapSelection(ui->textEdit, boldTags());
}

void NewsAdder::on_italicTagButton_clicked()
{
    wrapSelection(ui->textEdit, italicTags());
}

void NewsAdder::on_underlineTagButton_clicked()
{
    wrapSelection(ui->textEdit, underlineTags());
}

void NewsAdder::on_pushButtonSetFontSize_clicked()
{
    wrapSelection(ui->textEdit, fontSizeTags(ui->spinBoxFontSize->value()));
}

void NewsAdder::on_pushButtonSetFontColor_clicked()
{
    wrapSelection(ui->textEdit, fontColorTags(ui->comboBoxFontColor->currentIndex()));
}

void NewsAdder::on_pushButtonImageLink_clicked()
{
    imgLinkDialog->show();
}

void NewsAdder::on_undoButton_clicked()
{
    ui->textEdit->undo();
}

void NewsAdder::on_redoBtn_clicked()
{
    ui->textEdit->redo();
}
