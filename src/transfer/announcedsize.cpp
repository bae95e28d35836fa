#include "announcedsize.h"

#include <QCoreApplication>
#include <QRegularExpression>

qint64 announcedSize(const QString &reply)
{
    bool ok = false;
    qint64 size = -1;
    if (reply.startsWith(QLatin1String("213 "))) {
        size = reply.mid(4).trimmed().toLongLong(&ok);
    } else if (reply.startsWith(QLatin1String("150 ")) || reply.startsWith(QLatin1String("125 "))) {
        static const QRegularExpression bytes(QStringLiteral("\\((\\d+) bytes\\)"), QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = bytes.match(reply);
        if (match.hasMatch())
            size = match.captured(1).toLongLong(&ok);
    }
    return ok && size >= 0 ? size : -1;
}

QString sizeMismatch(qint64 announced, qint64 arrived)
{
    return QCoreApplication::translate("NewsAdder", "сервер сообщил размер файла %1 байт, а пришло %2 байт; файл "
                                                    "получен не так, как лежит на сервере, и не сохранён.")
        .arg(announced)
        .arg(arrived);
}
