#include "publish/inifile.h"

#include "publish/localfile.h"

#include <QFile>
#include <QSettings>
#include <QTextCodec>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// The key a line sets, trimmed; empty for a comment, a section or a line without '='.
QByteArray lineKey(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    const int equals = trimmed.indexOf('=');
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#') || trimmed.startsWith('[') || equals < 0)
        return QByteArray();
    return trimmed.left(equals).trimmed();
}

bool isSection(const QByteArray &line)
{
    return line.trimmed().startsWith('[');
}

bool isGeneralSection(const QByteArray &line)
{
    return line.trimmed().toLower().startsWith("[general]");
}

} // namespace

QByteArray iniValueText(const QString &value)
{
    const QByteArray bytes = value.toUtf8();
    const bool plain = !bytes.isEmpty() && !isBlank(bytes.front()) && !isBlank(bytes.back())
        && bytes.indexOf(',') < 0 && bytes.indexOf(';') < 0 && bytes.indexOf('"') < 0 && bytes.indexOf('\\') < 0
        && bytes.indexOf('\n') < 0;
    if (plain || bytes.isEmpty())
        return bytes;
    QByteArray quoted = "\"";
    for (const char c : bytes) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c == '\n' ? QByteArray("\\n") : QByteArray(1, c);
    }
    return quoted + '"';
}

QByteArray withIniValues(const QByteArray &text, const IniValues &values)
{
    const bool crLf = text.contains("\r\n");
    const QByteArray lineEnd = crLf ? "\r\n" : "\n";
    QList<QByteArray> lines = text.split('\n');
    // The text's last line break leaves an empty piece, put back by the join.
    const bool endsWithBreak = text.isEmpty() || text.endsWith('\n');
    if (endsWithBreak)
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (crLf && line.endsWith('\r'))
            line.chop(1);
    }
    QList<bool> written;
    for (int v = 0; v < values.size(); ++v)
        written << false;
    bool topLevel = true;
    int lastTopLevel = -1;
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray &line = lines[i];
        if (isSection(line)) {
            topLevel = isGeneralSection(line);
            if (topLevel)
                lastTopLevel = i;
            continue;
        }
        if (!topLevel)
            continue;
        if (!line.trimmed().isEmpty())
            lastTopLevel = i;
        const QByteArray key = lineKey(line);
        for (int v = 0; !key.isEmpty() && v < values.size(); ++v) {
            if (key != values.at(v).first.toUtf8())
                continue;
            // The key as written, with its spacing, keeps its place.
            const int equals = line.indexOf('=');
            QByteArray before = line.left(equals + 1);
            if (line.size() > equals + 1 && line.at(equals + 1) == ' ')
                before += ' ';
            line = before + iniValueText(values.at(v).second);
            written[v] = true;
        }
    }
    QList<QByteArray> added;
    for (int v = 0; v < values.size(); ++v) {
        if (!written.at(v) && !values.at(v).second.isEmpty())
            added << values.at(v).first.toUtf8() + '=' + iniValueText(values.at(v).second);
    }
    int at = lastTopLevel + 1;
    for (const QByteArray &line : added)
        lines.insert(at++, line);
    QByteArray result = lines.join(lineEnd);
    if (!lines.isEmpty() && (endsWithBreak || !added.isEmpty()))
        result += lineEnd;
    return result;
}

bool writeIniValues(const QString &fileName, const IniValues &values, QString *error)
{
    QByteArray text;
    if (QFile::exists(fileName) && !readWholeFile(fileName, text, error))
        return false;
    // A file saved as UTF-16 ("Unicode" in Notepad) or with a byte-order mark goes on as plain UTF-8.
    if (QTextCodec *marked = QTextCodec::codecForUtfText(text, nullptr))
        text = marked->toUnicode(text).toUtf8();
    return saveWholeFile(fileName, withIniValues(text, values), error);
}

QString iniValue(const QString &fileName, const QString &key)
{
    QSettings ini(fileName, QSettings::IniFormat);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    ini.setIniCodec("UTF-8");
#endif
    return ini.value(key).toString();
}
