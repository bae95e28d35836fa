// The send's pictures from the editor's disk: read and checked first, uploaded beside the page once
// the item is sure to go, removed again should the page not change.
#include "publish/publisher.h"

#include "publish/failuremessages.h"
#include "transfer/failurereason.h"
#include "publish/localfile.h"
#include "page/localpictures.h"
#include "publish/picturefile.h"
#include "page/picturename.h"
#include "transfer/pictureupload.h"
#include "page/repeateditem.h"
#include "publish/userinterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

// The clean name of filePath, with the extension its content calls for where the name's own differs.
QString nameWithExtension(const QString &filePath, const QString &extension)
{
    const QString name = pictureName(filePath);
    const QString own = QFileInfo(name).suffix();
    if (own == extension || (own == QLatin1String("jpeg") && extension == QLatin1String("jpg")))
        return name;
    return name.left(name.size() - own.size()) + extension;
}

} // namespace

QStringList Publisher::pictureFolder() const
{
    if (!imageFolderProblem(m_access.imageFolder).isEmpty())
        return QStringList();
    QStringList parts = QString(m_access.imageFolder).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    parts.removeAll(QString());
    parts.removeAll(QStringLiteral("."));
    return parts;
}

PublishResult Publisher::readPictures(const QString &item, QList<Picture> *pictures)
{
    const QList<LocalPicture> named = localPictures(item);
    if (!named.isEmpty() && pictureFolder().isEmpty()) {
        tell(imageFolderProblem(m_access.imageFolder) + QLatin1Char(' ') + tr("На сервер ничего не отправлено."));
        return result(PublishResult::Failed);
    }
    for (const LocalPicture &local : named) {
        const PreparedPicture prepared = preparePicture(local.filePath, local.shrinkWidth);
        if (!prepared.problem.isEmpty()) {
            return failed(Failure::LocalPicture, tr("%1 — %2. Новость не добавлена, на сервер ничего не отправлено.")
                                                     .arg(QDir::toNativeSeparators(local.filePath), prepared.problem));
        }
        pictures->append({local.filePath, nameWithExtension(local.filePath, prepared.extension), prepared.bytes});
    }
    return result(PublishResult::Done);
}

QString Publisher::pictureFolderAddress() const
{
    QString folder;
    for (const QString &part : pictureFolder())
        folder += QString::fromUtf8(QUrl::toPercentEncoding(part)) + QLatin1Char('/');
    return folder;
}

QString Publisher::publishedItem(const QString &item, const QList<Picture> &pictures, const QStringList &names) const
{
    const QString folder = pictureFolderAddress();
    QHash<QString, QString> addresses;
    for (int i = 0; i < pictures.size(); ++i)
        addresses.insert(pictures.at(i).filePath, folder + names.value(i));
    return withPictureAddresses(item, addresses);
}

PublishResult Publisher::uploadPictures(const QList<Picture> &pictures, QStringList *names)
{
    m_pictures.reset(new PictureUpload(session(), m_access.uploadAddress, pictureFolder(), m_access.login,
                                       m_access.password));
    TransferResult transfer = m_pictures->makeFolder();
    if (transfer.succeeded()) {
        for (const Picture &picture : pictures) {
            QString name;
            transfer = m_pictures->put(picture.name, picture.bytes, &name);
            if (!transfer.succeeded()) {
                transfer.errorText = QDir::toNativeSeparators(picture.filePath) + QStringLiteral(" — ")
                                     + failureReason(transfer, m_access.uploadAddress);
                break;
            }
            names->append(name);
        }
    } else if (transfer.status != TransferResult::Unfinished) {
        transfer.errorText = tr("папка для картинок «%1» не создана: %2")
                                 .arg(pictureFolder().join(QLatin1Char('/')), failureReason(transfer, m_access.uploadAddress));
    }
    if (transfer.succeeded())
        return result(PublishResult::Done);
    // What went up is removed as the transfers end, before the message.
    if (transfer.status == TransferResult::Unfinished)
        return result(PublishResult::Interrupted);
    return failed(Failure::PictureUpload,
                  transfer.errorText + QLatin1Char(' ') + tr("Страница новостей не изменена, новость не добавлена."));
}

// The pictures go up once the page is fetched and the change sure to go; should the page not take
// it after all, the transfers' end removes them again.
PublishResult Publisher::publishWithPictures(const QList<Picture> &pictures)
{
    const QString item = m_change.item;
    const bool inserting = m_change.replaced.isNull();
    if (inserting) {
        // The same item sent before has its pictures on the page under their clean names, or those
        // numbered where they were taken.
        QStringList firstNames;
        for (const Picture &picture : pictures)
            firstNames << picture.name;
        QString sent = publishedItem(item, pictures, firstNames);
        QByteArray read;
        const bool held = m_pageIsWorkingCopy || readWholeFile(workingCopy(), read);
        const QByteArray &page = m_pageIsWorkingCopy ? m_page : read;
        QByteArray unnumbered;
        if (!pictures.isEmpty()) {
            const QString folder = pictureFolderAddress();
            sent = withoutNameNumbers(sent, folder);
            unnumbered = withoutNameNumbers(QString::fromLatin1(page), folder).toLatin1();
        }
        if (held && pageHoldsItem(pictures.isEmpty() ? page : unnumbered, sent) && !m_user.confirmRepeatedItem()) {
            return uploadCancelled();
        }
    }
    if (!pictures.isEmpty()) {
        QStringList names;
        const PublishResult uploaded = uploadPictures(pictures, &names);
        if (!uploaded.succeeded())
            return uploaded;
        m_item = publishedItem(item, pictures, names);
        m_change.item = m_item;
    }
    bool markerMissing = false;
    if (!editWorkingCopy(&markerMissing).succeeded()) {
        // The missing marker's message, and a changed item's, say all there is to say.
        if (inserting && !markerMissing)
            tell(tr("Проблема добавления новостей. Плохой файл с сервера?"));
        return result(PublishResult::Failed);
    }
    return uploadWorkingCopy();
}
