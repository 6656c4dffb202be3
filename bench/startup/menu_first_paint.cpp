// The menu's own start sequence, ended after the main window's first paint.
#include <QApplication>

#include "FirstPaintExit.h"
#include "app/Main.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    FirstPaintExit exit(QStringLiteral("menヌモリカマイメニュ"));
    app.installEventFilter(&exit);
    return RunMenuProcess();
}
