#ifndef JOURNAL_H
#define JOURNAL_H

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

// The site's journal, one JSON object a line: what each command that reached the server's page did.
extern const char JournalFileName[];
// Lines read from the journal's end; older ones are left unread.
const int JournalLinesRead = 10000;

struct JournalEntry
{
    QDateTime time;
    QString command;   // send, correct, remove, restore, rollback; a later version may know others
    QString login;
    QString outcome;   // published, failed, cancelled
    QString message;   // the command's last message
    QString backup;    // the automatic backup's file name, empty without one
    QString restored;  // restore and rollback: the file sent, by name
    qint64 sizeBefore = -1;
    QByteArray sha256Before;  // hex, empty when unknown
    qint64 sizeAfter = -1;
    QByteArray sha256After;   // as uploaded and checked; empty when nothing was
    // The item sent, or the one corrected or removed: its date and the start of its visible text.
    QDateTime itemDate;
    QString itemText;

    void noteBefore(const QByteArray &page);
    void noteAfter(const QByteArray &page);
};

QByteArray sha256Hex(const QByteArray &bytes);

// The entry as one line, its line feed included.
QByteArray journalLine(const JournalEntry &entry);
// false for a line that is torn, not JSON or has no time; fields it does not know are ignored.
bool readJournalLine(const QByteArray &line, JournalEntry *entry);

// Appends the entry whole: one write to a file opened for appending, so that two programs'
// lines never interleave.
bool appendToJournal(const QString &fileName, const JournalEntry &entry, QString *error = nullptr);
// The readable entries of the journal's last maxLines lines, oldest first; none when it is missing.
QVector<JournalEntry> readJournal(const QString &fileName, int maxLines = JournalLinesRead);

#endif // JOURNAL_H
