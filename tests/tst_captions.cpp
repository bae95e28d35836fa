// Every caption of the three forms whole at the platform's default font, at the screen scaling
// the environment sets (QT_SCALE_FACTOR), on the offscreen platform or, with CAPTIONS_ON_XVFB set,
// on a private Xvfb display. Each text is measured against the rectangle the style draws it in.
#include "app/startup.h"
#include "appprocess.h"
#include "ui/cimglinkdialog.h"
#include "ui/formscale.h"
#include "ui/linkform.h"
#include "ui/newsadder.h"
#include "workdir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <QtTest>

#include <memory>

namespace {

struct ShownText
{
    QString text;
    QRect area;
    bool inkOnly = false;  // the style sizes the area to the text's ink, not to its advance
};

// The texts a widget shows, each with the rectangle its style draws it into.
QList<ShownText> shownTexts(QWidget *widget)
{
    QStyle *style = widget->style();
    if (auto button = qobject_cast<QPushButton *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (button->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        return {{button->text(), style->subElementRect(QStyle::SE_PushButtonContents, &option, button)}};
    }
    if (auto box = qobject_cast<QCheckBox *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        return {{box->text(), style->subElementRect(QStyle::SE_CheckBoxContents, &option, box)}};
    }
    if (auto label = qobject_cast<QLabel *>(widget)) {
        const int m = label->margin();
        return {{label->text(), label->contentsRect().adjusted(m, m, -m, -m)}};
    }
    if (auto group = qobject_cast<QGroupBox *>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.lineWidth = 1;
        option.textAlignment = group->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        return {{group->title(), label.intersected(group->rect()), true}};
    }
    if (auto combo = qobject_cast<QComboBox *>(widget)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        const QRect field = style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        QList<ShownText> items;
        for (int i = 0; i < combo->count(); ++i)
            items << ShownText{combo->itemText(i), field};
        return items;
    }
    if (auto edit = qobject_cast<QLineEdit *>(widget)) {
        if (edit->placeholderText().isEmpty())
            return {};
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        const QMargins margins = edit->textMargins();
        // QLineEdit keeps two pixels free on either side of its text.
        const QRect contents = style->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        return {{edit->placeholderText(), contents.adjusted(margins.left() + 2, margins.top(),
                                                            -margins.right() - 2, -margins.bottom())}};
    }
    return {};
}

} // namespace

class TestCaptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void captionFits_data();
    void captionFits();
    void drawnGeometryWhereFontFits();

private:
    QWidget *form(const QString &name) const;

    std::unique_ptr<WorkDir> m_workDir;
    std::unique_ptr<NewsAdder> m_window;
    std::unique_ptr<linkForm> m_link;
    std::unique_ptr<cImgLinkDialog> m_image;
};

QWidget *TestCaptions::form(const QString &name) const
{
    for (QWidget *form : {static_cast<QWidget *>(m_window.get()), static_cast<QWidget *>(m_link.get()),
                          static_cast<QWidget *>(m_image.get())}) {
        if (form->objectName() == name)
            return form;
    }
    return nullptr;
}

void TestCaptions::initTestCase()
{
    m_workDir = std::make_unique<WorkDir>();
    m_window = std::make_unique<NewsAdder>(QString(), QString(), QString(), 0);
    m_link = std::make_unique<linkForm>();
    m_image = std::make_unique<cImgLinkDialog>();
    for (QWidget *shown : {static_cast<QWidget *>(m_window.get()), static_cast<QWidget *>(m_link.get()),
                           static_cast<QWidget *>(m_image.get())}) {
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
    }
    qInfo("platform %s, font %s, scale %s, form factors %g %g %g", qPrintable(QGuiApplication::platformName()),
          qPrintable(QApplication::font().toString()), qgetenv("QT_SCALE_FACTOR").constData(),
          formScale(m_window.get()), formScale(m_link.get()), formScale(m_image.get()));
}

void TestCaptions::captionFits_data()
{
    QTest::addColumn<QString>("formName");
    QTest::addColumn<QString>("widgetName");
    for (const char *name : {"NewsAdder", "linkForm", "cImgLinkDialog"}) {
        int captions = 0;
        for (QWidget *widget : form(name)->findChildren<QWidget *>()) {
            if (shownTexts(widget).isEmpty() || shownTexts(widget).first().text.isEmpty())
                continue;
            ++captions;
            QTest::addRow("%s/%s", name, qPrintable(widget->objectName())) << name << widget->objectName();
        }
        QVERIFY(captions >= 5);
    }
}

void TestCaptions::captionFits()
{
    QFETCH(QString, formName);
    QFETCH(QString, widgetName);

    QWidget *widget = form(formName)->findChild<QWidget *>(widgetName);
    QVERIFY(widget);
    // Whole at the platform's size: bold and italic stay, nothing shrinks to fit.
    QCOMPARE(widget->font().pointSizeF(), QApplication::font().pointSizeF());
    const QFontMetrics metrics = widget->fontMetrics();
    for (const ShownText &shown : shownTexts(widget)) {
        const QSize text = shown.inkOnly ? metrics.boundingRect(shown.text).size()
                                         : metrics.size(Qt::TextShowMnemonic, shown.text);
        QVERIFY2(text.width() <= shown.area.width() && text.height() <= shown.area.height(),
                 qPrintable(QStringLiteral("\"%1\" needs %2×%3, has %4×%5").arg(shown.text).arg(text.width())
                                .arg(text.height()).arg(shown.area.width()).arg(shown.area.height())));
    }
}

void TestCaptions::drawnGeometryWhereFontFits()
{
    // A font small enough for the drawn geometry leaves every form exactly as drawn.
    const QFont platformFont = QApplication::font();
    QFont small = platformFont;
    small.setPointSizeF(5);
    QApplication::setFont(small);
    NewsAdder window(QString(), QString(), QString(), 0);
    linkForm link;
    cImgLinkDialog image;
    QApplication::setFont(platformFont);

    QCOMPARE(formScale(&window), 1.0);
    QCOMPARE(window.size(), QSize(566, 363));
    QCOMPARE(window.findChild<QWidget *>("label_2")->geometry(), QRect(120, 290, 271, 16));
    QCOMPARE(formScale(&link), 1.0);
    QCOMPARE(link.size(), QSize(540, 95));
    QCOMPARE(formScale(&image), 1.0);
    QCOMPARE(image.size(), QSize(556, 189));
    QCOMPARE(image.findChild<QWidget *>("label_2")->geometry(), QRect(200, 50, 61, 21));
}

// With CAPTIONS_ON_XVFB set, the same tests run again in a child on a private Xvfb display.
static int runOnVirtualDisplay(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    VirtualDisplay display;
    if (!display.start()) {
        qCritical("Xvfb did not start");
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("CAPTIONS_ON_XVFB"));
    env.insert(QStringLiteral("DISPLAY"), display.name());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), app.arguments().mid(1));
    if (!child.waitForFinished(240000)) {
        child.kill();
        child.waitForFinished(5000);
        return 1;
    }
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("CAPTIONS_ON_XVFB"))
        return runOnVirtualDisplay(argc, argv);
    setUpHighDpiScaling();
    QApplication app(argc, argv);
    TestCaptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_captions.moc"
