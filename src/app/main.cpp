#include "app/startup.h"
#include "app/workingfolder.h"
#include "cli/commandline.h"
#include "cli/commands.h"

#include <QStringList>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Before any display is opened: a command word runs without one.
    if (wantsCommandLine(arguments)) {
        return runCommandLine(argc, argv, [](QString *problem) {
            const WorkingFolder folder = enterWorkingFolder();
            *problem = folder.failure;
            return folder.path;
        });
    }
    return startNewsAdder(argc, argv);
}
