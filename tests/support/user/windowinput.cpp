#include "windowinput.h"

#include "ui/newsadder.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

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

void typeKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            QTest::keyClick(widget, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
