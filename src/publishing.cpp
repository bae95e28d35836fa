// NewsAdder's publishing commands: transfers, item insertion, send, backup and restore.
#include "newsadder.h"
#include "ui_newsadder.h"

#include <QFile>

qint32 NewsAdder::downloadNewsFile() { return -1; }
qint32 NewsAdder::downloadBackupFile() { return -1; }
qint32 NewsAdder::uploadFile(QFile *file) { Q_UNUSED(file) return -1; }
qint32 NewsAdder::insertNewsItem() { return -1; }

void NewsAdder::on_sendButton_clicked() {}
void NewsAdder::on_pushButton_clicked() {}
void NewsAdder::on_restoreButton_clicked() {}
