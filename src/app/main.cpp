#include <QApplication>

#include "app/AppContext.h"
#include "app/Main.h"
#include "platform/QtDialogs.h"
#include "platform/QtShell.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProgramId);
    QApplication::setApplicationDisplayName(kProgramId);
    QtDialogs dialogs;
    QtShell shell;
    SystemClock clock;
    FileRegistryStore registry = FileRegistryStore::ForThisUser();
    AppContext ctx(dialogs, shell, clock, registry, ReadProcessInfo());
    return RunMenuProgram(ctx);
}
