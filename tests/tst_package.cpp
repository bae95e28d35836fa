// The .deb as an editor gets it: unpacked into a root of its own, the installed program started
// from an empty home on a (virtual) display, as from the desktop menu.
#include "appprocess.h"
#include "filebytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void installedProgramStartsInUserFolder();
};

void TestPackage::installedProgramStartsInUserFolder()
{
    const QStringList debs = QDir(QStringLiteral(PACKAGE_DIR)).entryList({"newsadder_*.deb"}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    QTemporaryDir root, menuFolder;
    QCOMPARE(QProcess::execute("dpkg", {"-x", QStringLiteral(PACKAGE_DIR "/") + debs.first(), root.path()}), 0);
    for (const char *file : {"usr/bin/newsadder", "usr/share/applications/newsadder.desktop",
                             "usr/share/icons/hicolor/scalable/apps/newsadder.svg",
                             "usr/share/icons/hicolor/48x48/apps/newsadder.png", "usr/share/man/man1/newsadder.1.gz",
                             "usr/share/man/ru/man1/newsadder.1.gz", "usr/share/doc/newsadder/copyright"})
        QVERIFY2(QFile::exists(root.filePath(file)), file);
    // The timer's units as systemd reads them, the program in the unpacked root; the software centres' file.
    const QString units = root.filePath("usr/lib/systemd/user/newsadder-due");
    QProcess verify;
    verify.setProcessChannelMode(QProcess::MergedChannels);
    verify.start("systemd-analyze", {"verify", "--user", "--root=" + root.path(), units + ".timer", units + ".service"});
    QVERIFY(verify.waitForFinished(30000));
    const QByteArray said = verify.readAll().trimmed();
    QVERIFY2(verify.exitCode() == 0 && said.isEmpty(), said.constData());
    const QString metainfo = root.filePath("usr/share/metainfo/invalid.newsadder.NewsAdder.metainfo.xml");
    QCOMPARE(QProcess::execute("appstreamcli", {"validate", "--no-net", "--pedantic", metainfo}), 0);

    VirtualDisplay display;
    QVERIFY2(display.start(), "Xvfb did not start");
    AppProcess app(menuFolder.path(), root.filePath("usr/bin/newsadder"));
    QVERIFY(app.start(display));
    bool ok = false;
    display.windows("list", "settings.ini", &ok);
    QVERIFY2(ok, "no message about the settings to fill in");
    QVERIFY(display.windows("list", QString()).contains("Отправка новостей quellmar"));
    const QByteArray settings = readFile(app.home() + "/.local/share/newsadder/settings.ini");
    QVERIFY(settings.startsWith("; ") && settings.contains(";remotepath="));
    display.windows("close", "settings.ini", &ok);
    display.windows("close", "Отправка новостей quellmar", &ok);
    QVERIFY(ok);
    QVERIFY2(app.waitForExit(15000), "closing the main window did not end the program");
    QCOMPARE(app.exitCode(), 0);
    QCOMPARE(QDir(menuFolder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
