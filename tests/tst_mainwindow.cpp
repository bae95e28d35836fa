// The main window's form: what the editor sees when the program opens.
#include "filebytes.h"
#include "ui/formscale.h"
#include "httpsserver.h"
#include "page/markup.h"
#include "ui/newsadder.h"
#include "app/qttranslations.h"
#include "workdir.h"

#include <QBuffer>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QScreen>
#include <QToolTip>
#include <QTextBrowser>
#include <QTextFrame>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void widgets_data();
    void widgets();
    void windowAndResizing();
    void markupButtonFonts();
    void focusChain();
    void dateTimeEditor();
    void spinBoxAndColours();
    void passwordIsMasked();
    void logo_data();
    void logo();
    void slotsReachableByName();
    void qtTextsInRussian();
    void preview();
    void previewColours_data();
    void previewColours();
    void previewToolTips_data();
    void previewToolTips();
    void previewOnScreen();

private:
    // The main window with its preview shown; pageUrl empty for none.
    std::unique_ptr<NewsAdder> openPreview(const QString &item, const QString &pageUrl, const QString &caCertFile);
    QTextBrowser *previewView(NewsAdder &window) { return window.findChild<QTextBrowser *>("previewView"); }
};

void TestMainWindow::widgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    const struct {
        const char *name, *className;
        int x, y, w, h;
        const char *caption;
    } rows[] = {
        {"sendButton", "QPushButton", 460, 250, 75, 24, "Отправить"},
        {"dateTimeEdit", "QDateTimeEdit", 130, 310, 251, 20, nullptr},
        {"label", "QLabel", 38, 90, 191, 20, "Введите текст новости:"},
        {"label_2", "QLabel", 120, 290, 271, 16, "Установите дату новости (текущая по умолчанию)"},
        {"label_4", "QLabel", 468, 120, 61, 20, "Логин FTP"},
        {"label_5", "QLabel", 470, 180, 71, 20, "Пароль FTP"},
        {"loginEdit", "QLineEdit", 440, 150, 113, 20, ""},
        {"passEdit", "QLineEdit", 440, 210, 113, 20, ""},
        {"rememberPasswordBox", "QCheckBox", 440, 231, 121, 18, "Запомнить пароль"},
        {"pushButton", "QPushButton", 460, 280, 75, 24, "Backup"},
        {"restoreButton", "QPushButton", 460, 310, 75, 24, "Restore"},
        {"textEdit", "QPlainTextEdit", 30, 110, 391, 161, ""},
        {"linkButton", "QPushButton", 30, 70, 75, 24, "Ссылка"},
        {"boldTagButton", "QPushButton", 110, 70, 31, 24, "Ж"},
        {"italicTagButton", "QPushButton", 140, 70, 31, 24, "К"},
        {"underlineTagButton", "QPushButton", 170, 70, 31, 24, "Ч"},
        {"label_6", "QLabel", 450, 10, 91, 101, ""},
        {"spinBoxFontSize", "QSpinBox", 120, 40, 41, 22, nullptr},
        {"pushButtonSetFontSize", "QPushButton", 30, 40, 91, 22, "Размер шрифта"},
        {"comboBoxFontColor", "QComboBox", 260, 40, 81, 22, nullptr},
        {"pushButtonSetFontColor", "QPushButton", 170, 40, 91, 22, "Цвет шрифта"},
        {"pushButtonImageLink", "QPushButton", 210, 70, 81, 24, "Изображение"},
        {"undoButton", "QPushButton", 330, 70, 51, 24, "Отмена"},
        {"redoBtn", "QPushButton", 380, 70, 51, 24, "Повтор"},
        {"previewButton", "QPushButton", 30, 310, 81, 24, "Просмотр"},
        {"publishedButton", "QPushButton", 30, 8, 121, 24, "Опубликованные…"},
        {"correctionLabel", "QLabel", 160, 10, 281, 20, ""},
        {"cancelCorrectionButton", "QPushButton", 420, 337, 141, 24, "Отменить исправление"},
        {"historyButton", "QPushButton", 230, 337, 75, 24, "История…"},
        {"siteCombo", "QComboBox", 30, 337, 130, 24, nullptr},
        {"siteButton", "QPushButton", 165, 337, 60, 24, "Сайт…"},
        {"scheduleButton", "QPushButton", 310, 337, 105, 24, "Отправить позже…"},
        {"queueButton", "QPushButton", 30, 276, 81, 24, "Очередь…"},
        {"queueLabel", "QLabel", 120, 274, 300, 16, ""},
    };
    for (const auto &row : rows) {
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromLatin1(row.className)
                                << QRect(row.x, row.y, row.w, row.h)
                                << (row.caption ? QString::fromUtf8(row.caption) : QString());
    }
}

