#include "httpsserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A port on 127.0.0.1 nobody listens on at the moment, 0 when there is none.
static quint16 freePort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (probe >= 0 && bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (probe >= 0)
        close(probe);
    return port;
}

static bool accepts(quint16 port)
{
    const int client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool connected = client >= 0 && ::connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    if (client >= 0)
        close(client);
    return connected;
}

HttpsServer::HttpsServer() : TestServer(QStringLiteral("https"), QStringLiteral("access.log")) {}

HttpsServer::~HttpsServer()
{
    stop();
}

bool HttpsServer::writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        m_error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

bool HttpsServer::start()
{
    if (!m_dir.isValid() || !m_root.isValid() || !m_logDir.isValid() || !QDir(m_dir.path()).mkpath(QStringLiteral("temp"))) {
        m_error = QStringLiteral("no temporary directory");
        return false;
    }
    if (!m_certificateFiles.make()) {
        m_error = m_certificateFiles.errorString();
        return false;
    }

    // htpasswd line with an APR1 hash of the password's UTF-8 bytes, which is what a client that sends
    // the password as typed (curl) presents; openssl reads it from standard input, so no argument
    // encoding gets in between.
    QProcess hasher;
    hasher.start(QStringLiteral("openssl"), {"passwd", "-apr1", "-stdin"});
    hasher.write(password().toUtf8() + '\n');
    hasher.closeWriteChannel();
    if (!hasher.waitForFinished(10000) || hasher.exitCode() != 0) {
        m_error = QStringLiteral("openssl passwd failed");
        return false;
    }
    const QByteArray hash = hasher.readAllStandardOutput().trimmed();
    if (!writeFile(m_dir.filePath(QStringLiteral("htpasswd")), user().toUtf8() + ':' + hash + '\n'))
        return false;

    // A free port: ask the system for one, then hand it to nginx.
    m_port = freePort();
    if (m_port == 0) {
        m_error = QStringLiteral("no free port");
        return false;
    }

    const QString prefix = m_dir.path();
    QString config = QStringLiteral(
        "%1"
        "worker_processes 1;\n"
        "pid %2/nginx.pid;\n"
        "error_log %2/error.log;\n"
        "events { worker_connections 64; }\n"
        "http {\n"
        "  access_log %6;\n"
        "  client_body_temp_path %2/temp/body;\n"
        "  proxy_temp_path %2/temp/proxy;\n"
        "  fastcgi_temp_path %2/temp/fastcgi;\n"
        "  uwsgi_temp_path %2/temp/uwsgi;\n"
        "  scgi_temp_path %2/temp/scgi;\n"
        "  server {\n"
        "    listen 127.0.0.1:%3 ssl;\n"
        "    ssl_certificate %4;\n"
        "    ssl_certificate_key %5;\n"
        "    root %7;\n"
        "    client_max_body_size 200m;\n"
        "    location = /moved.html { return 301 /news.html; }\n"
        "    location / {\n"
        "      dav_methods PUT DELETE MKCOL;\n"
        "      dav_access user:rw group:r all:r;\n"
        "      limit_except GET HEAD {\n"
        "        auth_basic \"news\";\n"
        "        auth_basic_user_file %2/htpasswd;\n"
        "      }\n"
        "    }\n"
        "  }\n"
        "}\n")
        .arg(geteuid() == 0 ? QStringLiteral("user root root;\n") : QString(), prefix)
        .arg(m_port)
        .arg(m_certificateFiles.certificatePath(), m_certificateFiles.keyPath(), logPath(), root());
    const QString configPath = m_dir.filePath(QStringLiteral("nginx.conf"));
    if (!writeFile(configPath, config.toUtf8()))
        return false;

    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/sbin/nginx"),
                  {"-p", prefix, "-c", configPath, "-e", prefix + QStringLiteral("/error.log"),
                   "-g", "daemon off;"});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("nginx did not start");
        return false;
    }
    // Ready once the port accepts connections.
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        if (accepts(m_port))
            return true;
        QThread::msleep(50);
    }
    QFile log(m_dir.filePath(QStringLiteral("error.log")));
    m_error = QStringLiteral("nginx is not listening: ")
              + QString::fromLocal8Bit(log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray());
    return false;
}

void HttpsServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString HttpsServer::certificateFile() const
{
    return m_certificateFiles.certificatePath();
}
