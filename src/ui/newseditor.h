#ifndef NEWSEDITOR_H
#define NEWSEDITOR_H

#include <QPlainTextEdit>

class QMimeData;

// The item's editor: a paste or a drop of a browser's or a word processor's HTML goes in as the
// program's own markup, pictures from the clipboard or a file manager as pictures from the disk;
// Ctrl+Shift+V pastes the plain text. Each one undo step, the keyboard kept behind what went in.
class NewsEditor : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit NewsEditor(QWidget *parent = nullptr);

    // Where pasted pictures are saved.
    void setPictureFolder(const QString &folder) { pictureFolder = folder; }
    // What a paste or a drop at the cursor would put in, for the window's own drops as well.
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;

signals:
    // What went in is short of what was pasted or dropped, and why.
    void refused(const QString &message);

protected:
    // Only the plain text: the editor's text is markup already, and its HTML would be escaped.
    QMimeData *createMimeDataFromSelection() const override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString droppedFiles(const QList<QUrl> &urls);
    QString pastedImage(const QMimeData *source);
    QString pictureFromHtml(const QString &address);
    void insertMarkup(const QString &markup);

    QString pictureFolder;
};

#endif // NEWSEDITOR_H
