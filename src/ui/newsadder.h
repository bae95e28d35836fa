#ifndef NEWSADDER_H
#define NEWSADDER_H

#include <QList>
#include <QMainWindow>
#include <QString>

#include <memory>

#include "pagelock.h"

class Publisher;
class WindowUserInterface;
class linkForm;
class cImgLinkDialog;

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
    // How long a send or restore waits for someone else's to end; the usual 20 s otherwise.
    void setLockWait(int msecs) { lockWait = msecs; }

    QString remotePath;
    QString remoteFtpPath;
    // A PEM file of certificates to trust instead of the system's (settings key cacert); empty for the system's.
    QString caCertFile;
    Ui::NewsAdder *ui;
    linkForm *linkDialog;
    cImgLinkDialog *imgLinkDialog;

public slots:
    void recieveLink(QString link);

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

private:
    QList<QWidget *> publishingButtons() const;

    int transferIdleTimeout;
    int lockWait = DefaultLockWait;
    bool commandRunning = false;
    std::unique_ptr<WindowUserInterface> m_user;
    std::unique_ptr<Publisher> m_publisher;
};

#endif // NEWSADDER_H
