#include "ui/cimglinkdialog.h"
#include "ui/dialoghookup.h"
#include "ui/linkform.h"
#include "ui/newsadder.h"
#include "workdir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>

// The main window with both dialogs wired to it as at start-up, used through its buttons.
class TestHookup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogsStartHiddenAndBelongToTheWindow();
    void buttonsShowDialogsWithoutModality();
    void linkReplacesSelectionInEditor();
    void imageGoesInWhereTheCursorIsAtOk();
    void fragmentIsInBeforeTheDialogResets();
    void cancelAndEscapeInsertNothing();
    void pressingTwiceShowsOneDialog();
    void bothDialogsOpenAtOnce();
    void keyboardStaysInEditor_data();
    void keyboardStaysInEditor();

private:
    QPushButton *windowButton(const char *name) { return m_window->findChild<QPushButton *>(name); }
    QPlainTextEdit *editor() { return m_window->findChild<QPlainTextEdit *>("textEdit"); }
    void select(int anchor, int position);
    int visibleWindowsOf(const char *className) const;

    WorkDir *m_dir = nullptr;
    NewsAdder *m_window = nullptr;
};

void TestHookup::init()
{
    m_dir = new WorkDir;
    m_window = new NewsAdder(QString(), QString(), QString(), 0);
    hookUpDialogs(m_window);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

// Torn down in the order the program uses at exit.
void TestHookup::cleanup()
{
    delete m_window->imgLinkDialog;
    delete m_window->linkDialog;
    delete m_window;
    m_window = nullptr;
    delete m_dir;
    m_dir = nullptr;
}

void TestHookup::select(int anchor, int position)
{
    QTextCursor cursor = editor()->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    editor()->setTextCursor(cursor);
}

int TestHookup::visibleWindowsOf(const char *className) const
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        count += widget->isVisible() && widget->inherits(className) ? 1 : 0;
    return count;
}

void TestHookup::dialogsStartHiddenAndBelongToTheWindow()
{
    QVERIFY(m_window->linkDialog);
    QVERIFY(m_window->imgLinkDialog);
    for (QWidget *dialog : {static_cast<QWidget *>(m_window->linkDialog),
                            static_cast<QWidget *>(m_window->imgLinkDialog)}) {
        QCOMPARE(dialog->parentWidget(), m_window);
        QCOMPARE(dialog->windowType(), Qt::Window);
        QVERIFY(dialog->isWindow());
        QVERIFY(dialog->isHidden());
    }
}

void TestHookup::buttonsShowDialogsWithoutModality()
{
    QTest::mouseClick(windowButton("linkButton"), Qt::LeftButton);
    QVERIFY(m_window->linkDialog->isVisible());
    QTest::mouseClick(windowButton("pushButtonImageLink"), Qt::LeftButton);
    QVERIFY(m_window->imgLinkDialog->isVisible());
    QCOMPARE(m_window->linkDialog->windowModality(), Qt::NonModal);
    QCOMPARE(m_window->imgLinkDialog->windowModality(), Qt::NonModal);
    QVERIFY(!QApplication::activeModalWidget());

    // The editor stays usable meanwhile.
    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    editor()->setFocus();
    QTest::keyClicks(editor(), QStringLiteral("still typing"));
    QCOMPARE(editor()->toPlainText(), QStringLiteral("still typing"));
    QTest::mouseClick(windowButton("boldTagButton"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), QStringLiteral("still typing<b></b>"));
}

void TestHookup::linkReplacesSelectionInEditor()
{
    editor()->setPlainText(QStringLiteral("see here now"));
    select(4, 8);
    QTest::mouseClick(windowButton("linkButton"), Qt::LeftButton);
    linkForm *form = m_window->linkDialog;
    form->findChild<QLineEdit *>("lineEditLinkText")->setText(QStringLiteral("page.html"));
    form->findChild<QLineEdit *>("lineEditAltT")->setText(QStringLiteral("here"));
    form->findChild<QCheckBox *>("checkBoxNewWindow")->setChecked(false);
    QTest::ignoreMessage(QtDebugMsg, "\"<a href=\\\"page.html\\\" >here</a>\"");
    QTest::mouseClick(form->findChild<QPushButton *>("pushButtonOk"), Qt::LeftButton);

    QCOMPARE(editor()->toPlainText(), QStringLiteral("see <a href=\"page.html\" >here</a> now"));
    QVERIFY(form->isHidden());
    QTest::mouseClick(windowButton("undoButton"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), QStringLiteral("see here now"));
}

