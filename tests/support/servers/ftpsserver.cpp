#include "ftpsserver.h"

FtpsServer::FtpsServer(Mode mode, const QStringList &extraArgs)
    : FtpServer(QStringLiteral(TEST_SUPPORT_DIR "/servers/ftpsserver.py"),
                mode == Explicit ? QStringLiteral("ftpes") : QStringLiteral("ftps"),
                QStringList{QStringLiteral("--tls"), mode == Explicit ? QStringLiteral("explicit") : QStringLiteral("implicit"),
                            QStringLiteral("--cert"), certificatePath(), QStringLiteral("--key"), keyPath()}
                    + extraArgs)
{
}

bool FtpsServer::start()
{
    return make() && FtpServer::start();
}
