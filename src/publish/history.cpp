#include "publish/history.h"

#include <QCoreApplication>
#include <QHash>
#include <QLocale>

#include "page/publisheditems.h"
#include "publish/localfile.h"

namespace {

// Items a rollback's question names before "и ещё N".
const int NamedGoneItems = 5;

// Of the journal's 80 characters of an item, so many name it in a row.
const int ShownItemLength = 40;

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

QString shortText(const QString &text)
{
    return text.size() <= ShownItemLength ? text : text.left(ShownItemLength).trimmed() + QChar(0x2026);
}

QString whatItDid(const JournalEntry &entry)
{
    QString what;
    if (entry.command == QLatin1String("send"))
        what = tr("добавлена новость «%1»").arg(shortText(entry.itemText));
    else if (entry.command == QLatin1String("correct"))
        what = tr("исправлена новость от %1").arg(historyTime(entry.itemDate));
    else if (entry.command == QLatin1String("remove"))
        what = tr("удалена новость от %1").arg(historyTime(entry.itemDate));
    else if (entry.command == QLatin1String("restore"))
        what = tr("восстановлен файл %1").arg(entry.restored);
    else if (entry.command == QLatin1String("rollback"))
        what = tr("возврат к версии от %1").arg(historyTime(automaticBackupTime(entry.restored)));
    else
        return QStringLiteral("—");
    if (entry.outcome == QLatin1String("failed"))
        what += tr(" — не удалось");
    else if (entry.outcome != QLatin1String("published"))
        what += tr(" — отменено");
    return what;
}

} // namespace

QString historyTime(const QDateTime &time)
{
    return QLocale::c().toString(time, QStringLiteral("dd.MM.yyyy hh:mm"));
}

QVector<HistoryRow> historyRows(const QVector<AutomaticBackup> &backups, const QVector<JournalEntry> &journal,
                                const QByteArray &currentSha256)
{
    QHash<QString, const JournalEntry *> byBackup;
    for (const JournalEntry &entry : journal) {
        if (!entry.backup.isEmpty())
            byBackup.insert(entry.backup, &entry);
    }
    QVector<HistoryRow> rows;
    rows.reserve(backups.size());
    bool currentFound = false;
    for (const AutomaticBackup &backup : backups) {
        HistoryRow row{backup.name, backup.time, QStringLiteral("—"), QString(), false};
        if (const JournalEntry *entry = byBackup.value(backup.name)) {
            row.what = whatItDid(*entry);
            row.login = entry->login;
            row.current = !currentFound && !currentSha256.isEmpty() && entry->sha256After == currentSha256;
            currentFound = currentFound || row.current;
        }
        rows << row;
    }
    return rows;
}

QString historyRowText(const HistoryRow &row)
{
    QString text = historyTime(row.time) + QStringLiteral(" — ") + row.what;
    if (!row.login.isEmpty())
        text += QStringLiteral(" (%1)").arg(row.login);
    if (row.current)
        text += tr(" — сейчас на сайте");
    return text;
}

QString pageVersionProblem(const QString &fileName, QByteArray *page)
{
    QString error;
    if (!readWholeFile(fileName, *page, &error))
        return tr("файл %1 не читается (%2)").arg(fileName, error);
    if (page->isEmpty())
        return tr("файл %1 пуст").arg(fileName);
    const PublishedItems items = publishedItems(*page);
    if (items.outcome == PageEdit::UnknownCharset)
        return tr("файл %1 объявляет неизвестную кодировку «%2»").arg(fileName, QString::fromLatin1(items.charsetName));
    if (items.outcome != PageEdit::Edited)
        return tr("в файле %1 нет страницы новостей с меткой %2").arg(fileName, QLatin1String(NewsMarker));
    return QString();
}

QString rollbackQuestion(const QDateTime &version, const QStringList &goneItems)
{
    QString question = tr("Страница на сайте станет такой, какой была %1.").arg(historyTime(version));
    if (!goneItems.isEmpty()) {
        QStringList named;
        for (const QString &item : goneItems.mid(0, NamedGoneItems))
            named << tr("«%1»").arg(item);
        question += QLatin1Char(' ') + tr("Пропадут новости: %1").arg(named.join(QStringLiteral(", ")));
        if (goneItems.size() > NamedGoneItems)
            question += QLatin1Char(' ') + tr("и ещё %1").arg(goneItems.size() - NamedGoneItems);
        question += QLatin1Char('.');
    }
    return question + QLatin1Char(' ') + tr("Продолжить?");
}
