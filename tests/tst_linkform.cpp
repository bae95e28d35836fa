#include "ui/formscale.h"
#include "ui/linkform.h"
#include "page/markup.h"
#include "ui/newsadder.h"
#include "workdir.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// Has the receiving slot but is no NewsAdder, which the link editor must refuse.
class OtherReceiver : public QObject
{
    Q_OBJECT
public:
    QStringList received;
public slots:
    void recieveLink(QString link) { received << link; }
};

class TestLinkForm : public QObject
{
    Q_OBJECT

private slots:
    void fragment_data();
    void fragment();
    void fieldsResetAfterButton_data();
    void fieldsResetAfterButton();
    void frameCloseKeepsTypedText();
    void enterAndEscapeDoNothing();
    void typedLinkReachesMainWindow();
    void otherReceiverIsRefused();
    void formLayout();
    void focusOrder();

private:
    static QLineEdit *address(linkForm &form) { return form.findChild<QLineEdit *>("lineEditLinkText"); }
    static QLineEdit *shownText(linkForm &form) { return form.findChild<QLineEdit *>("lineEditAltT"); }
    static QCheckBox *newWindow(linkForm &form) { return form.findChild<QCheckBox *>("checkBoxNewWindow"); }
    static QPushButton *button(linkForm &form, const char *name) { return form.findChild<QPushButton *>(name); }
    // Every field away from what the form starts with.
    static void typeNonDefaults(linkForm &form)
    {
        address(form)->setText(QStringLiteral("page.html"));
        shownText(form)->setText(QStringLiteral("more"));
        newWindow(form)->setChecked(false);
    }
};

void TestLinkForm::fragment_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("inNewWindow");
    QTest::addColumn<QString>("expected");

    QTest::newRow("new window") << "page.html" << "more" << true
        << "<a href=\"page.html\" target=\"_blank\">more</a>";
    QTest::newRow("same window") << "page.html" << "more" << false
        << "<a href=\"page.html\" >more</a>";
    QTest::newRow("empty, new window") << "" << "" << true << "<a href=\"\" target=\"_blank\"></a>";
    QTest::newRow("empty, same window") << "" << "" << false << "<a href=\"\" ></a>";
    QTest::newRow("address escaped, shown text as typed") << "a.php?x=\"1\"&y=<2>" << "\"Tom & <Jerry>\"" << true
        << "<a href=\"a.php?x=&quot;1&quot;&amp;y=&lt;2>\" target=\"_blank\">\"Tom & <Jerry>\"</a>";
    QTest::newRow("address already escaped: escaped again") << "a.php?x=1&amp;y=2" << "x" << false
        << "<a href=\"a.php?x=1&amp;amp;y=2\" >x</a>";
    QTest::newRow("spaces kept") << "  page.html " << " more  " << false
        << "<a href=\"  page.html \" > more  </a>";
    QTest::newRow("russian text") << "http://example.org/новости" << "Подробнее" << true
        << "<a href=\"http://example.org/новости\" target=\"_blank\">Подробнее</a>";
}

void TestLinkForm::fragment()
{
    QFETCH(QString, address);
    QFETCH(QString, text);
    QFETCH(bool, inNewWindow);
    QFETCH(QString, expected);

    QCOMPARE(linkFragment(address, text, inNewWindow), expected);

    linkForm form;
    QSignalSpy sent(&form, SIGNAL(sendLink(QString)));
    form.show();
    TestLinkForm::address(form)->setText(address);
    shownText(form)->setText(text);
    newWindow(form)->setChecked(inNewWindow);
    QTest::mouseClick(button(form, "pushButtonOk"), Qt::LeftButton);

    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.at(0).at(0).toString(), expected);
    QVERIFY(form.isHidden());
}

void TestLinkForm::fieldsResetAfterButton_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<int>("emitted");
    QTest::newRow("OK") << "pushButtonOk" << 1;
    QTest::newRow("cancel") << "pushButtonCancel" << 0;
}

void TestLinkForm::fieldsResetAfterButton()
{
    QFETCH(QString, buttonName);
    QFETCH(int, emitted);

    linkForm form;
    QSignalSpy sent(&form, SIGNAL(sendLink(QString)));
    form.show();
    typeNonDefaults(form);
    QTest::mouseClick(button(form, buttonName.toLatin1()), Qt::LeftButton);

    QCOMPARE(sent.count(), emitted);
    QVERIFY(form.isHidden());
    form.show();
    QCOMPARE(address(form)->text(), QString());
    QCOMPARE(shownText(form)->text(), QString());
    QVERIFY(newWindow(form)->isChecked());
}

