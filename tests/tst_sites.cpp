// Sites as an editor sets them up: the dialog at the first start from an empty home, «Проверить»
// against real servers, a second site, and the window switching between them.
#include "app/startup.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "newspages.h"
#include "scripteduser.h"
#include "sftpserver.h"
#include "ui/newsadder.h"
#include "ui/sitedialog.h"
#include "windowinput.h"
#include "workdir.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Plays the editor in front of the modal dialogs: the next site dialog gets the next action, a host
// key question is answered yes, any other message box is closed and its text kept.
class DialogScript : public QObject
{
public:
    DialogScript()
    {
        connect(&m_timer, &QTimer::timeout, this, &DialogScript::poll);
        m_timer.start(50);
    }
    void onSiteDialog(const std::function<void(SiteDialog *)> &action) { m_actions << action; }
    bool done() const { return m_actions.isEmpty(); }
    QStringList messages;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal->property("answered").toBool())
            return;
        modal->setProperty("answered", true);
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            messages << box->text();
            QAbstractButton *yes = box->button(QMessageBox::Yes);
            (yes ? yes : box->buttons().first())->click();
        } else if (auto *dialog = qobject_cast<SiteDialog *>(modal)) {
            // Out of this timer's call, which does not come again while it runs: the check may ask a question.
            const auto action = m_actions.isEmpty() ? [](SiteDialog *d) { d->reject(); } : m_actions.takeFirst();
            QTimer::singleShot(0, dialog, [action, dialog] { action(dialog); });
        }
    }
    QList<std::function<void(SiteDialog *)>> m_actions;
    QTimer m_timer;
};

template <typename T> T *field(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(name);
}

// The fields as the editor fills them in for a server of the tests.
void fillIn(QWidget *dialog, const QString &name, int transport, const TestServer &server, const QString &path)
{
    field<QLineEdit>(dialog, "siteNameEdit")->setText(name);
    field<QComboBox>(dialog, "transportCombo")->setCurrentIndex(transport);
    field<QLineEdit>(dialog, "hostEdit")->setText("127.0.0.1");
    field<QSpinBox>(dialog, "portSpin")->setValue(server.port());
    field<QLineEdit>(dialog, "pagePathEdit")->setText(path);
    field<QLineEdit>(dialog, "siteLoginEdit")->setText(server.user());
    field<QLineEdit>(dialog, "sitePasswordEdit")->setText(server.password());
}

QStringList checked(QWidget *dialog)
{
    field<QPushButton>(dialog, "testConnectionButton")->click();
    return field<QPlainTextEdit>(dialog, "testResultView")->toPlainText().split('\n');
}

QString text(NewsAdder &window)
{
    return window.findChild<QPlainTextEdit *>("textEdit")->toPlainText();
}

} // namespace

class TestSites : public QObject
{
    Q_OBJECT

public:
    TestSites(NewsAdder &window, const QString &home) : m_window(window), m_home(home) {}

private slots:
    void twoSitesFromEmptyHome();
    void checkFails_data();
    void checkFails();

private:
    void choose(const QString &site);
    NewsAdder &m_window;
    QString m_home;
};

