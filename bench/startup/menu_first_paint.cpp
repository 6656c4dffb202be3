// The menu's own start sequence, ended after the main window's first paint.
#include <QApplication>

#include "FirstPaintExit.h"
#include "app/Main.h"
#include "platform/ProcessInfo.h"

int main(int argc, char* argv[]) {
    const QStringList arguments = ProgramArguments(argc, argv);
    int ownName = 1;
    QApplication app(ownName, argv);
    FirstPaintExit exit(QStringLiteral("menヌモリカマイメニュ"));
    app.installEventFilter(&exit);
    return RunMenuProcess(arguments);
}
