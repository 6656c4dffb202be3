#include <QApplication>

#include "app/Main.h"
#include "db/DbConnection.h"
#include "platform/ProcessInfo.h"

int main(int argc, char* argv[]) {
    SetUpEngine();
    // The command text is the whole command line the starting program passed: Qt gets only the
    // program's own name. The platform is chosen with QT_QPA_PLATFORM.
    const QStringList arguments = ProgramArguments(argc, argv);
    int ownName = 1;
    QApplication app(ownName, argv);
    return RunMenuProcess(arguments);
}
