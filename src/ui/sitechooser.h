#ifndef SITECHOOSER_H
#define SITECHOOSER_H

#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

#include "publish/sitelist.h"

class NewsAdder;
class SiteDialog;

// The main window's list of sites (siteCombo) and «Сайт…» (siteButton): choosing a site switches the
// window to its folder; the dialog edits the site in use, sets up a new one, or removes one.
class SiteChooser : public QObject
{
    Q_OBJECT

public:
    // list: the sites of the user's folder, the one in use being the working directory; null when the
    // program was started in a site's folder, which is then the one site of this run.
    SiteChooser(NewsAdder *window, std::unique_ptr<SiteList> list);
    ~SiteChooser() override;

    // No site is set up yet: the dialog for the first one.
    void setUpFirstSite();
    QString currentFolder() const { return m_current; }

private:
    void showSites();
    void chosen(int index);
    void editSite();
    bool addSite();
    // The dialog's fields into folder's settings.ini and the window; false, said once, when it cannot be written.
    bool save(const SiteDialog &dialog, const QString &folder);
    void open(const QString &folder);
    void prepare(SiteDialog &dialog, const QString &exceptFolder) const;
    void giveLoginBack(const SiteDialog &dialog);

    NewsAdder *m_window;
    std::unique_ptr<SiteList> m_list;
    QVector<Site> m_sites;
    QString m_current;  // empty while no site is set up
};

#endif // SITECHOOSER_H
