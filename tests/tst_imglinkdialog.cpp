#include "ui/cimglinkdialog.h"
#include "ui/formscale.h"
#include "page/markup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

// Any object with the receiving slot will do for the image editor.
class AnyReceiver : public QObject
{
    Q_OBJECT
public:
    QStringList received;
public slots:
    void recieveLink(QString link) { received << link; }
};

class TestImgLinkDialog : public QObject
{
    Q_OBJECT

private slots:
    void fragment_data();
    void fragment();
    void fieldsResetAfterButton_data();
    void fieldsResetAfterButton();
    void closingKeepsTypedText_data();
    void closingKeepsTypedText();
    void enterSendsFromAddressField();
    void anyReceiverWithTheSlot();
    void dialogLayout();
    void rangesAndDefaults();
    void focusOrder();

private:
    // The dialog's fields, found by object name as the form names them.
    struct Fields
    {
        explicit Fields(cImgLinkDialog &dialog)
            : address(dialog.findChild<QLineEdit *>("lineEdit"))
            , text(dialog.findChild<QLineEdit *>("lineEditImgAltText"))
            , border(dialog.findChild<QSpinBox *>("spinBoxBorderSize"))
            , align(dialog.findChild<QComboBox *>("comboBoxAlign"))
            , changeSize(dialog.findChild<QCheckBox *>("checkBoxChangeImgSize"))
            , width(dialog.findChild<QSpinBox *>("spinBoxPixelsW"))
            , height(dialog.findChild<QSpinBox *>("spinBoxPixelsH"))
            , ok(dialog.findChild<QPushButton *>("pushButtonOk"))
            , cancel(dialog.findChild<QPushButton *>("pushButtonCancel"))
        {}
        void fillWithNonDefaults() const
        {
            address->setText(QStringLiteral("photo.jpg"));
            text->setText(QStringLiteral("photo"));
            border->setValue(4);
            align->setCurrentIndex(1);
            changeSize->setChecked(true);
            width->setValue(320);
            height->setValue(240);
        }
        QLineEdit *address, *text;
        QSpinBox *border;
        QComboBox *align;
        QCheckBox *changeSize;
        QSpinBox *width, *height;
        QPushButton *ok, *cancel;
    };
};

void TestImgLinkDialog::fragment_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("border");
    QTest::addColumn<int>("alignIndex");
    QTest::addColumn<bool>("changeSize");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("expected");

    QTest::newRow("only the address") << "photo.jpg" << "" << 0 << 0 << false << 100 << 100
        << "<div align=\"center\"><img src=\"photo.jpg\" border=\"0\"></div>";
    QTest::newRow("centred with hover text") << "photo.jpg" << "photo" << 0 << 0 << false << 100 << 100
        << "<div align=\"center\"><img src=\"photo.jpg\" border=\"0\" alt=\"photo\" title=\"photo\"></div>";
    QTest::newRow("everything set") << "photo.jpg" << "photo" << 2 << 2 << true << 320 << 240
        << "<img src=\"photo.jpg\" border=\"2\" align=\"left\" width=\"320\" height=\"240\" alt=\"photo\" title=\"photo\">";
    QTest::newRow("right") << "a.png" << "" << 0 << 1 << false << 100 << 100
        << "<img src=\"a.png\" border=\"0\" align=\"right\">";
    QTest::newRow("no alignment chosen") << "a.png" << "" << 0 << -1 << false << 100 << 100
        << "<img src=\"a.png\" border=\"0\">";
    QTest::newRow("size box unchecked, sizes ignored") << "a.png" << "" << 10 << 0 << false << 7 << 3000
        << "<div align=\"center\"><img src=\"a.png\" border=\"10\"></div>";
    QTest::newRow("size box checked, sizes untouched") << "a.png" << "" << 0 << 0 << true << 100 << 100
        << "<div align=\"center\"><img src=\"a.png\" border=\"0\" width=\"100\" height=\"100\"></div>";
    QTest::newRow("zero sizes") << "a.png" << "" << 0 << 1 << true << 0 << 0
        << "<img src=\"a.png\" border=\"0\" align=\"right\" width=\"0\" height=\"0\">";
    QTest::newRow("width and height differ") << "a.png" << "" << 1 << 0 << true << 3000 << 1
        << "<div align=\"center\"><img src=\"a.png\" border=\"1\" width=\"3000\" height=\"1\"></div>";
    QTest::newRow("quotes, < and & escaped") << "a.php?x=\"1\"&y=<2>" << "\"Tom & <Jerry>\""
        << 0 << 1 << false << 100 << 100
        << "<img src=\"a.php?x=&quot;1&quot;&amp;y=&lt;2>\" border=\"0\" align=\"right\" "
           "alt=\"&quot;Tom &amp; &lt;Jerry>&quot;\" title=\"&quot;Tom &amp; &lt;Jerry>&quot;\">";
    QTest::newRow("spaces kept, empty address") << "" << "  логотип " << 0 << 2 << false << 100 << 100
        << "<img src=\"\" border=\"0\" align=\"left\" alt=\"  логотип \" title=\"  логотип \">";
}

