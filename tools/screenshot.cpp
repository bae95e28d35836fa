// Renders the main window as the editor first sees it, for the README: screenshot OUTPUT.png
// Run it from a directory holding orvesk.png so that the logo shows.
#include "newsadder.h"
#include "ui_newsadder.h"

#include <QApplication>
#include <QDateTime>
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
    window.ui->textEdit->setPlainText(QStringLiteral("Открыт <b>летний сезон</b>!\nТренировки по вторникам и четвергам."));
    window.ui->loginEdit->setText(QStringLiteral("editor"));
    window.ui->passEdit->setText(QStringLiteral("news2026"));
    window.ui->dateTimeEdit->setDateTime(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    window.show();
    app.processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
