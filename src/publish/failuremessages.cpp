#include "publish/failuremessages.h"

#include "transfer/failurereason.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

QString prefix(Failure failure)
{
    switch (failure) {
    case Failure::Download:
        return tr("Произошла ошибка загрузки файла новостей:");
    case Failure::Upload:
        return tr("Произошла ошибка сохранения файла на сервере:");
    case Failure::LocalSave:
        return tr("Произошла ошибка сохранения файла на жестком диске.");
    case Failure::UnreadableUpload:
        return tr("Произошла ошибка загрузки файла новостей на сервер - файл не читается с диска");
    case Failure::InsertionRead:
        return tr("Произошла ошибка добавления новости в файл. (чтение)");
    case Failure::InsertionWrite:
        return tr("Произошла ошибка записи новости в файл.");
    case Failure::LocalPicture:
        return tr("Картинка с диска не годится для отправки:");
    case Failure::PictureUpload:
        return tr("Произошла ошибка отправки картинки на сервер:");
    }
    return QString();
}

} // namespace

QString failureMessage(Failure failure, const QString &reason)
{
    return prefix(failure) + QLatin1Char(' ') + reason;
}

QString nothingSent(const QString &fileName, LocalAccess access, const QString &error)
{
    return localFileProblem(fileName, access, error) + QLatin1Char(' ')
           + tr("На сервер ничего не отправлено.");
}
