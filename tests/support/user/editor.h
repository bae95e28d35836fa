#ifndef EDITOR_H
#define EDITOR_H

#include "ui/newsadder.h"

#include <QDateTime>
#include <QString>

class TestServer;
class QLineEdit;
class QPushButton;

// The buttons that talk to the server; while one command runs, all of them are off.
inline const char *const PublishingButtons[] = {"sendButton", "pushButton", "restoreButton"};

// The editor's window against a running server: the usual item (abc, def at 05.12.2026 18:48)
// typed in, the server's login and password filled in.
class Editor
{
public:
    explicit Editor(const TestServer &server);

    void type(const QString &text, const QDateTime &date);
    QLineEdit *field(const char *name);
    QPushButton *button(const char *name);
    void click(const char *name);
    void send() { click("sendButton"); }
    bool publishingEnabled();

    NewsAdder window;
};

#endif // EDITOR_H
