#include "ui/sitechooser.h"

#include "publish/inifile.h"
#include "publish/settings.h"
#include "ui/newsadder.h"
#include "ui/sitedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

SiteChooser::SiteChooser(NewsAdder *window, std::unique_ptr<SiteList> list)
    : QObject(window)
    , m_window(window)
    , m_list(std::move(list))
{
    const QString here = QDir::currentPath();
    if (!m_list || folderHoldsSite(here) || QFile::exists(QDir(here).filePath(QString::fromLatin1(SettingsFileName))))
        m_current = here;
    showSites();
    connect(window->siteCombo(), qOverload<int>(&QComboBox::activated), this, &SiteChooser::chosen);
    connect(window->siteButton(), &QPushButton::clicked, this, &SiteChooser::editSite);
}

SiteChooser::~SiteChooser() = default;

void SiteChooser::showSites()
{
    QComboBox *combo = m_window->siteCombo();
    combo->clear();
    if (m_list) {
        m_sites = m_list->sites();
    } else {
        const QString settings = QDir(m_current).filePath(QString::fromLatin1(SettingsFileName));
        m_sites = {{siteName(settings, QDir(m_current).dirName()), m_current, true}};
    }
    for (const Site &site : m_sites) {
        combo->addItem(site.name, site.folder);
        if (QFileInfo(site.folder) == QFileInfo(m_current))
            combo->setCurrentIndex(combo->count() - 1);
    }
    if (m_list)
        combo->addItem(tr("Новый сайт…"));
    combo->setToolTip(QDir::toNativeSeparators(m_current));
}

void SiteChooser::chosen(int index)
{
    const QString folder = m_window->siteCombo()->itemData(index).toString();
    if (folder.isEmpty()) {
        if (!addSite())
            showSites();
        return;
    }
    if (QFileInfo(folder) != QFileInfo(m_current))
        open(folder);
}

void SiteChooser::open(const QString &folder)
{
    if (m_window->openSite(folder)) {
        m_current = folder;
        if (m_list)
            m_list->setLastFolder(folder);
    }
    showSites();
}

void SiteChooser::prepare(SiteDialog &dialog, const QString &exceptFolder) const
{
    QStringList taken;
    for (const Site &site : m_sites) {
        if (QFileInfo(site.folder) != QFileInfo(exceptFolder))
            taken << site.name;
    }
    dialog.setTakenNames(taken);
    dialog.setIdleTimeout(m_window->idleTimeout());
}

void SiteChooser::giveLoginBack(const SiteDialog &dialog)
{
    m_window->loginEdit()->setText(dialog.login());
    m_window->passwordEdit()->setText(dialog.password());
    m_window->rememberPasswordBox()->setChecked(dialog.rememberPassword());
}

void SiteChooser::setUpFirstSite()
{
    addSite();
}

void SiteChooser::editSite()
{
    if (m_current.isEmpty()) {
        addSite();
        return;
    }
    SiteDialog dialog(m_window);
    const QDir folder(m_current);
    dialog.setSettingsFile(folder.filePath(QString::fromLatin1(SettingsFileName)));
    dialog.setKnownHostsFile(folder.filePath(QStringLiteral("known_hosts")));
    dialog.setLogin(m_window->loginEdit()->text(), m_window->passwordEdit()->text(),
                    m_window->rememberPasswordBox()->isChecked());
    // The user's own folder of earlier versions stays where it is: only sites/ folders are moved away.
    dialog.setRemovable(m_list && QFileInfo(m_current).absolutePath() == QFileInfo(m_list->sitesFolder()).absoluteFilePath());
    prepare(dialog, m_current);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.removeRequested()) {
        QString error;
        if (!m_list->remove(m_current, &error)) {
            QMessageBox::warning(m_window, tr("Удалить сайт"), error);
            return;
        }
        m_current.clear();
        m_list->setLastFolder(QString());
        const QVector<Site> left = m_list->sites();
        if (!left.isEmpty())
            open(left.first().folder);
        else
            showSites();
        return;
    }
    if (save(dialog, m_current))
        giveLoginBack(dialog);
}

bool SiteChooser::addSite()
{
    if (!m_list)
        return false;
    SiteDialog dialog(m_window);
    prepare(dialog, QString());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QString error;
    const QString folder = m_list->makeFolder(dialog.siteName(), &error);
    if (folder.isEmpty()) {
        QMessageBox::warning(m_window, tr("Новый сайт"), error);
        return false;
    }
    // A key trusted during the check belongs to the new site.
    if (QFile::exists(dialog.knownHostsFile()))
        QFile::copy(dialog.knownHostsFile(), QDir(folder).filePath(QStringLiteral("known_hosts")));
    if (!save(dialog, folder)) {
        QDir(folder).removeRecursively();
        return false;
    }
    giveLoginBack(dialog);
    return true;
}

bool SiteChooser::save(const SiteDialog &dialog, const QString &folder)
{
    const QString file = QDir(folder).filePath(QString::fromLatin1(SettingsFileName));
    QString error;
    if (!writeIniValues(file, dialog.values(), &error)) {
        QMessageBox::warning(m_window, tr("Сайт"),
                             tr("Настройки сайта не сохранены в %1: %2. Сайт остаётся прежним.")
                                 .arg(QDir::toNativeSeparators(file), error));
        return false;
    }
    open(folder);
    return true;
}