void TestMainWindow::widgets()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);

    WorkDir workDir;
    NewsAdder window(QString(), QString(), QString(), 0);
    QWidget *widget = window.findChild<QWidget *>(name);
    QVERIFY(widget);
    // The editor is a QPlainTextEdit of the program's own, which takes pastes and drops.
    QVERIFY2(widget->inherits(className.toLatin1().constData()), widget->metaObject()->className());
    QCOMPARE(widget->parentWidget(), window.centralWidget());
    QCOMPARE(widget->geometry(), scaledRect(geometry, formScale(&window)));
    if (caption.isNull())
        return;
    const QVariant text = widget->property("text");
    QCOMPARE(text.isValid() ? text.toString() : widget->property("plainText").toString(), caption);
}

void TestMainWindow::windowAndResizing()
{
    WorkDir workDir;
    NewsAdder window(QString(), QString(), QString(), 0);
    QCOMPARE(window.objectName(), QStringLiteral("NewsAdder"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Отправка новостей quellmar"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), scaledRect(QRect(0, 0, 566, 363), formScale(&window)).size());
    QCOMPARE(window.centralWidget()->objectName(), QStringLiteral("centralWidget"));
    QCOMPARE(window.centralWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), 34);

    const QWidget *send = window.findChild<QPushButton *>("sendButton");
    const QWidget *editor = window.findChild<QPlainTextEdit *>("textEdit");
    const QRect sendGeometry = send->geometry();
    const QRect editorGeometry = editor->geometry();
    window.resize(900, 700);
    QTRY_COMPARE_WITH_TIMEOUT(window.size(), QSize(900, 700), 2000);
    QCOMPARE(send->geometry(), sendGeometry);
    QCOMPARE(editor->geometry(), editorGeometry);
    window.resize(300, 200);
    QTRY_COMPARE_WITH_TIMEOUT(window.size(), QSize(300, 200), 2000);
    QCOMPARE(send->geometry(), sendGeometry);
}

void TestMainWindow::markupButtonFonts()
{
    WorkDir workDir;
    NewsAdder window(QString(), QString(), QString(), 0);
    const QFont bold = window.findChild<QPushButton *>("boldTagButton")->font();
    QCOMPARE(bold.weight(), int(QFont::Bold));
    QVERIFY(!bold.italic() && !bold.underline());
    const QFont italic = window.findChild<QPushButton *>("italicTagButton")->font();
    QCOMPARE(italic.weight(), int(QFont::Normal));
    QVERIFY(italic.italic() && !italic.underline());
    const QFont underline = window.findChild<QPushButton *>("underlineTagButton")->font();
    QCOMPARE(underline.weight(), int(QFont::Normal));
    QVERIFY(!underline.italic() && underline.underline());
    QCOMPARE(window.findChild<QPushButton *>("sendButton")->font(), QFont());
}

void TestMainWindow::focusChain()
{
    WorkDir workDir;
    NewsAdder window(QString(), QString(), QString(), 0);
    const QStringList expected{"sendButton", "dateTimeEdit", "loginEdit", "passEdit", "rememberPasswordBox", "pushButton",
                               "restoreButton", "textEdit", "linkButton", "boldTagButton",
                               "italicTagButton", "underlineTagButton", "spinBoxFontSize",
                               "pushButtonSetFontSize", "comboBoxFontColor", "pushButtonSetFontColor",
                               "pushButtonImageLink", "undoButton", "redoBtn"};
    QStringList chain;
    QWidget *widget = window.findChild<QPushButton *>("sendButton");
    for (int step = 0; step < 200 && chain.size() < expected.size(); ++step) {
        // Spin boxes and the date editor contain line edits of their own; count the outer widget.
        if (widget->parentWidget() == window.centralWidget() && (widget->focusPolicy() & Qt::TabFocus))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    }
    QCOMPARE(chain, expected);
    for (QLabel *label : window.centralWidget()->findChildren<QLabel *>())
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void TestMainWindow::dateTimeEditor()
{
    WorkDir workDir;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-60);
    QDateTime now(QDate(2026, 12, 7), QTime(23, 43, 59));
    NewsAdder window(QString(), QString(), QString(), 0);
    QDateTimeEdit *edit = window.findChild<QDateTimeEdit *>("dateTimeEdit");

    // The item's date is the current minute, and keeps up with the clock until the editor sets it.
    QVERIFY(edit->dateTime() > before && edit->dateTime() <= QDateTime::currentDateTime());
    QCOMPARE(edit->time().second(), 0);
    window.setClock([&now] { return now; });
    QCOMPARE(edit->dateTime(), QDateTime(QDate(2026, 12, 7), QTime(23, 43)));
    now = QDateTime(QDate(2026, 12, 8), QTime(0, 1, 5));
    QTRY_COMPARE_WITH_TIMEOUT(edit->dateTime(), QDateTime(QDate(2026, 12, 8), QTime(0, 1)), 3000);
    edit->setDateTime(QDateTime(QDate(2026, 12, 1), QTime(9, 30)));
    window.setClock([] { return QDateTime(QDate(2026, 12, 9), QTime(8, 0)); });
    QCOMPARE(edit->dateTime(), QDateTime(QDate(2026, 12, 1), QTime(9, 30)));

    QCOMPARE(edit->displayFormat(), QStringLiteral("dd.MM.yyyy H:mm"));
    QVERIFY(edit->calendarPopup());
    QCOMPARE(edit->timeSpec(), Qt::LocalTime);
    QCOMPARE(edit->maximumDateTime(), QDateTime(QDate(7952, 12, 31), QTime(23, 59, 59)));
    edit->setDateTime(QDateTime(QDate(2014, 3, 5), QTime(9, 7)));
    QCOMPARE(edit->text(), QStringLiteral("05.03.2014 9:07"));
    edit->setDateTime(QDateTime(QDate(7953, 1, 1), QTime(0, 0)));
    QCOMPARE(edit->date(), QDate(7952, 12, 31));
}

void TestMainWindow::spinBoxAndColours()
{
    WorkDir workDir;
    NewsAdder window(QString(), QString(), QString(), 0);
    QCOMPARE(window.findChild<QSpinBox *>("spinBoxFontSize")->value(), 12);
    QCOMPARE(window.findChild<QSpinBox *>("spinBoxFontSize")->minimum(), 1);
    QCOMPARE(window.findChild<QSpinBox *>("spinBoxFontSize")->maximum(), 99);

    QComboBox *colours = window.findChild<QComboBox *>("comboBoxFontColor");
    QStringList items;
    for (int i = 0; i < colours->count(); ++i)
        items << colours->itemText(i);
    QCOMPARE(items, (QStringList{"Красный", "Желтый", "Зеленый", "Синий", "Черный", "Белый"}));
    QCOMPARE(colours->currentIndex(), 0);
}

void TestMainWindow::passwordIsMasked()
{
    WorkDir workDir;
    NewsAdder window(QString(), QString(), QString(), 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::keyClicks(window.findChild<QLineEdit *>("passEdit"), "s3cret");
    QCOMPARE(window.findChild<QLineEdit *>("passEdit")->text(), QStringLiteral("s3cret"));
    QCOMPARE(window.findChild<QLineEdit *>("passEdit")->echoMode(), QLineEdit::Password);
    QVERIFY(!window.findChild<QLineEdit *>("passEdit")->displayText().contains(QLatin1String("s3cret")));
    QCOMPARE(window.findChild<QLineEdit *>("loginEdit")->echoMode(), QLineEdit::Normal);
}

void TestMainWindow::logo_data()
{
    QTest::addColumn<bool>("logoPresent");
    QTest::newRow("orvesk.png in the working directory") << true;
    QTest::newRow("no logo file") << false;
}

void TestMainWindow::logo()
{
    QFETCH(bool, logoPresent);
    WorkDir workDir;
    if (logoPresent) {
        QImage image(20, 30, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        QVERIFY(image.save(workDir.filePath("orvesk.png")));
    }
    NewsAdder window(QString(), QString(), QString(), 0);
    QLabel *logo = window.findChild<QLabel *>("label_6");
    QCOMPARE(logo->text(), QString());
    QVERIFY(logo->hasScaledContents());
    QCOMPARE(logo->layoutDirection(), Qt::RightToLeft);
    QVERIFY(logo->autoFillBackground());
    QCOMPARE(logo->frameShape(), QFrame::NoFrame);
    // The property reads alike on Qt 5 and 6, whose pixmap() differ.
    const QPixmap pixmap = logo->property("pixmap").value<QPixmap>();
    QCOMPARE(!pixmap.isNull(), logoPresent);
    if (logoPresent)
        QCOMPARE(pixmap.size(), QSize(20, 30));
}

void TestMainWindow::slotsReachableByName()
{
    // The dialogs reach recieveLink by its signature text and the buttons reach their slots by
    // object name, so the names and their order are the window's interface.
    const QMetaObject *meta = &NewsAdder::staticMetaObject;
    QStringList signatures;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        signatures << QString::fromLatin1(meta->method(i).methodSignature());
    QCOMPARE(signatures, (QStringList{"recieveLink(QString)", "on_sendButton_clicked()",
                                      "on_pushButton_clicked()", "on_restoreButton_clicked()",
                                      "on_linkButton_clicked()", "on_boldTagButton_clicked()",
                                      "on_italicTagButton_clicked()", "on_underlineTagButton_clicked()",
                                      "on_pushButtonSetFontSize_clicked()",
                                      "on_pushButtonSetFontColor_clicked()",
                                      "on_pushButtonImageLink_clicked()", "on_undoButton_clicked()",
                                      "on_redoBtn_clicked()", "on_publishedButton_clicked()",
                                      "on_cancelCorrectionButton_clicked()", "on_historyButton_clicked()",
                                      "on_scheduleButton_clicked()", "on_queueButton_clicked()"}));
    QCOMPARE(meta->method(meta->indexOfSlot("recieveLink(QString)")).access(), QMetaMethod::Public);
}

void TestMainWindow::qtTextsInRussian()
{
    QVERIFY(loadQtTranslations(qApp));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
    QCOMPARE(QLocale().standaloneMonthName(3), QStringLiteral("март"));
}

void TestMainWindow::preview()
{
    WorkDir workDir;
    HttpsServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && red.save(&buffer, "PNG"));
    server.putFile("photo.png", png);
    QVERIFY(writeFile("photo.png", png));
    QVERIFY(writeFile("news.html", "<html><body bgcolor=\"#102030\"><font color=yellow></font></body></html>"));

    auto window = std::make_unique<NewsAdder>(QString(), QString(), QString(), 0);
    window->caCertFile = server.certificateFile();
    window->setPageUrl(server.url("news.html"));
    window->findChild<QDateTimeEdit *>("dateTimeEdit")->setDateTime(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTest::keyClicks(window->findChild<QPlainTextEdit *>("textEdit"), "Open <b>season</b>");
    QTest::mouseClick(window->findChild<QPushButton *>("previewButton"), Qt::LeftButton);
    auto preview = window->findChild<QWidget *>("previewWindow");
    QVERIFY(preview && preview->isWindow() && !preview->isModal());
    QVERIFY(QTest::qWaitForWindowExposed(preview));
    QCOMPARE(window->size(), scaledRect(QRect(0, 0, 566, 363), formScale(window.get())).size());
    auto view = preview->findChild<QTextBrowser *>("previewView");
    QVERIFY(view);

    // As the page shows it: yellow on the page's background, the markup applied, the send's date line.
    QCOMPARE(view->toPlainText().simplified(), QStringLiteral("Open season 07/12/2026 09:30"));
    QCOMPARE(view->document()->rootFrame()->frameFormat().background().color(), QColor("#102030"));
    QTextCursor word = view->document()->find("season");
    QCOMPARE(word.charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(word.charFormat().foreground().color(), QColor(Qt::yellow));

    // Typing on and a new date show within half a second; pictures come from the page's address.
    QTest::keyClicks(window->findChild<QPlainTextEdit *>("textEdit"), " <img src=\"photo.png\"><img src=\"" + server.url("gone.png")
                                              + "\" width=\"50\" height=\"20\"><img src=\"file://" + workDir.filePath("photo.png")
                                              + "\" width=\"30\" height=\"10\">");
    window->findChild<QDateTimeEdit *>("dateTimeEdit")->setDateTime(QDateTime(QDate(2026, 12, 8), QTime(10, 5)));
    QElapsedTimer sinceChange;
    sinceChange.start();
    QTRY_VERIFY_WITH_TIMEOUT(view->toPlainText().contains("08/12/2026 10:05"), 500);
    qInfo("shown %lld ms after the change", sinceChange.elapsed());
    const auto picture = [view](const QString &name) {
        return view->document()->resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>();
    };
    const auto redPixels = [view] {
        const QImage shot = view->viewport()->grab().toImage();
        int reds = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                reds += shot.pixelColor(x, y) == QColor(Qt::red);
        }
        return reds;
    };
    QTRY_VERIFY_WITH_TIMEOUT(redPixels() >= 40 * 30, 10000);
    // What cannot be had is an empty frame of its size; a picture on the disk that the item names is read from there.
    const QImage frame = picture(server.url("gone.png"));
    QCOMPARE(frame.size(), QSize(50, 20));
    QVERIFY(qAlpha(frame.pixel(0, 0)) == 255 && qAlpha(frame.pixel(15, 5)) == 0);
    QCOMPARE(picture("file://" + workDir.filePath("photo.png")), red);
    QVERIFY(server.log().contains("GET /photo.png "));

    // Closing the program mid-download waits for no server, not even one that never answers.
    const int silent = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY(bind(silent, reinterpret_cast<sockaddr *>(&address), length) == 0 && listen(silent, 4) == 0
            && getsockname(silent, reinterpret_cast<sockaddr *>(&address), &length) == 0);
    window->setPageUrl(QStringLiteral("http://127.0.0.1:%1/news.html").arg(ntohs(address.sin_port)));
    QTest::keyClicks(window->findChild<QPlainTextEdit *>("textEdit"), "<img src=\"slow.png\">");
    int client = -1;
    QTRY_VERIFY_WITH_TIMEOUT(client >= 0 || (client = accept(silent, nullptr, nullptr)) >= 0, 5000);
    QElapsedTimer closing;
    closing.start();
    window.reset();
    QVERIFY2(closing.elapsed() < 2000, qPrintable(QString::number(closing.elapsed())));
    close(client);
    close(silent);
}

std::unique_ptr<NewsAdder> TestMainWindow::openPreview(const QString &item, const QString &pageUrl,
                                                       const QString &caCertFile)
{
    auto window = std::make_unique<NewsAdder>(QString(), QString(), QString(), 0);
    window->caCertFile = caCertFile;
    window->setPageUrl(pageUrl);
    window->findChild<QPlainTextEdit *>("textEdit")->setPlainText(item);
    window->show();
    if (QTest::qWaitForWindowExposed(window.get()))
        QTest::mouseClick(window->findChild<QPushButton *>("previewButton"), Qt::LeftButton);
    return window;
}

void TestMainWindow::previewColours_data()
{
    QTest::addColumn<QStringList>("files");   // name: background
    QTest::addColumn<bool>("pageOnTheWeb");   // the page at pageurl has #405060 and links #aabbcc
    QTest::addColumn<QString>("background");
    QTest::addColumn<QString>("link");

    const QStringList backups{"backup_30-11-2026_23-00-00.bak: #444444", "backup_01-12-2026_10-00-00.bak: #111111",
                              "backup_02-12-2026_09-00-00.bak: #222222", "backup_02-12-2026_09-00-00_2.bak: #333333"};
    QTest::newRow("working copy") << QStringList{"news.html: #102030"} + backups << true << "#102030" << "#ff8800";
    QTest::newRow("newest automatic backup") << backups << true << "#333333" << "#ff8800";
    QTest::newRow("page at pageurl") << QStringList{"backup.bak: #444444"} << true << "#405060" << "#aabbcc";
    QTest::newRow("nothing known: neutral") << QStringList{} << false << "#202124" << "#8ab4f8";
}

// Before the first send the preview takes the page's colours from what is known of it.
void TestMainWindow::previewColours()
{
    QFETCH(QStringList, files);
    QFETCH(bool, pageOnTheWeb);
    QFETCH(QString, background);
    QFETCH(QString, link);

    WorkDir workDir;
    for (const QString &file : files) {
        const QStringList nameAndColour = file.split(": ");
        QVERIFY(writeFile(nameAndColour[0], "<html><head><style>a:link { color: #ff8800 }</style></head><body bgcolor=\""
                                                + nameAndColour[1].toLatin1() + "\"><font color=yellow></font>"));
    }
    HttpsServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    server.putFile("news.html", "<html><head><style>a { color: #aabbcc }</style></head>"
                                "<body style=\"background: #405060\"><font color=yellow></font>");
    auto window = openPreview("see <a href=\"x.html\">this</a>", pageOnTheWeb ? server.url("news.html") : QString(),
                              server.certificateFile());
    QTextBrowser *view = previewView(*window);
    QVERIFY(view);

    QTRY_COMPARE_WITH_TIMEOUT(view->document()->rootFrame()->frameFormat().background().color().name(), background, 5000);
    QCOMPARE(view->document()->find("this").charFormat().foreground().color().name(), link);
}

void TestMainWindow::previewToolTips_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<bool>("withPageUrl");
    QTest::addColumn<QString>("reason");

    QTest::newRow("not on the server") << "gone.png" << true << "на сервере её нет (HTTP 404)";
    QTest::newRow("relative, no pageurl") << "gone.png" << false << "адрес относительный";
    QTest::newRow("shown") << "photo.png" << true << "";
}

// A hover text reads as typed, and a picture that cannot be had says why on its frame.
void TestMainWindow::previewToolTips()
{
    QFETCH(QString, picture);
    QFETCH(bool, withPageUrl);
    QFETCH(QString, reason);

    WorkDir workDir;
    HttpsServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    server.putFile("photo.png", readFile(QFINDTESTDATA("../demo/orvesk.png")));
    const QString hover = "He said \"hi\" <b> & bye";
    auto window = openPreview("x<img src=\"" + picture + "\" width=\"40\" height=\"30\" title=\""
                                  + escapedAttribute(hover) + "\">",
                              withPageUrl ? server.url("news.html") : QString(), server.certificateFile());
    QTextBrowser *view = previewView(*window);
    QVERIFY(view);

    // The tooltip over the picture's right half, as the user reads it.
    const auto toolTip = [view] {
        QTextCursor afterPicture(view->document());
        afterPicture.setPosition(2);
        const QRect edge = view->cursorRect(afterPicture);
        const QPoint at(edge.left() - 5, edge.center().y());
        QHelpEvent event(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &event);
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        return shown.toPlainText().replace(QChar::LineSeparator, '\n');
    };
    const QString expected = reason.isEmpty() ? hover : hover + "\nКартинка не получена: " + reason;
    QTRY_VERIFY2_WITH_TIMEOUT(toolTip().startsWith(expected), qPrintable(toolTip()), 5000);
    if (reason.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(toolTip(), hover, 3000);
}

// Wholly on the main window's screen, at 100 % here and at 200 % in tst_mainwindow_preview_2x.
void TestMainWindow::previewOnScreen()
{
    WorkDir workDir;
    auto window = openPreview("x", QString(), QString());
    auto preview = window->findChild<QWidget *>("previewWindow");
    QVERIFY(preview);
    QVERIFY(QTest::qWaitForWindowExposed(preview));
    const QRect screen = window->screen()->availableGeometry();
    QVERIFY(screen.contains(preview->frameGeometry()));
    QVERIFY(preview->width() >= qMin(560, screen.width() / 2));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
