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
    return {object.value(QLatin1String("login")).toString(), object.value(QLatin1String("draft")).toString(),
            object.value(QLatin1String("rememberPassword")).toBool()};
}

bool saveEditorState(const QString &fileName, const EditorState &state, QString *error)
{
    const QJsonObject object{{QLatin1String("login"), state.login},
                             {QLatin1String("draft"), state.draft},
                             {QLatin1String("rememberPassword"), state.rememberPassword}};
    return saveWholeFile(fileName, QJsonDocument(object).toJson(), error);
}