void TestLinkForm::frameCloseKeepsTypedText()
{
    linkForm form;
    QSignalSpy sent(&form, SIGNAL(sendLink(QString)));
    form.show();
    typeNonDefaults(form);
    QVERIFY(form.close());

    QVERIFY(form.isHidden());
    QCOMPARE(sent.count(), 0);
    form.show();
    QCOMPARE(address(form)->text(), QStringLiteral("page.html"));
    QCOMPARE(shownText(form)->text(), QStringLiteral("more"));
    QVERIFY(!newWindow(form)->isChecked());
}

// The form is no dialog: it has no default button and nothing to reject.
void TestLinkForm::enterAndEscapeDoNothing()
{
    linkForm form;
    QSignalSpy sent(&form, SIGNAL(sendLink(QString)));
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    address(form)->setFocus();
    QTest::keyClicks(address(form), QStringLiteral("page.html"));
    QTest::keyClick(address(form), Qt::Key_Return);
    QTest::keyClick(address(form), Qt::Key_Escape);

    QCOMPARE(sent.count(), 0);
    QVERIFY(form.isVisible());
    QCOMPARE(address(form)->text(), QStringLiteral("page.html"));
}

void TestLinkForm::typedLinkReachesMainWindow()
{
    WorkDir dir;
    NewsAdder window(QString(), QString(), QString(), 0);
    auto editor = window.findChild<QPlainTextEdit *>("textEdit");
    editor->setPlainText(QStringLiteral("read "));
    editor->moveCursor(QTextCursor::End);

    linkForm form;
    form.setReceiver(&window);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    address(form)->setFocus();
    QTest::keyClicks(address(form), QStringLiteral("page.html"));
    shownText(form)->setFocus();
    QTest::keyClicks(shownText(form), QStringLiteral("more"));
    QTest::mouseClick(button(form, "pushButtonOk"), Qt::LeftButton);

    QCOMPARE(editor->toPlainText(), QStringLiteral("read <a href=\"page.html\" target=\"_blank\">more</a>"));
}

void TestLinkForm::otherReceiverIsRefused()
{
    OtherReceiver other;
    linkForm form;
    QSignalSpy sent(&form, SIGNAL(sendLink(QString)));
    form.setReceiver(&other);
    form.show();
    address(form)->setText(QStringLiteral("page.html"));
    QTest::mouseClick(button(form, "pushButtonOk"), Qt::LeftButton);

    QCOMPARE(sent.count(), 1);
    QCOMPARE(other.received, QStringList());
    QVERIFY(form.isHidden());
    QCOMPARE(address(form)->text(), QString());
}

void TestLinkForm::formLayout()
{
    linkForm form;
    QCOMPARE(form.objectName(), QStringLiteral("linkForm"));
    const qreal factor = formScale(&form);
    QCOMPARE(form.size(), scaledRect(QRect(0, 0, 540, 95), factor).size());
    QCOMPARE(form.windowTitle(), QStringLiteral("Редактор ссылок"));
    QVERIFY(!form.layout());

    struct Expected { const char *name; const char *className; QRect geometry; const char *caption; };
    const Expected widgets[] = {
        {"pushButtonOk", "QPushButton", QRect(460, 10, 75, 24), "OK"},
        {"pushButtonCancel", "QPushButton", QRect(460, 40, 75, 24), "Отмена"},
        {"lineEditLinkText", "QLineEdit", QRect(90, 10, 361, 20), ""},
        {"label", "QLabel", QRect(10, 10, 61, 16), "Ссылка"},
        {"lineEditAltT", "QLineEdit", QRect(140, 40, 311, 20), ""},
        {"label_2", "QLabel", QRect(10, 40, 131, 16), "Альтернативный текст:"},
        {"checkBoxNewWindow", "QCheckBox", QRect(170, 70, 161, 19), "Открывать в новом окне"},
    };
    const QList<QWidget *> children = form.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(children.size(), 7);
    for (int i = 0; i < 7; ++i) {
        QWidget *widget = children.at(i);
        QCOMPARE(widget->objectName(), QString::fromLatin1(widgets[i].name));
        QCOMPARE(widget->metaObject()->className(), widgets[i].className);
        QCOMPARE(widget->geometry(), scaledRect(widgets[i].geometry, factor));
        const QVariant caption = widget->property("text");
        QCOMPARE(caption.toString(), QString::fromUtf8(widgets[i].caption));
    }
    QCOMPARE(newWindow(form)->toolTip(), QStringLiteral("Открыть в отдельном окне или прямо во фрейме?"));
    QVERIFY(newWindow(form)->isChecked());
    QVERIFY(!newWindow(form)->isTristate());
}

void TestLinkForm::focusOrder()
{
    linkForm form;
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    button(form, "pushButtonOk")->setFocus();

    QStringList visited;
    for (int i = 0; i < 6; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, (QStringList{"pushButtonOk", "pushButtonCancel", "lineEditLinkText",
                                   "lineEditAltT", "checkBoxNewWindow", "pushButtonOk"}));
}

QTEST_MAIN(TestLinkForm)
#include "tst_linkform.moc"
