#include "ui/historydialog.h"
#include "ui_historydialog.h"

#include "page/pagecomparison.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QThread>

#include <memory>

namespace {

// Pages together larger than this are compared off the GUI thread (some 50 ms on a slow machine).
const int CompareInPlace = 512 * 1024;

// The version before row's command against page, for the user.
QString comparedText(const QString &backup, const QByteArray &page)
{
    QByteArray version;
    const QString problem = pageVersionProblem(backup, &version);
    if (!problem.isEmpty())
        return QCoreApplication::translate("NewsAdder", "Сравнить нельзя: %1.").arg(problem);
    return comparisonText(comparePages(version, page));
}

} // namespace

HistoryDialog::HistoryDialog(const QVector<HistoryRow> &rows, const QByteArray &page, const QString &note,
                             QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::HistoryDialog)
    , m_rows(rows)
    , m_page(page)
{
    ui->setupUi(this);
    QStringList texts;
    texts.reserve(rows.size());
    for (const HistoryRow &row : rows)
        texts << historyRowText(row);
    ui->historyList->addItems(texts);
    QString shown = rows.isEmpty() ? tr("В папке сайта нет резервных копий: вернуться пока не к чему.")
                                   : tr("Версий страницы: %1. Выбранная — страница, какой она была до этой команды.")
                                         .arg(rows.size());
    if (!note.isEmpty())
        shown += QLatin1Char('\n') + note;
    ui->noteLabel->setText(shown);
    ui->rollbackButton->setEnabled(!rows.isEmpty());
    ui->splitter->setSizes({width() * 11 / 20, width() * 9 / 20});
    connect(ui->historyList, &QListWidget::currentRowChanged, this, &HistoryDialog::compare);
    ui->historyList->setCurrentRow(0);
}

HistoryDialog::~HistoryDialog()
{
    delete ui;
}

QString HistoryDialog::comparison() const
{
    return ui->historyView->toPlainText();
}

void HistoryDialog::compare(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    const QString backup = m_rows.at(row).backup;
    const QString heading = tr("До команды %1 страница отличалась от нынешней так:\n\n").arg(historyTime(m_rows.at(row).time));
    if (QFileInfo(backup).size() + m_page.size() <= CompareInPlace) {
        showComparison(row, heading + comparedText(backup, m_page));
        return;
    }
    ui->historyView->setPlainText(tr("Сравнение…"));
    // The thread touches no widget and nobody waits for it: its text reaches the dialog only while
    // the dialog is open and still on that row.
    QPointer<HistoryDialog> dialog(this);
    const QByteArray page = m_page;
    auto text = std::make_shared<QString>();
    QThread *thread = QThread::create([backup, page, text] { *text = comparedText(backup, page); });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [dialog, row, heading, text] {
        if (dialog)
            dialog->showComparison(row, heading + *text);
    });
    thread->start();
}

void HistoryDialog::showComparison(int row, const QString &text)
{
    if (ui->historyList->currentRow() == row)
        ui->historyView->setPlainText(text);
}

void HistoryDialog::on_rollbackButton_clicked()
{
    m_rollbackRow = ui->historyList->currentRow();
    if (m_rollbackRow >= 0)
        accept();
}
