// The real program started as a user starts it: in a working directory, on a (virtual) display.
#include "app/workingfolder.h"
#include "appprocess.h"
#include "filebytes.h"
#include "publish/settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {
const QString WindowTitle = QStringLiteral("Отправка новостей quellmar");
const QString SiteDialogTitle = QStringLiteral("Сайт");
}

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsSettingsOfWorkingDirectory_data();
    void readsSettingsOfWorkingDirectory();
    void closingMainWindowClosesOpenDialogs_data();
    void closingMainWindowClosesOpenDialogs();
    void closingDuringDictionaryLoad();
    void settingsProblemShownOverWindow();
    void workingFolder_data();
    void workingFolder();

private:
    VirtualDisplay m_display;
};

void TestStartup::initTestCase()
{
    QVERIFY2(m_display.start(), "Xvfb did not start");
}

void TestStartup::readsSettingsOfWorkingDirectory_data()
{
    QTest::addColumn<QByteArray>("settings");     // empty: no settings.ini at all
    QTest::addColumn<QStringList>("expectedLog");

    QTest::newRow("complete settings")
        << QByteArray("remotepath=ftp://127.0.0.1:2121/news.html\n"
                      "remoteFTPpath=ftp://127.0.0.1:2121/upload/news.html\n"
                      "host=example.org\nport=2121\n")
        << QStringList{"\"ftp://127.0.0.1:2121/news.html\"", "\"ftp://127.0.0.1:2121/upload/news.html\"",
                       "\"example.org\"", "2121", "HOST \"example.org\""};
    QTest::newRow("first start: no settings.ini")
        << QByteArray()
        << QStringList{"\"\"", "\"\"", "\"\"", "0", "HOST \"\""};
    QTest::newRow("keys missing, port not a number")
        << QByteArray("host=news.example\nport=twenty-one\n")
        << QStringList{"\"\"", "\"\"", "\"news.example\"", "0", "HOST \"news.example\""};
    QTest::newRow("keys inside a group do not count")
        << QByteArray("[server]\nremotepath=ftp://127.0.0.1/news.html\nport=21\n")
        << QStringList{"\"\"", "\"\"", "\"\"", "0", "HOST \"\""};
}

void TestStartup::readsSettingsOfWorkingDirectory()
{
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, expectedLog);

    QTemporaryDir workDir;
    if (!settings.isEmpty()) {
        QFile ini(workDir.filePath("settings.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        QVERIFY(ini.write(settings) == settings.size());
    }

    AppProcess app(workDir.path());
    QVERIFY(app.start(m_display));
    // Without a settings.ini where it starts, the program works in the user's own folder and opens
    // the site dialog over the window, to set up the first site.
    const bool firstStart = settings.isEmpty();
    const QString userSettings = app.home() + "/.local/share/newsadder/settings.ini";
    bool shown = false;
    m_display.windows("list", firstStart ? SiteDialogTitle : WindowTitle, &shown);
    QVERIFY2(shown, "the window or its message did not appear");
    // The dialogs exist from the start but stay hidden.
    QStringList windows = m_display.windows("list", QString());
    windows.sort();
    const QStringList expectedWindows = firstStart ? QStringList{WindowTitle, SiteDialogTitle} : QStringList{WindowTitle};
    QCOMPARE(windows, expectedWindows);
    if (firstStart) {
        m_display.windows("close", SiteDialogTitle, &shown);
        QVERIFY(shown);
    }

    bool closed = false;
    m_display.windows("close", WindowTitle, &closed);
    QVERIFY(closed);
    QVERIFY2(app.waitForExit(15000), "closing the main window did not end the program");
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);

    const QStringList log = app.logLines();
    QCOMPARE(log.mid(0, expectedLog.size()).join(QLatin1Char('\n')), expectedLog.join(QLatin1Char('\n')));
    // Start-up writes nothing to the folder it is started in.
    const QStringList expectedFiles = settings.isEmpty() ? QStringList() : QStringList{"settings.ini"};
    QCOMPARE(QDir(workDir.path()).entryList(QDir::Files).join(", "), expectedFiles.join(", "));
    // Nothing is written before the dialog's OK.
    QVERIFY(!QFile::exists(userSettings));
}

void TestStartup::closingMainWindowClosesOpenDialogs_data()
{
    QTest::addColumn<QPoint>("buttonCentre");   // in the main window as drawn, before scaling
    QTest::addColumn<QString>("dialogTitle");
    QTest::newRow("link dialog") << QPoint(30 + 37, 70 + 12) << QStringLiteral("Редактор ссылок");
    QTest::newRow("image link dialog") << QPoint(210 + 40, 70 + 12) << QStringLiteral("Ввод ссылки на изображение");
}

void TestStartup::closingMainWindowClosesOpenDialogs()
{
    QFETCH(QPoint, buttonCentre);
    QFETCH(QString, dialogTitle);

    QTemporaryDir workDir;
    QVERIFY(writeFile(workDir.filePath("settings.ini"), QByteArray()));
    AppProcess app(workDir.path());
    QVERIFY(app.start(m_display));
    bool ok = false;
    m_display.windows("click", WindowTitle, &ok,
                      {QString::number(buttonCentre.x()), QString::number(buttonCentre.y()), "--drawn-width", "566"});
    QVERIFY2(ok, "the main window did not appear");
    m_display.windows("list", dialogTitle, &ok);
    QVERIFY2(ok, "the dialog did not open");

    m_display.windows("close", WindowTitle, &ok);
    QVERIFY(ok);
    QVERIFY2(app.waitForExit(15000), "the open dialog kept the program running");
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
}

