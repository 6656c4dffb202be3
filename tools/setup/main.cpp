#include <QApplication>

#include "install/EnvironmentSetup.h"
#include "platform/ProcessInfo.h"
#include "platform/QtApplication.h"
#include "platform/QtDialogs.h"
#include "platform/QtShell.h"

// 動作環境設定.exe: started by a program of the suite that found no working installation.
int main(int argc, char* argv[]) {
    // The base and the program to start again come whole, as the menu passed them.
    const QStringList arguments = ProgramArguments(argc, argv);
    int ownName = 1;
    QApplication app(ownName, argv);
    PrepareApplication(QStringLiteral("動作環境設定"));
    QtDialogs dialogs;
    QtShell shell;
    return RunEnvironmentSetup(JoinCommandText(arguments), dialogs, shell);
}
