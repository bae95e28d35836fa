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
    // The timer's units as systemd reads them. systemd-analyze looks for the command on this machine,
    // where the package is not installed: it is shown the copies naming the unpacked program instead.
    QTemporaryDir units, runtime;
    for (const char *unit : {"newsadder-due.timer", "newsadder-due.service"}) {
        QByteArray text = readFile(root.filePath(QStringLiteral("usr/lib/systemd/user/") + unit));
        QVERIFY2(!text.isEmpty(), unit);
        QVERIFY(writeFile(units.filePath(unit), text.replace("/usr/bin/newsadder", root.filePath("usr/bin/newsadder").toUtf8())));
    }
    QProcess verify;
    verify.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    verify.setProcessEnvironment(env);
    verify.start("systemd-analyze", {"verify", "--user", "--man=no", units.filePath("newsadder-due.timer"),
                                     units.filePath("newsadder-due.service")});
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
    display.windows("list", "Сайт", &ok);
    QVERIFY2(ok, "the site dialog did not open by itself");
    QVERIFY(display.windows("list", QString()).contains("Отправка новостей quellmar"));
    QVERIFY(QDir(app.home() + "/.local/share/newsadder").exists());
    display.windows("close", "Сайт", &ok);
    display.windows("close", "Отправка новостей quellmar", &ok);
    QVERIFY(ok);
    QVERIFY2(app.waitForExit(15000), "closing the main window did not end the program");
    QCOMPARE(app.exitCode(), 0);
    QCOMPARE(QDir(menuFolder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
