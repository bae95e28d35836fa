// Renders the main window as the editor first sees it, for the README: screenshot OUTPUT.png [PREVIEW.png]
// With PREVIEW.png, also the window with its preview open beside it. Run it from a directory holding
// orvesk.png and a news.html so that the logo shows and the preview takes the page's colours.
#include "ui/newsadder.h"
#include "ui_newsadder.h"

#include <QApplication>
#include <QDateTime>
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
    return both.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
