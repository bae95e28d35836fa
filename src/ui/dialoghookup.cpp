#include "ui/dialoghookup.h"

#include "ui/cimglinkdialog.h"
#include "ui/linkform.h"
#include "ui/newsadder.h"

void hookUpDialogs(NewsAdder *window)
{
    // Parented to the window so that neither keeps the program running once it is closed.
    linkForm *linkDialog = new linkForm(window);
    linkDialog->setWindowFlags(Qt::Window);
    cImgLinkDialog *imgLinkDialog = new cImgLinkDialog(window);
    imgLinkDialog->setWindowFlags(Qt::Window);

    linkDialog->setReceiver(window);
    imgLinkDialog->setReceiver(window);

    window->imgLinkDialog = imgLinkDialog;
    window->linkDialog = linkDialog;
}
