// NewsAdder correcting a published item: the item's text and date in the editor, «Отправить» replacing
// it on the page, and the editor's draft from before given back when the correction ends.
#include "ui/newsadder.h"
#include "ui_newsadder.h"

#include "publish/publisher.h"

#include <QTimer>

void NewsAdder::beginCorrection(const PublishedItem &item)
{
    // Correcting another item instead keeps the draft from before the first.
    if (corrected.isNull())
        draftBeforeCorrection = ui->textEdit->document()->toRawText();
    ui->textEdit->setPlainText(item.text);
    ui->textEdit->moveCursor(QTextCursor::End);
    showCorrection(item);
    keepDraft();
}

void NewsAdder::showCorrection(const PublishedItem &item)
{
    corrected = item;
    dateFollowsClock = false;
    ui->dateTimeEdit->setDateTime(item.date());
    ui->correctionLabel->setText(tr("Исправление новости от %1").arg(shownDate(item)));
    ui->correctionLabel->show();
    ui->cancelCorrectionButton->show();
}

void NewsAdder::endCorrection()
{
    corrected = {};
    ui->correctionLabel->hide();
    ui->cancelCorrectionButton->hide();
    ui->textEdit->setPlainText(draftBeforeCorrection);
    ui->textEdit->moveCursor(QTextCursor::End);
    draftBeforeCorrection.clear();
    dateFollowsClock = true;
    followClock();
    keepDraft();
}

void NewsAdder::on_cancelCorrectionButton_clicked()
{
    endCorrection();
}

void NewsAdder::pageChanged()
{
    draftTimer->stop();
    EditorState state = stateNow();
    state.login = m_publisher->access().login;
    keepState(state);
}