void TestStartup::closingDuringDictionaryLoad()
{
    // Dictionaries whose load never ends: their files are pipes nobody writes to.
    QTemporaryDir workDir, dictionaries;
    QVERIFY(writeFile(workDir.filePath("settings.ini"), QByteArray()));
    for (const char *name : {"ru_RU.aff", "ru_RU.dic"})
        QCOMPARE(mkfifo(QFile::encodeName(dictionaries.filePath(name)).constData(), 0600), 0);
    AppProcess app(workDir.path());
    app.setEnvironmentValue("DICPATH", dictionaries.path());
    QVERIFY(app.start(m_display));
    bool ok = false;
    m_display.windows("close", WindowTitle, &ok);
    QVERIFY2(ok, "the main window did not appear");
    QVERIFY2(app.waitForExit(15000), "closing the window waited for the dictionaries");
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
}

void TestStartup::settingsProblemShownOverWindow()
{
    QTemporaryDir workDir;
    QFile ini(workDir.filePath("settings.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    QVERIFY(ini.write("remotepath=ftp://127.0.0.1/a,b.html\n") > 0);
    ini.close();

    AppProcess app(workDir.path());
    QVERIFY(app.start(m_display));
    bool ok = false;
    m_display.windows("list", QStringLiteral("settings.ini"), &ok);
    QVERIFY2(ok, "no message about the value with a comma");
    QVERIFY(m_display.windows("list", QString()).contains(WindowTitle));
    m_display.windows("close", QStringLiteral("settings.ini"), &ok);
    QVERIFY(ok);
    m_display.windows("close", WindowTitle, &ok);
    QVERIFY(ok);
    QVERIFY2(app.waitForExit(15000), "closing the main window did not end the program");
    QCOMPARE(app.exitCode(), 0);
}

void TestStartup::workingFolder_data()
{
    QTest::addColumn<QByteArray>("startedIn");    // settings.ini where it starts; null for none
    QTest::addColumn<QByteArray>("userSettings"); // settings.ini in the user's folder before; null for none
    QTest::addColumn<QString>("lastSite");        // a site in the user's sites/ chosen last; empty for none
    QTest::addColumn<bool>("userFolder");
    QTest::addColumn<bool>("noSite");
    QTest::addColumn<QString>("entered");         // below the user's folder; "-" the folder started in

    QTest::newRow("a site's folder") << QByteArray("") << QByteArray() << "" << false << false << "-";
    QTest::newRow("first start") << QByteArray() << QByteArray() << "" << true << true << "";
    QTest::newRow("earlier version's file not filled in")
        << QByteArray() << QByteArray(";remotepath=\n") << "" << true << true << "";
    QTest::newRow("earlier version's file filled in: a site in place")
        << QByteArray() << QByteArray("remotepath=ftp://127.0.0.1/news.html\n") << "" << true << false << "";
    QTest::newRow("the site chosen last")
        << QByteArray() << QByteArray("remotepath=ftp://127.0.0.1/news.html\n") << "club" << true << false << "/sites/club";
    QTest::newRow("user's folder cannot be made") << QByteArray() << QByteArray("a file in its way") << "" << true
                                                  << false << "-";
}

void TestStartup::workingFolder()
{
    QFETCH(QByteArray, startedIn);
    QFETCH(QByteArray, userSettings);
    QFETCH(QString, lastSite);
    QFETCH(bool, userFolder);
    QFETCH(bool, noSite);
    QFETCH(QString, entered);

    QTemporaryDir started, data;
    const QString own = data.filePath("newsadder");
    const bool cannotBeMade = QString(QTest::currentDataTag()) == "user's folder cannot be made";
    if (cannotBeMade)
        QVERIFY(writeFile(own, userSettings));
    else if (!userSettings.isNull())
        QVERIFY(QDir().mkpath(own) && writeFile(own + "/settings.ini", userSettings));
    if (!lastSite.isEmpty()) {
        QVERIFY(QDir().mkpath(own + "/sites/" + lastSite));
        QVERIFY(writeFile(own + "/sites/" + lastSite + "/settings.ini", "remotepath=sftp://127.0.0.1/a.html\n"));
        QVERIFY(writeFile(own + "/sites/.last", "sites/" + lastSite.toUtf8()));
    }
    if (!startedIn.isNull())
        QVERIFY(writeFile(started.filePath("settings.ini"), startedIn));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(started.path()));
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    const WorkingFolder folder = enterWorkingFolder();
    const QString now = QDir::currentPath();
    qunsetenv("XDG_DATA_HOME");
    QVERIFY(QDir::setCurrent(before));

    QCOMPARE(folder.userFolder, userFolder);
    QCOMPARE(folder.noSite, noSite);
    QCOMPARE(folder.failure.startsWith("Папка "), cannotBeMade);
    QCOMPARE(now, entered == "-" ? QDir(started.path()).canonicalPath() : own + entered);
    QCOMPARE(QDir::fromNativeSeparators(folder.path), now);
    // Nothing is written to the user's folder by a start.
    if (!cannotBeMade)
        QCOMPARE(QFile::exists(own + "/settings.ini"), !userSettings.isNull());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
