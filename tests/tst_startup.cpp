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
    // Without a settings.ini where it starts, the program works in the user's own folder and says,
    // over the window, where the settings are to be filled in.
    const bool firstStart = settings.isEmpty();
    const QString userSettings = app.home() + "/.local/share/newsadder/settings.ini";
    bool shown = false;
    m_display.windows("list", firstStart ? "settings.ini" : WindowTitle, &shown);
    QVERIFY2(shown, "the window or its message did not appear");
    // The dialogs exist from the start but stay hidden.
    QStringList windows = m_display.windows("list", QString());
    windows.sort();
    const QStringList expectedWindows = firstStart ? QStringList{"settings.ini", WindowTitle} : QStringList{WindowTitle};
    QCOMPARE(windows, expectedWindows);
    if (firstStart) {
        m_display.windows("close", "settings.ini", &shown);
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
    QCOMPARE(QFile::exists(userSettings), firstStart);
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
    QTest::addColumn<bool>("userFolder");
    QTest::addColumn<QString>("notice");          // the start of what is said over the window

    QTest::newRow("a site's folder") << QByteArray("") << QByteArray() << false << QString();
    QTest::newRow("first start") << QByteArray() << QByteArray() << true << "Программа запущена впервые. Её файл настроек:\n";
    QTest::newRow("user's settings not filled in")
        << QByteArray() << QByteArray(";remotepath=\n") << true << "Не заданы адреса страницы";
    QTest::newRow("user's settings filled in")
        << QByteArray() << QByteArray("remotepath=ftp://127.0.0.1/news.html\n") << true << QString();
    QTest::newRow("user's folder cannot be made") << QByteArray() << QByteArray("a file in its way") << true
                                                  << "Папка ";
}

void TestStartup::workingFolder()
{
    QFETCH(QByteArray, startedIn);
    QFETCH(QByteArray, userSettings);
    QFETCH(bool, userFolder);
    QFETCH(QString, notice);

    QTemporaryDir started, data;
    const QString own = data.filePath("newsadder");
    if (QString(QTest::currentDataTag()) == "user's folder cannot be made")
        QVERIFY(writeFile(own, userSettings));
    else if (!userSettings.isNull())
        QVERIFY(QDir().mkpath(own) && writeFile(own + "/settings.ini", userSettings));
    if (!startedIn.isNull())
        QVERIFY(writeFile(started.filePath("settings.ini"), startedIn));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(started.path()));
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    const WorkingFolder folder = enterWorkingFolder();
    const QString entered = QDir::currentPath();
    const Settings settings = readSettings("settings.ini");
    qunsetenv("XDG_DATA_HOME");
    QVERIFY(QDir::setCurrent(before));

    QCOMPARE(folder.userFolder, userFolder);
    const QString text = workingFolderNotice(folder, settings);
    QVERIFY2(text.startsWith(notice) && text.isEmpty() == notice.isEmpty(), qPrintable(text));
    if (notice.isEmpty() || !folder.failure.isEmpty())
        return;
    // The message names the file, which is where the program now works.
    QCOMPARE(entered, own);
    QVERIFY2(text.contains(QDir::toNativeSeparators(own + "/settings.ini")), qPrintable(text));
    // A second start finds the file and leaves it as it is; every line of the first is a comment.
    const QByteArray written = readFile(own + "/settings.ini");
    QCOMPARE(folder.created, userSettings.isNull());
    for (const QByteArray &line : written.split('\n'))
        QVERIFY2(line.isEmpty() || line.startsWith(';'), line.constData());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