void TestImgLinkDialog::fragment()
{
    QFETCH(QString, address);
    QFETCH(QString, text);
    QFETCH(int, border);
    QFETCH(int, alignIndex);
    QFETCH(bool, changeSize);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, expected);

    QCOMPARE(imageFragment(address, border, alignIndex, changeSize, width, height, text), expected);

    cImgLinkDialog dialog;
    QSignalSpy sent(&dialog, SIGNAL(sendImgLink(QString)));
    dialog.show();
    const Fields fields(dialog);
    fields.address->setText(address);
    fields.text->setText(text);
    fields.border->setValue(border);
    fields.align->setCurrentIndex(alignIndex);
    fields.changeSize->setChecked(changeSize);
    fields.width->setValue(width);
    fields.height->setValue(height);
    QTest::mouseClick(fields.ok, Qt::LeftButton);

    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.at(0).at(0).toString(), expected);
    QVERIFY(dialog.isHidden());
}

void TestImgLinkDialog::fieldsResetAfterButton_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<int>("emitted");
    QTest::newRow("Ok") << "pushButtonOk" << 1;
    QTest::newRow("cancel") << "pushButtonCancel" << 0;
}

void TestImgLinkDialog::fieldsResetAfterButton()
{
    QFETCH(QString, buttonName);
    QFETCH(int, emitted);

    cImgLinkDialog dialog;
    QSignalSpy sent(&dialog, SIGNAL(sendImgLink(QString)));
    dialog.show();
    const Fields fields(dialog);
    fields.fillWithNonDefaults();
    QTest::mouseClick(dialog.findChild<QPushButton *>(buttonName), Qt::LeftButton);

    QCOMPARE(sent.count(), emitted);
    QVERIFY(dialog.isHidden());
    dialog.show();
    QCOMPARE(fields.address->text(), QString());
    QCOMPARE(fields.text->text(), QString());
    QCOMPARE(fields.border->value(), 0);
    QCOMPARE(fields.align->currentIndex(), 0);
    QCOMPARE(fields.align->currentText(), QStringLiteral("По центру"));
    QVERIFY(!fields.changeSize->isChecked());
    QCOMPARE(fields.width->value(), 100);
    QCOMPARE(fields.height->value(), 100);
}

void TestImgLinkDialog::closingKeepsTypedText_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("window frame") << false;
    QTest::newRow("Escape") << true;
}

void TestImgLinkDialog::closingKeepsTypedText()
{
    QFETCH(bool, byEscape);

    cImgLinkDialog dialog;
    QSignalSpy sent(&dialog, SIGNAL(sendImgLink(QString)));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const Fields fields(dialog);
    fields.fillWithNonDefaults();
    if (byEscape) {
        fields.address->setFocus();
        QTest::keyClick(fields.address, Qt::Key_Escape);
    } else {
        QVERIFY(dialog.close());
    }

    QVERIFY(dialog.isHidden());
    QCOMPARE(sent.count(), 0);
    dialog.show();
    QCOMPARE(fields.address->text(), QStringLiteral("photo.jpg"));
    QCOMPARE(fields.text->text(), QStringLiteral("photo"));
    QCOMPARE(fields.border->value(), 4);
    QCOMPARE(fields.align->currentIndex(), 1);
    QVERIFY(fields.changeSize->isChecked());
    QCOMPARE(fields.width->value(), 320);
    QCOMPARE(fields.height->value(), 240);
}

