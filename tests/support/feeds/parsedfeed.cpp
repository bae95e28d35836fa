#include "parsedfeed.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryFile>

static QString run(const QString &program, const QStringList &arguments, QByteArray *output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        return program + QStringLiteral(" did not finish");
    }
    *output = process.readAllStandardOutput();
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? QString() : program + ": " + errors;
}

ParsedFeed parsedFeed(const QByteArray &feed)
{
    ParsedFeed parsed;
    QTemporaryFile file;
    if (!file.open() || file.write(feed) != feed.size() || !file.flush()) {
        parsed.problem = QStringLiteral("the feed could not be written to a file");
        return parsed;
    }
    QByteArray output;
    parsed.problem = run(QStringLiteral("xmllint"), {QStringLiteral("--noout"), file.fileName()}, &output);
    if (!parsed.problem.isEmpty())
        return parsed;
    parsed.problem = run(QStringLiteral("/usr/bin/python3"),
                         {QStringLiteral(TEST_SUPPORT_DIR "/feeds/feedcheck.py"), file.fileName()}, &output);
    if (!parsed.problem.isEmpty())
        return parsed;
    parsed.feed = QJsonDocument::fromJson(output).object();
    parsed.problem = parsed.feed.value(QStringLiteral("problem")).toString();
    return parsed;
}
