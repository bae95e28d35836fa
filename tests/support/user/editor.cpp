#include "editor.h"

#include "scripteduser.h"
#include "testserver.h"
#include "windowinput.h"

#include <QLineEdit>
#include <QPushButton>

Editor::Editor(const TestServer &server)
    : window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port())
{
    type(UsualText, UsualDate);
    typeCredentials(window, server.user(), server.password());
}

void Editor::type(const QString &text, const QDateTime &date)
{
    typeItem(window, text, date);
}

QLineEdit *Editor::field(const char *name)
{
    return window.findChild<QLineEdit *>(name);
}

QPushButton *Editor::button(const char *name)
{
    return window.findChild<QPushButton *>(name);
}

void Editor::click(const char *name)
{
    button(name)->click();
}

bool Editor::publishingEnabled()
{
    for (const char *name : PublishingButtons) {
        if (!button(name)->isEnabled())
            return false;
    }
    return true;
}