void TestHookup::imageGoesInWhereTheCursorIsAtOk()
{
    editor()->setPlainText(QStringLiteral("first second"));
    select(0, 0);
    QTest::mouseClick(windowButton("pushButtonImageLink"), Qt::LeftButton);
    cImgLinkDialog *dialog = m_window->imgLinkDialog;
    dialog->findChild<QLineEdit *>("lineEdit")->setText(QStringLiteral("photo.jpg"));
    dialog->findChild<QSpinBox *>("spinBoxBorderSize")->setValue(2);
    dialog->findChild<QComboBox *>("comboBoxAlign")->setCurrentIndex(2);
    dialog->findChild<QCheckBox *>("checkBoxChangeImgSize")->setChecked(true);
    dialog->findChild<QSpinBox *>("spinBoxPixelsW")->setValue(320);
    dialog->findChild<QSpinBox *>("spinBoxPixelsH")->setValue(240);
    dialog->findChild<QLineEdit *>("lineEditImgAltText")->setText(QStringLiteral("photo"));

    select(6, 12);  // the user picks another place while the dialog is open
    QTest::mouseClick(dialog->findChild<QPushButton *>("pushButtonOk"), Qt::LeftButton);

    QCOMPARE(editor()->toPlainText(),
             QStringLiteral("first <img src=\"photo.jpg\" border=\"2\" align=\"left\" "
                            "width=\"320\" height=\"240\" alt=\"photo\" title=\"photo\">"));
    QCOMPARE(editor()->textCursor().position(), editor()->toPlainText().size());
    QVERIFY(dialog->isHidden());
}

// The fragment is delivered inside the emission, while the fields still hold what was typed.
void TestHookup::fragmentIsInBeforeTheDialogResets()
{
    QStringList addressWhenInserted;
    QLineEdit *address = m_window->imgLinkDialog->findChild<QLineEdit *>("lineEdit");
    connect(editor(), &QPlainTextEdit::textChanged, this,
            [&] { addressWhenInserted << address->text(); });

    QTest::mouseClick(windowButton("pushButtonImageLink"), Qt::LeftButton);
    address->setText(QStringLiteral("photo.jpg"));
    QTest::mouseClick(m_window->imgLinkDialog->findChild<QPushButton *>("pushButtonOk"), Qt::LeftButton);

    QCOMPARE(addressWhenInserted, QStringList{"photo.jpg"});
    QCOMPARE(address->text(), QString());
}

void TestHookup::cancelAndEscapeInsertNothing()
{
    editor()->setPlainText(QStringLiteral("keep this"));
    select(0, 4);

    QTest::mouseClick(windowButton("linkButton"), Qt::LeftButton);
    m_window->linkDialog->findChild<QLineEdit *>("lineEditLinkText")->setText(QStringLiteral("page.html"));
    QTest::mouseClick(m_window->linkDialog->findChild<QPushButton *>("pushButtonCancel"), Qt::LeftButton);

    QTest::mouseClick(windowButton("pushButtonImageLink"), Qt::LeftButton);
    QLineEdit *address = m_window->imgLinkDialog->findChild<QLineEdit *>("lineEdit");
    address->setText(QStringLiteral("photo.jpg"));
    QTest::mouseClick(m_window->imgLinkDialog->findChild<QPushButton *>("pushButtonCancel"), Qt::LeftButton);

    QTest::mouseClick(windowButton("pushButtonImageLink"), Qt::LeftButton);
    address->setText(QStringLiteral("photo.jpg"));
    QApplication::setActiveWindow(m_window->imgLinkDialog);
    QVERIFY(QTest::qWaitForWindowActive(m_window->imgLinkDialog));
    address->setFocus();
    QTest::keyClick(address, Qt::Key_Escape);

    QVERIFY(m_window->linkDialog->isHidden());
    QVERIFY(m_window->imgLinkDialog->isHidden());
    QCOMPARE(editor()->toPlainText(), QStringLiteral("keep this"));
    QCOMPARE(editor()->textCursor().selectedText(), QStringLiteral("keep"));
}

