#include "transfer/failurereason.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <curl/curl.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

// host:port as the address writes them, so that the editor can compare with settings.ini.
QString serverOf(const QString &address)
{
    const QUrl url(address);
    return url.port() == -1 ? url.host() : url.host() + QLatin1Char(':') + QString::number(url.port());
}

QString wrongLogin()
{
    return tr("неверный логин или пароль");
}

QString httpReason(long status)
{
    switch (status) {
    case 401:
        return wrongLogin();
    case 403:
        return tr("сервер не даёт прав на этот файл");
    case 404:
        return tr("такого файла на сервере нет");
    // WebDAV's answer to a missing folder; nginx gives it for a folder in the file's place.
    case 409:
        return tr("такой папки на сервере нет или на месте файла папка");
    default:
        return QString();
    }
}

} // namespace

QString failureReason(const TransferResult &result, const QString &address)
{
    if (result.errorText != result.curlError)
        return result.errorText;
    QString reason;
    switch (result.curlCode) {
    case CURLE_LOGIN_DENIED:
        reason = wrongLogin();
        break;
    case CURLE_COULDNT_CONNECT:
        reason = tr("сервер %1 недоступен").arg(serverOf(address));
        break;
    case CURLE_COULDNT_RESOLVE_HOST:
        reason = tr("имя сервера %1 неизвестно").arg(QUrl(address).host());
        break;
    case CURLE_OPERATION_TIMEDOUT:
        reason = tr("сервер перестал отвечать");
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        reason = tr("сертификат или ключ сервера не признан доверенным");
        break;
    case CURLE_HTTP_RETURNED_ERROR:
        reason = httpReason(result.responseCode);
        break;
    // FTP answers 550 both for a missing file and for one it will not hand out.
    case CURLE_REMOTE_FILE_NOT_FOUND:
        reason = tr("файла нет на сервере или нет прав на его чтение");
        break;
    case CURLE_REMOTE_ACCESS_DENIED:
        reason = tr("сервер не даёт прав на этот файл или папку");
        break;
    case CURLE_UPLOAD_FAILED:
        reason = tr("папки нет на сервере или нет прав на запись в неё");
        break;
    case CURLE_QUOTE_ERROR:
        if (result.responseCode == 530)
            reason = wrongLogin();
        break;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        reason = tr("соединение прервано");
        break;
    default:
        break;
    }
    if (reason.isEmpty())
        reason = result.responseCode >= 400 ? tr("сервер вернул ошибку") : tr("передача не удалась");
    return reason + QStringLiteral(" (") + result.curlError + QLatin1Char(')');
}

bool fileMissing(const TransferResult &result)
{
    return result.curlCode == CURLE_REMOTE_FILE_NOT_FOUND
           || (result.curlCode == CURLE_HTTP_RETURNED_ERROR && (result.responseCode == 404 || result.responseCode == 410));
}

bool serverUnusable(const TransferResult &result)
{
    if (result.status == TransferResult::HostKeyRefused || result.errorText == noLoginOverSsh())
        return true;
    switch (result.curlCode) {
    case CURLE_LOGIN_DENIED:
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return true;
    case CURLE_HTTP_RETURNED_ERROR:
        return result.responseCode == 401;
    case CURLE_QUOTE_ERROR:
        return result.responseCode == 530;
    default:
        return false;
    }
}

bool serverStoppedAnswering(const TransferResult &result)
{
    return result.status == TransferResult::Unfinished || result.curlCode == CURLE_OPERATION_TIMEDOUT;
}

QString noLoginOverSsh()
{
    return tr("логин не введён, а по SFTP без логина не войти. Введите логин и пароль и повторите.");
}

QString someoneElsePublishing(const QString &lockName)
{
    return tr("Страницу новостей сейчас публикует кто-то другой, на сервер ничего не отправлено. "
              "Повторите немного позже. Если никто не публикует, удалите на сервере папку «%1» рядом "
              "со страницей.")
        .arg(lockName);
}

QString pageMissing(const QString &setAsideName)
{
    return tr("Страницы новостей нет по её адресу: вернуть её на место не удалось. Её прежнее "
              "содержимое лежит на сервере в файле «%1» рядом с ней; переименуйте его обратно или "
              "восстановите страницу из резервной копии.")
        .arg(setAsideName);
}

QString stoppedAnswering(int idleTimeout)
{
    return tr("Сервер перестал отвечать: за %1 с не передано ни одного байта.").arg(QString::number(idleTimeout / 1000.0));
}

QString redirected(const QString &effective, long status, const QString &target)
{
    return tr("сервер перенаправляет %1 (HTTP %2) на %3; укажите этот адрес в настройках.")
        .arg(effective, QString::number(status), target);
}

QString partlyStoredPage(qint64 stored, qint64 total)
{
    return tr("сервер сохранил %1 байт из %2; страница на сервере осталась прежней.").arg(stored).arg(total);
}

QString sizeMismatch(qint64 announced, qint64 arrived)
{
    return tr("сервер сообщил размер файла %1 байт, а пришло %2 байт; файл получен не таким, как лежит на "
              "сервере, и не сохранён.")
        .arg(announced)
        .arg(arrived);
}

QString localFileProblem(const QString &fileName, LocalAccess access, const QString &systemText)
{
    const QFileInfo file(fileName);
    const QFileInfo folder(file.absolutePath());
    QString reason;
    if (file.isDir())
        reason = tr("на месте файла папка");
    else if (!folder.isDir())
        reason = tr("папки %1 нет").arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    else if (access == LocalAccess::Read)
        reason = !file.exists() ? tr("файла нет") : !file.isReadable() ? tr("нет прав на чтение") : tr("чтение не удалось");
    // A new file, and the replacement of an existing one, is first written beside it in its folder.
    else if ((file.exists() && !file.isWritable()) || !folder.isWritable())
        reason = tr("нет прав на запись");
    else
        reason = tr("диск не принял запись");
    // A write cut short by a full disk leaves Qt with nothing better than its "unknown error".
    if (!systemText.isEmpty() && systemText != QFile().errorString())
        reason += QStringLiteral(" (") + systemText + QLatin1Char(')');
    const QString shown = QDir::toNativeSeparators(file.absoluteFilePath());
    return (access == LocalAccess::Read ? tr("Файл «%1» не прочитан: %2.") : tr("Файл «%1» не записан: %2."))
        .arg(shown, reason);
}