void TestImgLinkDialog::enterSendsFromAddressField()
{
    cImgLinkDialog dialog;
    QSignalSpy sent(&dialog, SIGNAL(sendImgLink(QString)));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const Fields fields(dialog);
    fields.address->setFocus();
    QTest::keyClicks(fields.address, QStringLiteral("photo.jpg"));
    QTest::keyClick(fields.address, Qt::Key_Return);

    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.at(0).at(0).toString(),
             QStringLiteral("<div align=\"center\"><img src=\"photo.jpg\" border=\"0\"></div>"));
    QVERIFY(dialog.isHidden());
    QCOMPARE(fields.address->text(), QString());
}

void TestImgLinkDialog::anyReceiverWithTheSlot()
{
    AnyReceiver receiver;
    cImgLinkDialog dialog;
    dialog.setReceiver(&receiver);
    dialog.show();
    const Fields fields(dialog);
    fields.address->setText(QStringLiteral("photo.jpg"));
    QTest::mouseClick(fields.ok, Qt::LeftButton);
    QTest::mouseClick(fields.cancel, Qt::LeftButton);

    QCOMPARE(receiver.received,
             QStringList{"<div align=\"center\"><img src=\"photo.jpg\" border=\"0\"></div>"});
}

void TestImgLinkDialog::dialogLayout()
{
    cImgLinkDialog dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("cImgLinkDialog"));
    const qreal factor = formScale(&dialog);
    QCOMPARE(dialog.size(), scaledRect(QRect(0, 0, 556, 189), factor).size());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Ввод ссылки на изображение"));
    QVERIFY(!dialog.layout());

    struct Expected { const char *name; const char *className; const char *parent; QRect geometry; const char *caption; };
    const Expected widgets[] = {
        {"lineEdit", "QLineEdit", "cImgLinkDialog", QRect(160, 10, 391, 20), ""},
        {"label", "QLabel", "cImgLinkDialog", QRect(20, 10, 131, 21), "Ссылка на изображение:"},
        {"groupBoxImgSizeManip", "QGroupBox", "cImgLinkDialog", QRect(10, 80, 271, 81), "Управление размером изображения"},
        {"spinBoxPixelsH", "QSpinBox", "groupBoxImgSizeManip", QRect(150, 50, 51, 22), ""},
        {"checkBoxChangeImgSize", "QCheckBox", "groupBoxImgSizeManip", QRect(10, 20, 231, 19), "Изменить размер при отображении"},
        {"spinBoxPixelsW", "QSpinBox", "groupBoxImgSizeManip", QRect(10, 50, 51, 22), ""},
        {"label_2", "QLabel", "groupBoxImgSizeManip", QRect(200, 50, 61, 21), "Высота, px"},
        {"label_3", "QLabel", "groupBoxImgSizeManip", QRect(60, 50, 71, 21), "Ширина, px"},
        {"pushButtonOk", "QPushButton", "cImgLinkDialog", QRect(340, 150, 75, 24), "Ok"},
        {"pushButtonCancel", "QPushButton", "cImgLinkDialog", QRect(420, 150, 75, 24), "Отмена"},
        {"label_4", "QLabel", "cImgLinkDialog", QRect(20, 40, 201, 21), "Текст при наведении на изображение: "},
        {"lineEditImgAltText", "QLineEdit", "cImgLinkDialog", QRect(230, 40, 321, 20), ""},
        {"comboBoxAlign", "QComboBox", "cImgLinkDialog", QRect(390, 90, 101, 22), ""},
        {"label_5", "QLabel", "cImgLinkDialog", QRect(290, 90, 91, 21), "Расположение:"},
        {"label_6", "QLabel", "cImgLinkDialog", QRect(290, 120, 101, 21), "Толщина границы:"},
        {"spinBoxBorderSize", "QSpinBox", "cImgLinkDialog", QRect(390, 120, 101, 22), ""},
        {"pushButtonChooseFile", "QPushButton", "cImgLinkDialog", QRect(500, 90, 51, 24), "Файл…"},
        {"checkBoxShrink", "QCheckBox", "cImgLinkDialog", QRect(20, 166, 141, 19), "Уменьшить до ширины"},
        {"spinBoxShrinkWidth", "QSpinBox", "cImgLinkDialog", QRect(165, 165, 61, 22), ""},
    };
    // Creation order, with the group box's own widgets right after it.
    QList<QWidget *> created;
    for (QObject *child : dialog.children()) {
        if (auto widget = qobject_cast<QWidget *>(child)) {
            created << widget;
            if (qobject_cast<QGroupBox *>(widget))
                created << widget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        }
    }
    QCOMPARE(created.size(), 19);
    for (int i = 0; i < 19; ++i) {
        QWidget *widget = created.at(i);
        QCOMPARE(widget->objectName(), QString::fromLatin1(widgets[i].name));
        QCOMPARE(widget->metaObject()->className(), widgets[i].className);
        QCOMPARE(widget->parent()->objectName(), QString::fromLatin1(widgets[i].parent));
        QCOMPARE(widget->geometry(), scaledRect(widgets[i].geometry, factor));
        const QString caption = qobject_cast<QGroupBox *>(widget) ? widget->property("title").toString()
                                                                 : widget->property("text").toString();
        if (!qobject_cast<QSpinBox *>(widget) && !qobject_cast<QComboBox *>(widget))
            QCOMPARE(caption, QString::fromUtf8(widgets[i].caption));
    }
    const Fields fields(dialog);
    QCOMPARE(fields.text->placeholderText(), QStringLiteral("Название изображения (опционально)"));
    QCOMPARE(fields.align->count(), 3);
    QCOMPARE(fields.align->itemText(0), QStringLiteral("По центру"));
    QCOMPARE(fields.align->itemText(1), QStringLiteral("Справа"));
    QCOMPARE(fields.align->itemText(2), QStringLiteral("Слева"));
}

