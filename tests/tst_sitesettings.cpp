// What the site dialog writes: the two addresses from its fields, a pasted address split into them,
// and settings.ini edited in place.
#include "filebytes.h"
#include "ordinaryuser.h"
#include "publish/inifile.h"
#include "publish/settings.h"
#include "publish/siteaddress.h"
#include "publish/sitelist.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Transport)

class TestSiteSettings : public QObject
{
    Q_OBJECT

private slots:
    void addresses_data();
    void addresses();
    void editedInPlace_data();
    void editedInPlace();
    void writtenThroughNoLink();
    void siteList();
};

void TestSiteSettings::addresses_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("address");  // both addresses; pasted, it gives the fields back
    QTest::addColumn<QString>("pasted");   // a complete address as typed; empty: address itself

    QTest::newRow("sftp, from the root") << Transport::Sftp << "ssh.example.org" << 0 << "/var/www/news.html"
                                         << "sftp://ssh.example.org/var/www/news.html" << "";
    QTest::newRow("sftp, own port, login") << Transport::Sftp << "ssh.example.org" << 2222 << "/var/www/news.html"
                                           << "sftp://ssh.example.org:2222/var/www/news.html"
                                           << "sftp://user@ssh.example.org:2222/var/www/news.html";
    QTest::newRow("default port given") << Transport::FtpExplicitTls << "ftp.example.org" << 21 << "www/news.html"
                                        << "ftpes://ftp.example.org/www/news.html" << "ftpes://ftp.example.org:21/www/news.html";
    QTest::newRow("implicit tls") << Transport::FtpImplicitTls << "ftp.example.org" << 0 << "news.html"
                                  << "ftps://ftp.example.org/news.html" << "";
    QTest::newRow("ftp path from the starting folder")
        << Transport::PlainFtp << "127.0.0.1" << 2121 << "www/news.html" << "ftp://127.0.0.1:2121/www/news.html" << "";
    QTest::newRow("webdav") << Transport::Https << "www.example.org" << 0 << "/dav/news.html"
                            << "https://www.example.org/dav/news.html" << "";
    QTest::newRow("ipv6") << Transport::Sftp << "::1" << 2222 << "/srv/news.html" << "sftp://[::1]:2222/srv/news.html" << "";
    QTest::newRow("cyrillic path, space")
        << Transport::Sftp << "127.0.0.1" << 0 << "/var/www/новости сайта.html"
        << "sftp://127.0.0.1/var/www/%D0%BD%D0%BE%D0%B2%D0%BE%D1%81%D1%82%D0%B8%20%D1%81%D0%B0%D0%B9%D1%82%D0%B0.html"
        << "sftp://127.0.0.1/var/www/новости сайта.html";
    QTest::newRow("hash and percent in the name") << Transport::PlainFtp << "h" << 0 << "a#1%.html"
                                                  << "ftp://h/a%231%25.html" << "";
}

void TestSiteSettings::addresses()
{
    QFETCH(Transport, transport);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, path);
    QFETCH(QString, address);
    QFETCH(QString, pasted);

    SiteFields fields;
    fields.transport = transport;
    fields.host = host;
    fields.port = port;
    fields.pagePath = path;
    const SiteAddresses made = siteAddresses(fields);
    QCOMPARE(made.upload, address);
    // A first slash typed or not, the path is the same.
    fields.pagePath = path.startsWith('/') ? path.mid(1) : '/' + path;
    QCOMPARE(siteAddresses(fields).upload, address);
    QCOMPARE(made.download, address);
    // The addresses the program reads back give the same fields.
    const SiteFields fromSettings = siteFieldsFromSettings(made.download, made.upload);
    QCOMPARE(siteAddresses(fromSettings).upload, address);
    QVERIFY(!fromSettings.separateDownload);

    SiteFields split;
    QVERIFY(splitSiteAddress(pasted.isEmpty() ? address : pasted, &split));
    QCOMPARE(split.transport, transport);
    QCOMPARE(split.host, host);
    QCOMPARE(split.port, port);
    QCOMPARE(split.pagePath, path);
    QCOMPARE(split.login, pasted.contains('@') ? QString("user") : QString());

    fields.separateDownload = true;
    fields.downloadAddress = "https://www.example.org/news.html";
    QCOMPARE(siteAddresses(fields).download, fields.downloadAddress);
    QCOMPARE(siteAddresses(fields).upload, address);
    QVERIFY(siteFieldsFromSettings(fields.downloadAddress, address).separateDownload);
}

