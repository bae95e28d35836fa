#ifndef SCRIPTEDUSER_H
#define SCRIPTEDUSER_H

#include "publish/publisher.h"
#include "publish/userinterface.h"

#include <QDateTime>
#include <QQueue>
#include <QStringList>

#include <functional>

class TestServer;

// The usual item, as the editor types it in the window.
inline const QString UsualText = QStringLiteral("abc\ndef");
inline const QDateTime UsualDate(QDate(2026, 12, 5), QTime(18, 48));

// Plays the user for a publisher without a window: answers from a script and notes what it was
// shown. Questions and file choices nobody scripted get the default: no, cancelled.
class ScriptedUser : public UserInterface
{
public:
    void answer(bool yes) { m_answers.enqueue(yes); }
    void chooseFile(const QString &name) { m_files.enqueue(name); }  // empty: cancelled

    // Every message, question and file choice in order; a question or a file choice as the window's
    // text or caption starts (messages.h).
    QStringList seen;
    int unscripted = 0;
    int pendingAnswers() const { return m_answers.size() + m_files.size(); }

    // Run after each message is shown, while it would still be open in the window.
    std::function<void(const QString &text)> whileShown;

    void showMessage(const QString &text) override
    {
        seen << text;
        if (whileShown)
            whileShown(text);
    }
    bool goOnWithoutBackup() override;
    bool confirmRestore(const QString &fileName, const QString &address) override;
    bool confirmRepeatedItem() override;
    bool confirmEmptyItem() override;
    bool confirmRemoval(const PublishedItem &item) override;
    bool confirmEmptyPassword() override;
    bool trustUnknownHostKey(const HostKeyFacts &facts) override;
    bool confirmRollback(const QDateTime &version, const QStringList &goneItems) override;
    QString backupFileToSave() override { return nextFile(); }
    QString backupFileToRestore() override { return nextFile(); }
    void setBusy(bool) override {}

private:
    bool ask(const QString &question);
    QString nextFile();

    QQueue<bool> m_answers;
    QQueue<QString> m_files;
};

// server's news.html for both addresses, with the server's user and password, or none typed.
ServerAccess accessTo(const TestServer &server, bool withLogin = true);

// A publisher reaching server through accessTo(), with a scripted user in front of it.
struct ScriptedPublisher
{
    explicit ScriptedPublisher(const ServerAccess &access) { publisher.setAccess(access); }
    explicit ScriptedPublisher(const TestServer &server, bool withLogin = true)
        : ScriptedPublisher(accessTo(server, withLogin))
    {
    }

    PublishResult sendUsualItem() { return publisher.send(UsualText, UsualDate); }

    // As the editor types another login and password between commands.
    void typeLogin(const QString &login, const QString &password)
    {
        ServerAccess access = publisher.access();
        access.login = login;
        access.password = password;
        publisher.setAccess(access);
    }

    ScriptedUser user;
    Publisher publisher{user};
};

#endif // SCRIPTEDUSER_H
