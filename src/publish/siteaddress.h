#ifndef SITEADDRESS_H
#define SITEADDRESS_H

#include <QString>

// The ways the site dialog offers to reach a server, in the order its list shows them.
enum class Transport { Sftp, FtpExplicitTls, FtpImplicitTls, Https, PlainFtp };
const int TransportCount = 5;

// The scheme an address of transport starts with, and the port it takes when none is given.
QString transportScheme(Transport transport);
int transportDefaultPort(Transport transport);
// Whether the page's path is from the account's starting folder (FTP) rather than the server's root.
bool pathFromStartingFolder(Transport transport);

// What the site dialog asks for to reach the page.
struct SiteFields
{
    Transport transport = Transport::Sftp;
    QString host;
    int port = 0;       // 0: the transport's own
    QString pagePath;   // decoded, as the editor reads it
    QString login;      // goes to the window's login field, never into an address
    QString password;   // only from a pasted address; never written anywhere
    bool separateDownload = false;
    QString downloadAddress;  // used only with separateDownload
};

// The two addresses of settings.ini (remotepath, remoteFTPpath) for the fields; no login or password in them.
struct SiteAddresses
{
    QString download;
    QString upload;
};
SiteAddresses siteAddresses(const SiteFields &fields);

// A complete address ("sftp://user@host:2222/var/www/news.html") split into the fields; false, fields
// untouched, when text is no address of a transport the dialog offers.
bool splitSiteAddress(const QString &text, SiteFields *fields);

// The fields a site's settings give: from the upload address, and the download one when it differs.
SiteFields siteFieldsFromSettings(const QString &remotePath, const QString &remoteFtpPath);

// What is wrong with the host or the page's path as typed, in words that name the field; empty when nothing.
QString siteHostProblem(const QString &host);
QString sitePathProblem(const QString &path);

#endif // SITEADDRESS_H
