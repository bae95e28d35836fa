#include "modalanswerer.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

namespace {
const char *const AnsweredProperty = "_modalAnswererSeen";
}

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start(10);
}

void ModalAnswerer::clickButton(QMessageBox::StandardButton button)
{
    m_answers.enqueue({Answer::Click, button, {}});
}

void ModalAnswerer::pressEscape()
{
    m_answers.enqueue({Answer::Escape, QMessageBox::NoButton, {}});
}

void ModalAnswerer::chooseFile(const QString &path)
{
    m_answers.enqueue({Answer::File, QMessageBox::NoButton, path});
}

void ModalAnswerer::cancelFileDialog()
{
    m_answers.enqueue({Answer::CancelFile, QMessageBox::NoButton, {}});
}

void ModalAnswerer::chooseRow(int row, const QString &button)
{
    m_answers.enqueue({Answer::Row, QMessageBox::NoButton, button, row});
}

QStringList ModalAnswerer::texts() const
{
    QStringList result;
    for (const SeenDialog &dialog : seen)
        result << dialog.text;
    return result;
}

int ModalAnswerer::unscripted() const
{
    int count = 0;
    for (const SeenDialog &dialog : seen)
        count += dialog.scripted ? 0 : 1;
    return count;
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal->property(AnsweredProperty).toBool())
        return;
    modal->setProperty(AnsweredProperty, true);
    if (auto box = qobject_cast<QMessageBox *>(modal))
        answerMessageBox(box);
    else if (auto dialog = qobject_cast<QFileDialog *>(modal))
        answerFileDialog(dialog);
    else if (auto dialog = qobject_cast<QDialog *>(modal))
        answerListDialog(dialog);
}

void ModalAnswerer::answerListDialog(QDialog *dialog)
{
    SeenDialog seenDialog;
    seenDialog.kind = SeenDialog::ListDialog;
    seenDialog.title = dialog->windowTitle();
    QStringList labels;
    for (const QLabel *label : dialog->findChildren<QLabel *>())
        labels << label->text();
    // A view beside the list shows what the chosen row holds.
    for (const QPlainTextEdit *view : dialog->findChildren<QPlainTextEdit *>())
        labels << view->toPlainText();
    seenDialog.text = labels.join('\n');
    auto list = dialog->findChild<QListWidget *>();
    for (int row = 0; list && row < list->count(); ++row)
        seenDialog.rows << list->item(row)->text();
    seenDialog.scripted = !m_answers.isEmpty() && m_answers.head().kind == Answer::Row;
    seen << seenDialog;
    if (!seenDialog.scripted) {
        dialog->reject();
        return;
    }
    const Answer answer = m_answers.dequeue();
    if (list)
        list->setCurrentRow(answer.row);
    if (auto button = dialog->findChild<QAbstractButton *>(answer.path))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        dialog->reject();
}

void ModalAnswerer::answerMessageBox(QMessageBox *box)
{
    SeenDialog seenBox;
    seenBox.title = box->windowTitle();
    seenBox.text = box->text();
    seenBox.textFormat = box->textFormat();
    seenBox.icon = box->icon();
    seenBox.buttons = box->standardButtons();
    if (box->defaultButton())
        seenBox.defaultButton = box->standardButton(box->defaultButton());
    seenBox.scripted = !m_answers.isEmpty() && (m_answers.head().kind == Answer::Click
                                                || m_answers.head().kind == Answer::Escape);
    seen << seenBox;

    if (!seenBox.scripted) {
        QAbstractButton *button = box->defaultButton() ? static_cast<QAbstractButton *>(box->defaultButton())
                                                        : box->button(QMessageBox::Ok);
        if (button)
            button->click();
        else
            QTest::keyClick(box, Qt::Key_Escape);
        return;
    }
    const Answer answer = m_answers.dequeue();
    if (answer.kind == Answer::Escape) {
        QTest::keyClick(box, Qt::Key_Escape);
        return;
    }
    if (QAbstractButton *button = box->button(answer.button))
        button->click();
    else
        QTest::keyClick(box, Qt::Key_Escape);
}

void ModalAnswerer::answerFileDialog(QFileDialog *dialog)
{
    SeenDialog seenDialog;
    seenDialog.kind = SeenDialog::FileDialog;
    seenDialog.title = dialog->windowTitle();
    seenDialog.text = dialog->windowTitle();
    seenDialog.nameFilters = dialog->nameFilters();
    seenDialog.scripted = !m_answers.isEmpty() && (m_answers.head().kind == Answer::File
                                                   || m_answers.head().kind == Answer::CancelFile);
    seen << seenDialog;

    if (!seenDialog.scripted) {
        dialog->reject();
        return;
    }
    const Answer answer = m_answers.dequeue();
    if (answer.kind == Answer::CancelFile) {
        dialog->reject();
        return;
    }
    dialog->selectFile(answer.path);
    // selectFile() leaves the name field alone while it has the keyboard focus: type the name in then.
    auto nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (nameEdit && nameEdit->hasFocus())
        nameEdit->setText(answer.path);
    // accept() may ask to confirm an overwrite; that box is answered from the queue in turn.
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
}
