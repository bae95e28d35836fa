#include "ui/newsadder.h"
#include "ui_newsadder.h"

#include "ui/cimglinkdialog.h"
#include "ui/editorspelling.h"
#include "ui/linkform.h"
#include "ui/formscale.h"
#include "page/markup.h"
#include "publish/publisher.h"
#include "ui/runningcommand.h"
#include "ui/windowuserinterface.h"
#include "publish/sitelist.h"
#include "publish/unattendeduser.h"
#include "publish/wordlist.h"
#include "page/newsitem.h"
#include "ui/previewplacement.h"
#include "ui/previewwindow.h"
#include "ui/publisheddialog.h"
#include "publish/pastedpicture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>

NewsAdder::NewsAdder(QString remotePath, QString remoteFtpPath, QString host, int port, QWidget *parent)
    : QMainWindow(parent)
    , remotePath(remotePath)
    , remoteFtpPath(remoteFtpPath)
    , linkDialog(nullptr)
    , imgLinkDialog(nullptr)
    , ui(new Ui::NewsAdder)
    , transferIdleTimeout(DefaultIdleTimeout)
    , m_user(new WindowUserInterface(this))
    , m_publisher(new Publisher(*m_user))
{
    // The port is part of the addresses; the host is only logged.
    Q_UNUSED(port)
    qDebug() << "HOST" << host;
    ui->setupUi(this);
    scaleFormToFit(this);
    ui->correctionLabel->hide();
    ui->cancelCorrectionButton->hide();
    restoreKeptState();
    startQueue();
    // The editor's words, one list for all sites.
    new EditorSpelling(ui->textEdit, QDir(editorsFolder(QDir::currentPath())).filePath(QString::fromLatin1(WordListFileName)),
                       *m_user);
    connect(ui->previewButton, &QPushButton::clicked, this, &NewsAdder::showPreview);
    ui->textEdit->setPictureFolder(QDir::current().absoluteFilePath(QString::fromLatin1(PastedPictureFolder)));
    // Told once the paste or the drop is over: a drop waits for its end, its source with it.
    connect(ui->textEdit, &NewsEditor::refused, this, [this](const QString &message) { m_user->showMessage(message); },
            Qt::QueuedConnection);
    // Pictures dropped anywhere on the window go in at the editor's cursor.
    setAcceptDrops(true);
}

NewsAdder::~NewsAdder()
{
    delete ui;
}

void NewsAdder::setTransferIdleTimeout(int msecs)
{
    transferIdleTimeout = msecs;
}

Publisher &NewsAdder::publisher()
{
    m_publisher->setAccess(accessNow());
    m_publisher->setKeepBackups(keepBackups);
    return *m_publisher;
}

ServerAccess NewsAdder::accessNow() const
{
    ServerAccess access;
    access.downloadAddress = remotePath;
    access.uploadAddress = remoteFtpPath;
    access.caCertFile = caCertFile;
    access.login = ui->loginEdit->text();
    access.password = ui->passEdit->text();
    access.idleTimeout = transferIdleTimeout;
    access.imageFolder = imageFolder;
    access.pageUrl = pageUrl;
    access.feedName = feedName;
    access.feedItems = feedItems;
    return access;
}

// --- Publishing commands: one at a time, their buttons off while it runs ---------------------

QList<QWidget *> NewsAdder::publishingButtons() const
{
    return {ui->sendButton,      ui->pushButton, ui->restoreButton, ui->publishedButton,
            ui->cancelCorrectionButton, ui->historyButton, ui->siteCombo, ui->siteButton,
            ui->scheduleButton, ui->queueButton};
}

QComboBox *NewsAdder::siteCombo() const
{
    return ui->siteCombo;
}

QPushButton *NewsAdder::siteButton() const
{
    return ui->siteButton;
}

QLineEdit *NewsAdder::loginEdit() const
{
    return ui->loginEdit;
}

QLineEdit *NewsAdder::passwordEdit() const
{
    return ui->passEdit;
}

QCheckBox *NewsAdder::rememberPasswordBox() const
{
    return ui->rememberPasswordBox;
}

