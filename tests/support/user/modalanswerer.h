#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTimer>

// What the user saw in one modal dialog.
struct SeenDialog
{
    enum Kind { MessageBox, FileDialog } kind = MessageBox;
    QString title;
    QString text;                          // message text, or the file dialog's caption
    Qt::TextFormat textFormat = Qt::AutoText;  // message boxes only
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QStringList nameFilters;               // file dialogs only
    bool scripted = true;                  // false when no answer was queued for it
};

// Plays the user in front of modal dialogs: watches QApplication::activeModalWidget(), records
// every message box and file dialog shown, and answers each with the next scripted answer.
// Unscripted message boxes are closed with their default or only button, and counted.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit ModalAnswerer(QObject *parent = nullptr);

    void clickButton(QMessageBox::StandardButton button = QMessageBox::Ok);
    void pressEscape();
    void chooseFile(const QString &path);   // a file dialog is accepted with this name
    void cancelFileDialog();

    QList<SeenDialog> seen;
    QStringList texts() const;
    int unscripted() const;
    int pendingAnswers() const { return m_answers.size(); }
    // How often the dialogs are looked for; a benchmark wants it short.
    void setPollInterval(int msecs) { m_timer.setInterval(msecs); }

private:
    struct Answer
    {
        enum Kind { Click, Escape, File, CancelFile } kind;
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        QString path;
    };

    void poll();
    void answerMessageBox(QMessageBox *box);
    void answerFileDialog(class QFileDialog *dialog);

    QQueue<Answer> m_answers;
    QTimer m_timer;
};

#endif // MODALANSWERER_H
