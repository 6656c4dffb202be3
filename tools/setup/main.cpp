#include <QApplication>

#include "env/EnvironmentSetup.h"
#include "platform/ProcessInfo.h"
#include "platform/QtDialogs.h"
#include "platform/QtShell.h"

// 動作環境設定.exe: started by a program of the suite that found no working installation.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("動作環境設定"));
    QApplication::setApplicationDisplayName(QStringLiteral("動作環境設定"));
    QtDialogs dialogs;
    QtShell shell;
    return RunEnvironmentSetup(JoinCommandText(QApplication::arguments().mid(1)), dialogs, shell);
}