void NewsAdder::on_sendButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (command.refused())
        return;
    // The raw text: the plain text would turn non-breaking spaces into spaces.
    const QString text = ui->textEdit->document()->toRawText();
    if (!corrected.isNull()) {
        if (publisher().correct(corrected, text, ui->dateTimeEdit->dateTime()).succeeded()) {
            endCorrection();
            pageChanged();
        }
    } else if (publisher().send(text, ui->dateTimeEdit->dateTime()).succeeded()) {
        sendSucceeded();
    }
}

void NewsAdder::on_publishedButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    QVector<PublishedItem> items;
    if (command.refused() || !publisher().listPublished(items).succeeded())
        return;
    PublishedDialog dialog(items, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const PublishedItem &item = items.at(dialog.chosenRow());
    if (dialog.choice() == PublishedDialog::Correct)
        beginCorrection(item);
    else if (publisher().remove(item).succeeded())
        pageChanged();
}

void NewsAdder::on_pushButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (!command.refused())
        publisher().backup();
}

void NewsAdder::on_restoreButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (!command.refused())
        publisher().restore();
}

void NewsAdder::setPageUrl(const QString &url)
{
    pageUrl = url;
    if (preview)
        preview->setPageUrl(url);
}

void NewsAdder::showPreview()
{
    if (!preview) {
        // The item exactly as the send composes it, date line included.
        preview = new PreviewWindow(
            [this] { return composeNewsItem(ui->textEdit->document()->toRawText(), ui->dateTimeEdit->dateTime()); },
            this);
        preview->setPageUrl(pageUrl);
        connect(ui->textEdit, &QPlainTextEdit::textChanged, preview, &PreviewWindow::itemChanged);
        connect(ui->dateTimeEdit, &QDateTimeEdit::dateTimeChanged, preview, &PreviewWindow::itemChanged);
        // Beside the window, where the editor sees both, and wholly on its screen at any scale; the
        // preview's frame is taken to be as wide as the window's own.
        const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                             frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
        const QRect placed = placedBeside(frameGeometry(), preview->size().grownBy(frame), screen()->availableGeometry());
        preview->resize(placed.size().shrunkBy(frame));
        preview->move(placed.topLeft());
    }
    preview->setCaCertFile(caCertFile);
    preview->show();
    preview->raise();
    preview->activateWindow();
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

// An empty pair leaves the cursor between its tags, so that typing goes inside.
void wrapSelection(QPlainTextEdit *editor, const MarkupTags &tags)
{
    const bool empty = !editor->textCursor().hasSelection();
    insertAtCursor(editor, wrapText(tags, editor->textCursor().selectedText()));
    if (empty) {
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(cursor.position() - tags.closing.size());
        editor->setTextCursor(cursor);
    }
    // A clicked button would keep the keyboard, and Space would click it again.
    editor->setFocus();
}

} // namespace

void NewsAdder::recieveLink(QString link)
{
    qDebug() << link;
    insertAtCursor(ui->textEdit, link);
}

void NewsAdder::on_linkButton_clicked()
{
    showDialog(linkDialog);
}

void NewsAdder::showDialog(QWidget *dialog)
{
    // However it closes, the keyboard goes back to the editor, at the cursor.
    dialog->installEventFilter(this);
    dialog->show();
}

bool NewsAdder::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && (watched == linkDialog || watched == imgLinkDialog)) {
        activateWindow();
        ui->textEdit->setFocus();
    }
    return QMainWindow::eventFilter(watched, event);
}

void NewsAdder::dragEnterEvent(QDragEnterEvent *event)
{
    if (ui->textEdit->canInsertFromMimeData(event->mimeData()))
        event->acceptProposedAction();
}

void NewsAdder::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    activateWindow();
    ui->textEdit->insertFromMimeData(event->mimeData());
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
    showDialog(imgLinkDialog);
}

void NewsAdder::on_undoButton_clicked()
{
    ui->textEdit->undo();
    ui->textEdit->setFocus();
}

void NewsAdder::on_redoBtn_clicked()
{
    ui->textEdit->redo();
    ui->textEdit->setFocus();
}
