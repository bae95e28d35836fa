// NewsAdder's state between runs and edits: the item's date following the clock, the remembered
// login and the draft of an item not sent yet.
#include "ui/newsadder.h"
#include "ui_newsadder.h"

#include "transfer/failurereason.h"
#include "publish/passwordstore.h"
#include "publish/publisher.h"
#include "ui/rememberedpassword.h"
#include "ui/windowuserinterface.h"

#include <QCloseEvent>
#include <QDir>
#include <QTimer>

// Often enough for the shown minute to change with the clock's, even after a suspend.
static const int ClockCheckInterval = 1000;
// A crash loses at most what was typed in this time.
static const int DraftDelay = 2000;

void NewsAdder::restoreKeptState()
{
    rememberedPassword = new RememberedPassword(
        ui->rememberPasswordBox, ui->passEdit,
        [this] { return PasswordStore::entryFor(remoteFtpPath, ui->loginEdit->text()); }, this);
    connect(rememberedPassword, &RememberedPassword::rememberChanged, this, &NewsAdder::keepDraft);

    draftTimer = new QTimer(this);
    draftTimer->setSingleShot(true);
    draftTimer->setInterval(DraftDelay);
    connect(draftTimer, &QTimer::timeout, this, &NewsAdder::keepDraft);
    connect(ui->textEdit, &QPlainTextEdit::textChanged, draftTimer, qOverload<>(&QTimer::start));

    connect(ui->dateTimeEdit, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (!dateFromClock)
            dateFollowsClock = false;
    });
    clockTimer = new QTimer(this);
    clockTimer->setInterval(ClockCheckInterval);
    connect(clockTimer, &QTimer::timeout, this, &NewsAdder::followClock);
    clockTimer->start();
    loadKeptState();
}

void NewsAdder::loadKeptState()
{
    // Fixed now: the draft of this folder's site goes back to this folder.
    stateFile = QDir::current().absoluteFilePath(QString::fromLatin1(EditorStateFileName));
    keptState = readEditorState(stateFile);
    stateFailureSaid = false;
    sentText.clear();
    corrected = {};
    draftBeforeCorrection.clear();
    ui->correctionLabel->hide();
    ui->cancelCorrectionButton->hide();
    ui->loginEdit->setText(keptState.login);
    ui->passEdit->clear();
    rememberedPassword->restore(keptState.rememberPassword);
    ui->textEdit->setPlainText(keptState.draft);
    ui->textEdit->moveCursor(QTextCursor::End);
    draftTimer->stop();
    dateFollowsClock = true;
    followClock();
    if (!keptState.corrected.isNull()) {
        draftBeforeCorrection = keptState.draftBeforeCorrection;
        showCorrection(keptState.corrected);
    }
}

bool NewsAdder::openSite(const QString &folder)
{
    draftTimer->stop();
    keepDraft();
    if (!QDir::setCurrent(folder)) {
        m_user->showMessage(tr("Папка сайта %1 не открывается.").arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    const Settings settings = readSettings(QString::fromLatin1(SettingsFileName));
    remotePath = settings.remotePath;
    remoteFtpPath = settings.remoteFtpPath;
    caCertFile = settings.caCertFile;
    setPageUrl(settings.pageUrl);
    setImageFolder(settings.imageFolder);
    setFeed(settings.feed, settings.feedItems);
    setKeepBackups(settings.keepBackups);
    loadKeptState();
    if (!settings.problems.isEmpty())
        m_user->showMessage(settings.problems.join(QLatin1String("\n\n")));
    return true;
}

void NewsAdder::setClock(std::function<QDateTime()> clock)
{
    this->clock = std::move(clock);
    followClock();
}

void NewsAdder::followClock()
{
    if (!dateFollowsClock)
        return;
    QDateTime now = clock();
    now.setTime(QTime(now.time().hour(), now.time().minute()));
    dateFromClock = true;
    ui->dateTimeEdit->setDateTime(now);
    dateFromClock = false;
}

void NewsAdder::sendSucceeded()
{
    sentText = ui->textEdit->document()->toRawText();
    draftTimer->stop();
    keepState({m_publisher->access().login, QString(), ui->rememberPasswordBox->isChecked()});
    rememberedPassword->worked(m_publisher->access().password);
    dateFollowsClock = true;
    followClock();
}

EditorState NewsAdder::stateNow() const
{
    const QString text = ui->textEdit->document()->toRawText();
    // A correction keeps its text even where it reads as the last item sent.
    return {keptState.login, text == sentText && corrected.isNull() ? QString() : text,
            ui->rememberPasswordBox->isChecked(), corrected, draftBeforeCorrection};
}

void NewsAdder::keepDraft()
{
    keepState(stateNow());
}

void NewsAdder::keepState(const EditorState &state)
{
    if (state == keptState)
        return;
    QString error;
    if (saveEditorState(stateFile, state, &error)) {
        keptState = state;
        return;
    }
    // Said once: the editor can go on working, and is not interrupted again every two seconds.
    if (stateFailureSaid)
        return;
    stateFailureSaid = true;
    m_user->showMessage(tr("Черновик новости и логин не сохраняются до следующего запуска.") + QLatin1Char(' ')
                + localFileProblem(stateFile, LocalAccess::Write, error));
}

void NewsAdder::closeEvent(QCloseEvent *event)
{
    draftTimer->stop();
    keepDraft();
    QMainWindow::closeEvent(event);
}
