#ifndef DIALOGHOOKUP_H
#define DIALOGHOOKUP_H

class NewsAdder;

// Creates the link and image link dialogs as hidden windows of their own that belong to the
// main window, sends their fragments to it and stores them in its linkDialog and imgLinkDialog.
// The caller deletes them (image dialog first) before the window.
void hookUpDialogs(NewsAdder *window);

#endif // DIALOGHOOKUP_H
