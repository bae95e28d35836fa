#ifndef ORDINARYUSER_H
#define ORDINARYUSER_H

#include <QDir>
#include <QString>

#include <unistd.h>

// File modes do not bind root, so a test that needs an unreadable or unwritable file runs this
// part as "nobody" when it is root (real and effective ids; the saved id stays root to come back).
// The directory and the files in it are handed to that user first, so that, as for any user
// running the tests, their modes alone decide what may be read and written.
class OrdinaryUser
{
public:
    explicit OrdinaryUser(const QString &directory)
    {
        if (geteuid() != 0)
            return;
        const QDir dir(directory);
        chown(QFile::encodeName(dir.path()).constData(), Nobody, Nobody);
        for (const QString &entry : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden))
            lchown(QFile::encodeName(dir.filePath(entry)).constData(), Nobody, Nobody);
        if (setresgid(Nobody, Nobody, 0) != 0)
            return;
        m_switched = setresuid(Nobody, Nobody, 0) == 0;
        if (!m_switched)
            setresgid(0, 0, 0);
    }
    ~OrdinaryUser()
    {
        if (m_switched) {
            setresuid(0, 0, 0);
            setresgid(0, 0, 0);
        }
    }
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

    // True when file modes now apply to this process.
    bool modesApply() const { return m_switched || geteuid() != 0; }

private:
    static constexpr uid_t Nobody = 65534;
    bool m_switched = false;
};

#endif // ORDINARYUSER_H