void TestSites::choose(const QString &site)
{
    QComboBox *combo = m_window.siteCombo();
    const int index = combo->findText(site);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void TestSites::twoSitesFromEmptyHome()
{
    FtpServer ftp({"--no-anonymous"});
    QVERIFY(ftp.start());
    ftp.putFile("news.html", Page);
    DialogScript script;
    QStringList lines;
    // The dialog opened by itself: filled in for the FTP server, checked, saved.
    script.onSiteDialog([&](SiteDialog *dialog) {
        fillIn(dialog, "Школа 5", 4, ftp, "news.html");
        lines = checked(dialog);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }, 20000));
    QCOMPARE(lines.size(), 4);
    for (const QString &line : lines)
        QVERIFY2(line.startsWith("✓"), qPrintable(lines.join('\n')));
    QVERIFY2(lines.at(2).contains("новостей под ней: 0"), qPrintable(lines.join("\n")));
    const QString school = m_home + "/newsadder/sites/shkola-5";
    QCOMPARE(QDir::currentPath(), school);
    QCOMPARE(m_window.siteCombo()->currentText(), QString("Школа 5"));
    // Nothing but the check's lock folder, made and removed, and the page's download reached the server.
    QCOMPARE(ftp.commandCount("MKD"), 1);
    QCOMPARE(ftp.commandCount("RETR"), 1);
    QVERIFY(!readFile(school + "/settings.ini").contains(ftp.password().toUtf8()));

    typeItem(m_window, UsualText, UsualDate);
    click(m_window, "sendButton");
    QTRY_VERIFY_WITH_TIMEOUT(ftp.fileContents("news.html").contains("abc<br>def"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(QDir(school).entryList({"backup_*.bak"}).size(), 1, 5000);

    // A second site, over SFTP, from a pasted address; its key trusted during the check goes to its folder.
    SftpServer sftp;
    QVERIFY(sftp.start());
    sftp.putFile("news.html", Page);
    script.onSiteDialog([&](SiteDialog *dialog) {
        field<QLineEdit>(dialog, "siteNameEdit")->setText("Клуб");
        QApplication::clipboard()->setText(QString("sftp://editor@127.0.0.1:%1/news.html").arg(sftp.port()));
        field<QLineEdit>(dialog, "hostEdit")->paste();
        QCOMPARE(field<QLineEdit>(dialog, "hostEdit")->text(), QString("127.0.0.1"));
        field<QLineEdit>(dialog, "sitePasswordEdit")->setText(sftp.password());
        lines = checked(dialog);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    choose("Новый сайт…");
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }, 20000));
    QVERIFY2(lines.filter("✓").size() == 4, qPrintable(lines.join('\n')));
    QVERIFY(script.messages.filter("ещё не знаком").size() == 1);
    const QString club = m_home + "/newsadder/sites/klub";
    QCOMPARE(QDir::currentPath(), club);
    QVERIFY(readFile(club + "/known_hosts").contains(sftp.knownHostsLine().section(' ', 2).toUtf8()));
    QCOMPARE(m_window.loginEdit()->text(), QString("editor"));

    // Each site its own draft and backups.
    QCOMPARE(text(m_window), QString());
    typeItem(m_window, "club news", UsualDate);
    choose("Школа 5");
    QCOMPARE(QDir::currentPath(), school);
    QCOMPARE(text(m_window), QString());
    choose("Клуб");
    QCOMPARE(text(m_window), QString("club news"));
    typeCredentials(m_window, sftp.user(), sftp.password());
    click(m_window, "sendButton");
    QTRY_VERIFY_WITH_TIMEOUT(sftp.fileContents("news.html").contains("club news"), 10000);
    QCOMPARE(QDir(club).entryList({"backup_*.bak"}).size(), 1);
    QCOMPARE(QDir(school).entryList({"backup_*.bak"}).size(), 1);
    // The one chosen last opens at the next start.
    QCOMPARE(readFile(m_home + "/newsadder/sites/.last"), QByteArray("sites/klub\n"));
}

void TestSites::checkFails_data()
{
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("feed");
    QTest::addColumn<QString>("failed");  // the start of the ✗ line

    const QStringList strict{"--no-anonymous"};
    QTest::newRow("wrong password") << strict << "wrong" << Page << "" << "✗ подключение к 127.0.0.1:";
    QTest::newRow("page without the marker")
        << strict << "" << QByteArray("<html><body>news</body></html>") << "" << "✗ на странице нет метки";
    QTest::newRow("marker only in a comment")
        << strict << "" << QByteArray("<!-- <font color=yellow> -->") << "" << "✗ метка <font color=yellow> есть только";
    QTest::newRow("read-only folder") << QStringList{"--no-anonymous", "--read-only"} << "" << Page << ""
                                      << "✗ папка страницы не принимает записи";
    QTest::newRow("silent server") << QStringList{"--no-anonymous", "--mute-at", "MKD"} << "" << Page << ""
                                   << "✗ подключение к 127.0.0.1:";
    QTest::newRow("feed not linked") << strict << "" << Page << "news.atom" << "✗ страница не ссылается на ленту";
}

void TestSites::checkFails()
{
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, password);
    QFETCH(QByteArray, page);
    QFETCH(QString, feed);
    QFETCH(QString, failed);

    WorkDir dir;
    FtpServer server(serverArgs);
    QVERIFY(server.start());
    server.putFile("news.html", page);
    SiteDialog dialog;
    dialog.setIdleTimeout(1500);
    dialog.show();
    fillIn(&dialog, "site", 4, server, "news.html");
    if (!password.isEmpty())
        field<QLineEdit>(&dialog, "sitePasswordEdit")->setText(password);
    field<QLineEdit>(&dialog, "feedEdit")->setText(feed);
    QElapsedTimer took;
    took.start();
    const QStringList lines = checked(&dialog);
    QVERIFY2(lines.filter(QRegularExpression("^" + QRegularExpression::escape(failed))).size() == 1,
             qPrintable(lines.join('\n')));
    QVERIFY2(took.elapsed() < 3 * 1500 + 2000, qPrintable(QString::number(took.elapsed())));
    QCOMPARE(field<QPushButton>(&dialog, "testConnectionButton")->text(), QString("Проверить"));
    // The check wrote nothing: the lock folder is gone again, no file beside the page.
    QCOMPARE(QDir(server.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"news.html"});
    QVERIFY(!lines.join('\n').contains(server.password()) || password.isEmpty());
}

int main(int argc, char *argv[])
{
    // The real start-up in an empty home, started in an empty folder.
    QTemporaryDir home, started;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    QDir::setCurrent(started.path());
    int result = 1;
    startNewsAdder(argc, argv, WorkingFolderChoice::AsStarted, [&](QApplication &, NewsAdder &window) {
        TestSites test(window, home.path());
        result = QTest::qExec(&test, argc, argv);
        return 0;
    });
    return result;
}

#include "tst_sites.moc"
