// The real program started as a user starts it: in a working directory, on a (virtual) display.
#include "appprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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
    void settingsProblemShownOverWindow();

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
    QTest::newRow("no settings.ini")
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
    bool shown = false;
    m_display.windows("list", WindowTitle, &shown);
    QVERIFY2(shown, "the main window did not appear");
    // The dialogs exist from the start but stay hidden: the main window is the only one shown.
    QCOMPARE(m_display.windows("list", QString()), QStringList{WindowTitle});

    bool closed = false;
    m_display.windows("close", WindowTitle, &closed);
    QVERIFY(closed);
    QVERIFY2(app.waitForExit(15000), "closing the main window did not end the program");
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);

    const QStringList log = app.logLines();
    QCOMPARE(log.mid(0, expectedLog.size()).join(QLatin1Char('\n')), expectedLog.join(QLatin1Char('\n')));
    // Start-up writes nothing to its working directory.
    const QStringList expectedFiles = settings.isEmpty() ? QStringList() : QStringList{"settings.ini"};
    QCOMPARE(QDir(workDir.path()).entryList(QDir::Files).join(", "), expectedFiles.join(", "));
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

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
