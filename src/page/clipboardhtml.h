#ifndef CLIPBOARDHTML_H
#define CLIPBOARDHTML_H

#include <QString>

#include <functional>

// Beyond this much clipboard HTML the editor pastes the plain text instead.
const int MaxClipboardHtml = 1024 * 1024;

// The editor's own markup for HTML that a browser or a word processor put on the clipboard: bold,
// italic, underline, safe links and web pictures as the buttons and dialogs write them, the ends of
// paragraphs, list items and table rows as line breaks, and of everything else the text alone.
// localPicture gets the address of a picture from the disk or inside the HTML (file: or data:) and
// gives the file:// address it goes in with, or nothing to leave it out. One pass without recursion:
// its time and memory grow with the HTML's length, never with how deeply it nests.
QString editorMarkupFromHtml(const QString &html,
                             const std::function<QString(const QString &address)> &localPicture = {});

#endif // CLIPBOARDHTML_H
