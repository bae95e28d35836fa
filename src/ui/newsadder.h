#ifndef NEWSADDER_H
#define NEWSADDER_H

#include <QDateTime>
#include <QList>
#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

#include "publish/editorstate.h"
#include "publish/itemqueue.h"
#include "publish/publisher.h"
#include "publish/settings.h"

class Publisher;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QTimer;
class RememberedPassword;
class UnattendedUser;
class WindowUserInterface;
class linkForm;
class cImgLinkDialog;
class PreviewWindow;

namespace Ui {
class NewsAdder;
}

// The editor's main window: composes a news item and publishes it to the news page on the server.
class NewsAdder : public QMainWindow
{
    Q_OBJECT

public:
    NewsAdder(QString remotePath, QString remoteFtpPath, QString host, int port, QWidget *parent = nullptr);
    ~NewsAdder() override;

    // The publisher behind the buttons, handed the window's addresses, certificate file, login and
    // password as they stand now.
    Publisher &publisher();

    // How long a transfer may move no byte before it fails as a server that stopped answering.
    void setTransferIdleTimeout(int msecs);

    // The page's public web address (settings key pageurl): the preview takes relative pictures and links from it.
    void setPageUrl(const QString &url);
    // Where pictures from the editor's disk go, relative to the page's folder (settings key imagefolder).
    void setImageFolder(const QString &folder) { imageFolder = folder; }
    // Automatic backups kept after a successful command (settings key keepbackups); 0 keeps all.
    void setKeepBackups(int count) { keepBackups = count; }
    // The site in folder: the working directory, its settings, working copy, backups, known_hosts and
    // kept state (draft, login, correction, remembered password); the site's draft kept first.
    // False, said why, when the folder cannot be entered.
    bool openSite(const QString &folder);
    // The site chooser's widgets, off while a command runs.
    class QComboBox *siteCombo() const;
    class QPushButton *siteButton() const;
    // The login fields, which the site dialog takes and gives back.
    class QLineEdit *loginEdit() const;
    class QLineEdit *passwordEdit() const;
    class QCheckBox *rememberPasswordBox() const;
    int idleTimeout() const { return transferIdleTimeout; }

    void setFeed(const QString &name, int items) { feedName = name; feedItems = items; }
    // Where the item's date takes the current time from while it follows the clock, and the queue's
    // check the time it is due by; applied at once.
    void setClock(std::function<QDateTime()> clock);
    // The queued items whose time has come sent, as the window does every minute while it is open.
    void checkQueue();

    QString remotePath;
    QString remoteFtpPath;
    // A PEM file of certificates to trust instead of the system's (settings key cacert); empty for the system's.
    QString caCertFile;
    linkForm *linkDialog;
    cImgLinkDialog *imgLinkDialog;

public slots:
    void recieveLink(QString link);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Keeps an unsent item as the draft, asking nothing.
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void on_sendButton_clicked();
    void on_pushButton_clicked();
    void on_restoreButton_clicked();
    void on_linkButton_clicked();
    void on_boldTagButton_clicked();
    void on_italicTagButton_clicked();
    void on_underlineTagButton_clicked();
    void on_pushButtonSetFontSize_clicked();
    void on_pushButtonSetFontColor_clicked();
    void on_pushButtonImageLink_clicked();
    void on_undoButton_clicked();
    void on_redoBtn_clicked();
    void on_publishedButton_clicked();
    void on_cancelCorrectionButton_clicked();
    void on_historyButton_clicked();
    void on_scheduleButton_clicked();
    void on_queueButton_clicked();

private:
    Ui::NewsAdder *ui;
    QList<QWidget *> publishingButtons() const;
    // The window's addresses, certificate file, login and password as they stand now.
    ServerAccess accessNow() const;
    void showPreview();
    void showDialog(QWidget *dialog);
    // The login and the draft of the last run back in their fields; the date set to follow the clock.
    void restoreKeptState();
    void loadKeptState();
    void followClock();
    void keepDraft();
    // The item is on the page: its login is kept, the draft cleared, and the date follows the clock again.
    void sendSucceeded();
    // itemcorrection.cpp: the editor holds a published item to correct, or its draft from before again.
    void beginCorrection(const PublishedItem &item);
    void showCorrection(const PublishedItem &item);
    void endCorrection();
    // A correction or removal reached the page: its login is kept.
    void pageChanged();
    EditorState stateNow() const;
    // queueing.cpp: the site's queue, "В очереди: …" under the editor.
    void startQueue();
    ItemQueue queue() const;
    void showQueueSummary();
    void showQueueSummary(const ItemQueue::Summary &summary);
    void editQueued(const QString &name);
    void keepState(const EditorState &state);

    int transferIdleTimeout;
    bool commandRunning = false;
    std::unique_ptr<WindowUserInterface> m_user;
    std::unique_ptr<Publisher> m_publisher;
    PreviewWindow *preview = nullptr;  // made when first asked for
    QString pageUrl;
    QString imageFolder = QString::fromLatin1(DefaultImageFolder);
    int keepBackups = 0;
    QString feedName;
    int feedItems = DefaultFeedItems;

    std::function<QDateTime()> clock = &QDateTime::currentDateTime;
    QTimer *clockTimer = nullptr;
    bool dateFollowsClock = true;
    bool dateFromClock = false;  // the date editor is being set by followClock, not by the user
    QTimer *draftTimer = nullptr;
    QString stateFile;
    EditorState keptState;       // as the state file holds it
    QString sentText;            // the editor's text as last published: no draft while it is unchanged
    PublishedItem corrected;     // the item «Отправить» replaces; null while it publishes a new one
    QString draftBeforeCorrection;
    bool stateFailureSaid = false;
    RememberedPassword *rememberedPassword = nullptr;

    QString siteFolder;
    QTimer *queueTimer = nullptr;
    // The queue's sends ask nobody: a refused question is kept as the item's failure.
    std::unique_ptr<UnattendedUser> m_queueUser;
    std::unique_ptr<Publisher> m_queuePublisher;
    bool passwordAsked = false;
};

#endif // NEWSADDER_H
