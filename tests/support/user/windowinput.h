#ifndef WINDOWINPUT_H
#define WINDOWINPUT_H

#include <QDateTime>
#include <QString>

class NewsAdder;
class QWidget;

// What a user does in the main window: type into its fields, click its buttons (by object name).

void typeCredentials(NewsAdder &window, const QString &login, const QString &password);
void typeItem(NewsAdder &window, const QString &text, const QDateTime &date);
void click(NewsAdder &window, const char *button);
// Key by key, any alphabet; a line feed as the Return key.
void typeKeys(QWidget *widget, const QString &text);

#endif // WINDOWINPUT_H