void TestImgLinkDialog::rangesAndDefaults()
{
    cImgLinkDialog dialog;
    const Fields fields(dialog);
    for (QSpinBox *box : {fields.width, fields.height}) {
        QCOMPARE(box->minimum(), 0);
        QCOMPARE(box->maximum(), 3000);
        QCOMPARE(box->value(), 100);
        QVERIFY(box->isEnabled());
    }
    QCOMPARE(fields.border->minimum(), 0);
    QCOMPARE(fields.border->maximum(), 10);
    QCOMPARE(fields.border->value(), 0);
    QCOMPARE(fields.align->currentIndex(), 0);
    QVERIFY(!fields.changeSize->isChecked());
    const auto shrinkWidth = dialog.findChild<QSpinBox *>("spinBoxShrinkWidth");
    QVERIFY(dialog.findChild<QCheckBox *>("checkBoxShrink")->isChecked());
    QCOMPARE(shrinkWidth->minimum(), 100);
    QCOMPARE(shrinkWidth->maximum(), 4000);
    QCOMPARE(shrinkWidth->value(), 800);

    // The size box decides only what goes into the fragment; the spin boxes stay usable.
    fields.changeSize->setChecked(true);
    fields.changeSize->setChecked(false);
    QVERIFY(fields.width->isEnabled());
    QVERIFY(fields.height->isEnabled());
    QVERIFY(!dialog.isModal());
}

void TestImgLinkDialog::focusOrder()
{
    cImgLinkDialog dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const Fields fields(dialog);
    fields.address->setFocus();

    QStringList visited;
    for (int i = 0; i < 13; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, (QStringList{"lineEdit", "spinBoxPixelsH", "checkBoxChangeImgSize",
                                   "spinBoxPixelsW", "pushButtonOk", "pushButtonCancel",
                                   "lineEditImgAltText", "comboBoxAlign", "spinBoxBorderSize",
                                   "pushButtonChooseFile", "checkBoxShrink", "spinBoxShrinkWidth", "lineEdit"}));
}

QTEST_MAIN(TestImgLinkDialog)
#include "tst_imglinkdialog.moc"
