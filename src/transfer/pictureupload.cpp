#include "pictureupload.h"

#include "transfersession.h"

PictureUpload::PictureUpload(TransferSession &session, const QString &pageAddress, const QStringList &folder,
                             const QString &login, const QString &password)
    : m_session(session)
    , m_pageAddress(pageAddress)
    , m_folder(folder)
    , m_login(login)
    , m_password(password)
{
}

TransferResult PictureUpload::makeFolder()
{
    return TransferResult{TransferResult::Failed, QStringLiteral("not yet")};
}

TransferResult PictureUpload::put(const QString &, const QByteArray &, QString *)
{
    return TransferResult{TransferResult::Failed, QStringLiteral("not yet")};
}

void PictureUpload::removeStored()
{
}
