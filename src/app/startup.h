#ifndef STARTUP_H
#define STARTUP_H

#include <functional>

class NewsAdder;
class QApplication;

// A 150 % or 200 % screen scales the whole window, not only its text. Before the application exists.
void setUpHighDpiScaling();

// AsStarted picks the working folder as the editor's start does; Current keeps the current directory
// whatever it holds (the bench and the screenshot tool, which bring their own).
enum class WorkingFolderChoice { AsStarted, Current };

// What runs once the window is shown, returning the exit code; the event loop when empty.
using RunWindow = std::function<int(QApplication &app, NewsAdder &window)>;

// The program's start: the working folder, its settings read and logged, high-DPI scaling, the
// application with Qt's Russian texts, the main window with the settings and its two dialogs. The
// window is shown, what the editor should know about the settings is said over it, and run is called.
// The dialogs, the window and the application are gone when it returns run's exit code.
int startNewsAdder(int &argc, char **argv, WorkingFolderChoice folder = WorkingFolderChoice::AsStarted,
                   const RunWindow &run = RunWindow());

#endif // STARTUP_H
