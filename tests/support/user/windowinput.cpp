#include "windowinput.h"

#include "ui/newsadder.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

void typeCredentials(NewsAdder &window, const QString &login, const QString &password)
{
    window.findChild<QLineEdit *>(QStringLiteral("loginEdit"))->setText(login);
    window.findChild<QLineEdit *>(QStringLiteral("passEdit"))->setText(password);
}

void typeItem(NewsAdder &window, const QString &text, const QDateTime &date)
{
    window.findChild<QPlainTextEdit *>(QStringLiteral("textEdit"))->setPlainText(text);
    window.findChild<QDateTimeEdit *>(QStringLiteral("dateTimeEdit"))->setDateTime(date);
}

void click(NewsAdder &window, const char *button)
{
    window.findChild<QPushButton *>(button)->click();
}