void TestHookup::pressingTwiceShowsOneDialog()
{
    QTest::mouseClick(windowButton("linkButton"), Qt::LeftButton);
    m_window->linkDialog->findChild<QLineEdit *>("lineEditLinkText")->setText(QStringLiteral("page.html"));
    QTest::mouseClick(windowButton("linkButton"), Qt::LeftButton);
    QTest::mouseClick(windowButton("pushButtonImageLink"), Qt::LeftButton);
    QTest::mouseClick(windowButton("pushButtonImageLink"), Qt::LeftButton);

    QCOMPARE(visibleWindowsOf("linkForm"), 1);
    QCOMPARE(visibleWindowsOf("cImgLinkDialog"), 1);
    QCOMPARE(m_window->linkDialog->findChild<QLineEdit *>("lineEditLinkText")->text(),
             QStringLiteral("page.html"));
}

void TestHookup::bothDialogsOpenAtOnce()
{
    editor()->setPlainText(QString());
    QTest::mouseClick(windowButton("linkButton"), Qt::LeftButton);
    QTest::mouseClick(windowButton("pushButtonImageLink"), Qt::LeftButton);
    QVERIFY(m_window->linkDialog->isVisible());
    QVERIFY(m_window->imgLinkDialog->isVisible());

    m_window->imgLinkDialog->findChild<QLineEdit *>("lineEdit")->setText(QStringLiteral("a.png"));
    QTest::mouseClick(m_window->imgLinkDialog->findChild<QPushButton *>("pushButtonOk"), Qt::LeftButton);
    QVERIFY(m_window->linkDialog->isVisible());

    m_window->linkDialog->findChild<QLineEdit *>("lineEditLinkText")->setText(QStringLiteral("b.html"));
    m_window->linkDialog->findChild<QLineEdit *>("lineEditAltT")->setText(QStringLiteral("b"));
    QTest::mouseClick(m_window->linkDialog->findChild<QPushButton *>("pushButtonOk"), Qt::LeftButton);

    QCOMPARE(editor()->toPlainText(),
             QStringLiteral("<div align=\"center\"><img src=\"a.png\" border=\"0\"></div>"
                            "<a href=\"b.html\" target=\"_blank\">b</a>"));
    QVERIFY(m_window->linkDialog->isHidden());
    QVERIFY(m_window->imgLinkDialog->isHidden());
}

void TestHookup::keyboardStaysInEditor_data()
{
    QTest::addColumn<QStringList>("clicks");  // buttons of the window, then of the dialog it opened
    QTest::addColumn<QString>("expected");

    QTest::newRow("Ж") << QStringList{"boldTagButton"} << "x<b>abc</b>";
    QTest::newRow("К") << QStringList{"italicTagButton"} << "x<i>abc</i>";
    QTest::newRow("Ч") << QStringList{"underlineTagButton"} << "x<u>abc</u>";
    QTest::newRow("size") << QStringList{"pushButtonSetFontSize"} << "x<font style=\"font-size:12pt\">abc</font>";
    QTest::newRow("colour") << QStringList{"pushButtonSetFontColor"} << "x<font color=\"red\">abc</font>";
    QTest::newRow("undo") << QStringList{"undoButton"} << "abc";
    QTest::newRow("redo") << QStringList{"undoButton", "redoBtn"} << "xabc";
    QTest::newRow("link, OK") << QStringList{"linkButton", "pushButtonOk"} << "x<a href=\"\" target=\"_blank\"></a>abc";
    QTest::newRow("link, cancel") << QStringList{"linkButton", "pushButtonCancel"} << "xabc";
    QTest::newRow("image, OK") << QStringList{"pushButtonImageLink", "pushButtonOk"}
                               << "x<div align=\"center\"><img src=\"\" border=\"0\"></div>abc";
    QTest::newRow("image, cancel") << QStringList{"pushButtonImageLink", "pushButtonCancel"} << "xabc";
}

// Click, type on: the typing goes into the editor, inside an empty pair, after an inserted fragment.
void TestHookup::keyboardStaysInEditor()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, expected);

    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    editor()->setFocus();
    QTest::keyClicks(editor(), "x");
    QWidget *dialog = nullptr;
    for (const QString &name : clicks) {
        QWidget *form = dialog ? dialog : m_window;
        QTest::mouseClick(form->findChild<QPushButton *>(name), Qt::LeftButton);
        if (name == "linkButton" || name == "pushButtonImageLink")
            dialog = name == "linkButton" ? static_cast<QWidget *>(m_window->linkDialog) : m_window->imgLinkDialog;
    }
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget *>(editor()), 2000);
    QTest::keyClicks(QApplication::focusWidget(), "abc");
    QCOMPARE(editor()->toPlainText(), expected);
}

QTEST_MAIN(TestHookup)
#include "tst_hookup.moc"
