// Renders the main window as the editor first sees it, for the README:
// screenshot OUTPUT.png [PREVIEW.png [PUBLISHED.png]]
// With PREVIEW.png, also the window with its preview open beside it; with PUBLISHED.png, the list of the
// page's published items. Run it from a directory holding
// orvesk.png and a news.html so that the logo shows and the preview takes the page's colours.
#include "newsadder.h"
#include "publisheddialog.h"
#include "ui_newsadder.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QTextCodec>
#include <QPainter>
#include <QPixmap>

int main(int argc, char *argv[])
{
    // As the program starts: high-DPI scaling on, which also settles the font's pixel size.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    NewsAdder window(QString(), QString(), QString(), 0);
    window.ui->textEdit->setPlainText(QStringLiteral("Открыт <b>летний сезон</b>!\nТренировки по вторникам и четвергам, <a href=\"schedule.html\">расписание</a>."));
    window.ui->loginEdit->setText(QStringLiteral("editor"));
    window.ui->passEdit->setText(QStringLiteral("news2026"));
    window.ui->dateTimeEdit->setDateTime(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    window.show();
    app.processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1])))
        return 1;
    if (argc < 3)
        return 0;
    window.ui->previewButton->click();
    QWidget *preview = window.findChild<QWidget *>(QStringLiteral("previewWindow"));
    preview->resize(window.width() * 3 / 4, window.height());
    app.processEvents();
    const QPixmap main = window.grab();
    const QPixmap beside = preview->grab();
    const int gap = 12;
    QPixmap both(main.width() + gap + beside.width(), qMax(main.height(), beside.height()));
    both.fill(Qt::darkGray);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, main);
    painter.drawPixmap(main.width() + gap, 0, beside);
    painter.end();
    if (!both.save(QString::fromLocal8Bit(argv[2])))
        return 1;
    if (argc < 4)
        return 0;
    // The sample page is kept in UTF-8; the server has it in windows-1251, as it declares.
    QFile sample(QStringLiteral("news.html"));
    if (!sample.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray page = QTextCodec::codecForName("windows-1251")->fromUnicode(QString::fromUtf8(sample.readAll()));
    PublishedDialog published(publishedItems(page).items, &window);
    published.resize(760, 240);
    published.show();
    app.processEvents();
    return published.grab().save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
