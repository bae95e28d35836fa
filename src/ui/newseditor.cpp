#include "ui/newseditor.h"

#include "page/clipboardhtml.h"
#include "page/markup.h"
#include "publish/pastedpicture.h"
#include "publish/picturefile.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QKeyEvent>
#include <QTextDocumentFragment>
#include <QMimeData>
#include <QUrl>

namespace {

// Another program's clipboard offers the picture as PNG, this one's as an image.
bool hasPicture(const QMimeData *source)
{
    return source->hasImage() || source->hasFormat(QStringLiteral("image/png"));
}

} // namespace

NewsEditor::NewsEditor(QWidget *parent)
    : QPlainTextEdit(parent)
{
}

bool NewsEditor::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasUrls() || hasPicture(source) || source->hasHtml() || QPlainTextEdit::canInsertFromMimeData(source);
}

QMimeData *NewsEditor::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    data->setText(textCursor().selection().toPlainText());
    return data;
}

void NewsEditor::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_V && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) {
        insertMarkup(QApplication::clipboard()->text());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void NewsEditor::insertFromMimeData(const QMimeData *source)
{
    QList<QUrl> files;
    for (const QUrl &url : source->urls()) {
        if (url.isLocalFile())
            files << url;
    }
    if (!files.isEmpty()) {
        insertMarkup(droppedFiles(files));
    } else if (source->hasHtml()) {
        const QString html = source->html();
        if (html.size() > MaxClipboardHtml) {
            emit refused(tr("Текст в буфере обмена — больше %1 МБ разметки HTML: он вставлен без оформления.")
                             .arg(MaxClipboardHtml / (1024 * 1024)));
            insertMarkup(source->text());
        } else {
            const QString markup = editorMarkupFromHtml(html, [this](const QString &address) { return pictureFromHtml(address); });
            // A browser's "copy image" names the picture on the web too: the picture itself is wanted.
            const bool onlyPicture = markup.startsWith(QLatin1String("<img ")) && markup.count(QLatin1Char('<')) == 1;
            insertMarkup(onlyPicture && hasPicture(source) ? pastedImage(source) : markup);
        }
    } else if (hasPicture(source)) {
        insertMarkup(pastedImage(source));
    } else {
        insertMarkup(source->text());
    }
}

void NewsEditor::insertMarkup(const QString &markup)
{
    if (!markup.isEmpty()) {
        QTextCursor cursor = textCursor();
        cursor.beginEditBlock();
        cursor.insertText(markup);
        cursor.endEditBlock();
        setTextCursor(cursor);
        ensureCursorVisible();
    }
    setFocus();
}

QString NewsEditor::droppedFiles(const QList<QUrl> &urls)
{
    QString markup;
    QStringList refusedFiles;
    for (const QUrl &url : urls) {
        const QString problem = pictureProblem(url.toLocalFile());
        if (problem.isEmpty())
            markup += imageFragment(url.toString(), 0, NoAlignment, false, 0, 0, QString(), DefaultShrinkWidth);
        else
            refusedFiles << tr("%1 — %2").arg(QDir::toNativeSeparators(url.toLocalFile()), problem);
    }
    if (!refusedFiles.isEmpty())
        emit refused(tr("Не вставлены, это не картинки, которые можно отправить:") + QLatin1Char('\n')
                     + refusedFiles.join(QLatin1Char('\n')));
    return markup;
}

QString NewsEditor::pastedImage(const QMimeData *source)
{
    const QByteArray png = source->data(QStringLiteral("image/png"));
    const PastedPicture pasted = savePastedPicture(png, png.isEmpty() ? qvariant_cast<QImage>(source->imageData()) : QImage(),
                                                   pictureFolder, QDateTime::currentDateTime());
    if (!pasted.problem.isEmpty()) {
        emit refused(pasted.problem);
        return QString();
    }
    return imageFragment(QUrl::fromLocalFile(pasted.filePath).toString(), 0, NoAlignment, false, 0, 0, QString(),
                         DefaultShrinkWidth);
}

// A picture the HTML names on the disk goes in as it is; one inside it (data:) is saved as a pasted one.
QString NewsEditor::pictureFromHtml(const QString &address)
{
    const QUrl url(address);
    if (url.isLocalFile())
        return pictureProblem(url.toLocalFile()).isEmpty() ? url.toString() : QString();
    const int comma = address.indexOf(QLatin1Char(','));
    if (comma < 0 || !address.left(comma).endsWith(QLatin1String(";base64"), Qt::CaseInsensitive))
        return QString();
    const PastedPicture pasted = savePastedPicture(QByteArray::fromBase64(address.mid(comma + 1).toLatin1()), QImage(),
                                                   pictureFolder, QDateTime::currentDateTime());
    if (!pasted.problem.isEmpty()) {
        emit refused(pasted.problem);
        return QString();
    }
    return QUrl::fromLocalFile(pasted.filePath).toString();
}
