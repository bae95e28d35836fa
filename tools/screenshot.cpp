// Renders the main window as the editor first sees it, for the README:
// screenshot OUTPUT.png [PREVIEW.png [PUBLISHED.png]]
// With PREVIEW.png, also the window with its preview open beside it; with PUBLISHED.png, the list of the
// page's published items. Run it from a directory holding
// orvesk.png and a news.html so that the logo shows and the preview takes the page's colours.
#include "app/startup.h"
#include "ui/newsadder.h"
#include "ui/publisheddialog.h"

#include <QApplication>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QFile>
#include <QLineEdit>
#include <QTextCodec>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

int render(QApplication &app, NewsAdder &window, const QStringList &files)
{
    window.findChild<QPlainTextEdit *>("textEdit")->setPlainText(QStringLiteral("Открыт <b>летний сезон</b>!\nТренировки по вторникам и четвергам, <a href=\"schedule.html\">расписание</a>."));
    window.findChild<QLineEdit *>("loginEdit")->setText(QStringLiteral("editor"));
    window.findChild<QLineEdit *>("passEdit")->setText(QStringLiteral("news2026"));
    window.findChild<QDateTimeEdit *>("dateTimeEdit")->setDateTime(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    app.processEvents();
    if (!window.grab().save(files.at(0)))
        return 1;
    if (files.size() < 2)
        return 0;
    window.findChild<QPushButton *>("previewButton")->click();
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
    if (!both.save(files.at(1)))
        return 1;
    if (files.size() < 3)
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
    return published.grab().save(files.at(2)) ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    QStringList files;
    for (int i = 1; i < argc && i < 4; ++i)
        files << QString::fromLocal8Bit(argv[i]);
    // The program's own start-up, in the folder it is run from, so the picture is what the editor sees.
    return startNewsAdder(argc, argv, WorkingFolderChoice::Current,
                          [&files](QApplication &app, NewsAdder &window) { return render(app, window, files); });
}
