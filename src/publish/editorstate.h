#ifndef EDITORSTATE_H
#define EDITORSTATE_H

#include <QString>

#include "page/publisheditems.h"

// Kept in the working directory, so that each site's folder remembers its own; never the password.
inline constexpr char EditorStateFileName[] = "newsadder-state.json";

// What the window keeps between runs: the login that last published, the item typed but not sent, and
// the published item being corrected, if any, and whether the password is kept in the desktop's secret
// store (the password itself never is here).
struct EditorState
{
    QString login;
    QString draft;  // the editor's raw text, line separators and all
    bool rememberPassword = false;
    PublishedItem corrected;       // its bytes, date, and place among the items; null when none
    QString draftBeforeCorrection; // what the editor held when the correction began

    bool operator==(const EditorState &other) const
    {
        return login == other.login && draft == other.draft && rememberPassword == other.rememberPassword
               && corrected.bytes == other.corrected.bytes && corrected.date() == other.corrected.date()
               && corrected.number == other.corrected.number && corrected.below == other.corrected.below
               && draftBeforeCorrection == other.draftBeforeCorrection;
    }
    bool operator!=(const EditorState &other) const { return !(*this == other); }
};

// A missing, unreadable or malformed file reads as an empty state: it never keeps the window from opening.
EditorState readEditorState(const QString &fileName);

// Replaces the file whole; false, and the system's words in error, when it could not be written.
bool saveEditorState(const QString &fileName, const EditorState &state, QString *error = nullptr);

#endif // EDITORSTATE_H