void TestSiteSettings::editedInPlace_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QByteArray handWritten = "; our site\nremotepath=ftp://old/news.html\n# a note\nmykey=kept\n"
                                   "[other]\nremotepath=not this one\n";
    QTest::newRow("changed where it stood") << handWritten << "remotepath" << "sftp://new/news.html"
                                            << QByteArray("; our site\nremotepath=sftp://new/news.html\n# a note\n"
                                                          "mykey=kept\n[other]\nremotepath=not this one\n");
    QTest::newRow("added after the top-level lines")
        << handWritten << "pageurl" << "https://x/news.html"
        << QByteArray("; our site\nremotepath=ftp://old/news.html\n# a note\nmykey=kept\npageurl=https://x/news.html\n"
                      "[other]\nremotepath=not this one\n");
    QTest::newRow("commented key stays a comment")
        << QByteArray(";remotepath=sftp://ssh.example.org/x\n") << "remotepath" << "ftp://h/n.html"
        << QByteArray(";remotepath=sftp://ssh.example.org/x\nremotepath=ftp://h/n.html\n");
    QTest::newRow("comma quoted") << QByteArray("a=1\r\n") << "remotepath" << "ftp://h/news,2026.html"
                                  << QByteArray("a=1\r\nremotepath=\"ftp://h/news,2026.html\"\r\n");
    QTest::newRow("semicolon and quote") << QByteArray("name = x\n") << "name" << "a;\"b\".atom"
                                         << QByteArray("name = \"a;\\\"b\\\".atom\"\n");
    QTest::newRow("cyrillic, no line break at the end") << QByteArray("name=old") << "name" << "Школа 5"
                                                        << QByteArray("name=Школа 5");
    QTest::newRow("given twice: both") << QByteArray("port=1\nport=2\n") << "port" << "22"
                                       << QByteArray("port=22\nport=22\n");
    QTest::newRow("empty clears, not added") << QByteArray("cacert=a.pem\n") << "cacert" << ""
                                             << QByteArray("cacert=\n");
    QTest::newRow("empty file") << QByteArray() << "keepbackups" << "10" << QByteArray("keepbackups=10\n");
    QTest::newRow("under [General]") << QByteArray("[General]\nhost=a\n[x]\nk=v\n") << "name" << "news.atom"
                                     << QByteArray("[General]\nhost=a\nname=news.atom\n[x]\nk=v\n");
}

void TestSiteSettings::editedInPlace()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    QCOMPARE(withIniValues(before, {{key, value}}), after);
    // The program reads back what it wrote.
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.ini");
    QVERIFY(writeFile(file, before));
    QString error;
    QVERIFY2(writeIniValues(file, {{key, value}}, &error), qPrintable(error));
    QCOMPARE(readFile(file), after);
    const Settings settings = readSettings(file);
    if (key == "remotepath")
        QCOMPARE(settings.remotePath, value);
    QVERIFY2(!settings.problems.join('\n').contains(key) || before.contains("port=1"), qPrintable(settings.problems.join('\n')));
}

void TestSiteSettings::writtenThroughNoLink()
{
    QTemporaryDir dir;
    const QString elsewhere = dir.filePath("elsewhere.ini");
    QVERIFY(writeFile(elsewhere, "remotepath=ftp://a/n.html\n"));
    QVERIFY(QFile::link(elsewhere, dir.filePath("settings.ini")));
    QString error;
    QVERIFY(writeIniValues(dir.filePath("settings.ini"), {{"remotepath", "ftp://b/n.html"}}, &error));
    QCOMPARE(readFile(elsewhere), QByteArray("remotepath=ftp://a/n.html\n"));
    QCOMPARE(readFile(dir.filePath("settings.ini")), QByteArray("remotepath=ftp://b/n.html\n"));
    QVERIFY(!QFileInfo(dir.filePath("settings.ini")).isSymLink());
    // A folder that cannot be written keeps the file, and says so.
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    {
        const OrdinaryUser user(dir.path());
        QVERIFY(!writeIniValues(dir.filePath("settings.ini"), {{"host", "x"}}, &error));
    }
    QVERIFY(!error.isEmpty());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestSiteSettings::siteList()
{
    QTemporaryDir home;
    const SiteList list(home.path());
    QVERIFY(list.sites().isEmpty());
    // The first start's commented file is no site; a filled-in one is, in place.
    QVERIFY(writeFile(home.filePath("settings.ini"), ";remotepath=ftp://h/n.html\n"));
    QVERIFY(list.sites().isEmpty());
    QVERIFY(writeFile(home.filePath("settings.ini"), "remotepath=ftp://h/n.html\nhost=old.example.org\n"));
    QString error;
    const QString school = list.makeFolder("Школа 5", &error);
    QCOMPARE(QFileInfo(school).fileName(), QString("shkola-5"));
    QCOMPARE(QFileInfo(list.makeFolder("школа 5", &error)).fileName(), QString("shkola-5-2"));
    QVERIFY(writeIniValues(school + "/settings.ini", {{"name", "Школа 5"}}, &error));
    QVERIFY(writeFile(list.sitesFolder() + "/stray file", "x"));
    QVERIFY(writeFile(list.sitesFolder() + "/.last", "sites/shkola-5\n"));

    QStringList names;
    for (const Site &site : list.sites())
        names << site.name;
    QCOMPARE(names, QStringList({"old.example.org", "Школа 5", "shkola-5-2 (настройки не читаются)"}));
    QCOMPARE(list.folderOf("Школа 5"), school);
    QCOMPARE(list.lastFolder(), school);

    QVERIFY2(list.remove(school, &error), qPrintable(error));
    QCOMPARE(list.sites().size(), 2);
    const QStringList removed = QDir(list.sitesFolder() + "/.removed").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(removed.size(), 1);
    QVERIFY(removed.first().startsWith("shkola-5-20"));
    QCOMPARE(readFile(list.sitesFolder() + "/.removed/" + removed.first() + "/settings.ini"), QByteArray("name=Школа 5\n"));
}

QTEST_GUILESS_MAIN(TestSiteSettings)
#include "tst_sitesettings.moc"
