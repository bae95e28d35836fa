#ifndef WORKDIR_H
#define WORKDIR_H

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

// Makes a fresh temporary directory the working directory for as long as it lives,
// as the program keeps settings.ini, news.html and its backups in the working directory.
class WorkDir
{
public:
    WorkDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~WorkDir() { QDir::setCurrent(m_previous); }
    WorkDir(const WorkDir &) = delete;
    WorkDir &operator=(const WorkDir &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

// The automatic backups a send left in the directory, by name.
inline QStringList backupsIn(const WorkDir &dir)
{
    return QDir(dir.path()).entryList({"backup_*.bak"}, QDir::Files, QDir::Name);
}

#endif // WORKDIR_H
