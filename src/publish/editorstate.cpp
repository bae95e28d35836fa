#include "publish/editorstate.h"

#include "publish/localfile.h"

#include <QJsonDocument>
#include <QJsonObject>

EditorState readEditorState(const QString &fileName)
{
    QByteArray contents;
    if (!readWholeFile(fileName, contents))
        return {};
    const QJsonObject object = QJsonDocument::fromJson(contents).object();
    EditorState state{object.value(QLatin1String("login")).toString(), object.value(QLatin1String("draft")).toString(),
                      object.value(QLatin1String("rememberPassword")).toBool(), {}, {}};
    const QJsonObject correction = object.value(QLatin1String("correction")).toObject();
    PublishedItem &item = state.corrected;
    item.bytes = QByteArray::fromBase64(correction.value(QLatin1String("bytes")).toString().toLatin1());
    const QDateTime date = QDateTime::fromString(correction.value(QLatin1String("date")).toString(), Qt::ISODate);
    item.day = date.date();
    item.time = date.time();
    item.number = correction.value(QLatin1String("number")).toInt();
    item.below = correction.value(QLatin1String("below")).toInt();
    state.draftBeforeCorrection = correction.value(QLatin1String("draftBefore")).toString();
    // Half a correction is none.
    if (!date.isValid())
        item = {};
    return state;
}

bool saveEditorState(const QString &fileName, const EditorState &state, QString *error)
{
    QJsonObject object{{QLatin1String("login"), state.login},
                       {QLatin1String("draft"), state.draft},
                       {QLatin1String("rememberPassword"), state.rememberPassword}};
    if (!state.corrected.isNull()) {
        const PublishedItem &item = state.corrected;
        object.insert(QLatin1String("correction"),
                      QJsonObject{{QLatin1String("bytes"), QString::fromLatin1(item.bytes.toBase64())},
                                  {QLatin1String("date"), item.date().toString(Qt::ISODate)},
                                  {QLatin1String("number"), item.number},
                                  {QLatin1String("below"), item.below},
                                  {QLatin1String("draftBefore"), state.draftBeforeCorrection}});
    }
    return saveWholeFile(fileName, QJsonDocument(object).toJson(), error);
}
