#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include "AdminCommands.h"
#include "db/DbConnection.h"

int main(int argc, char* argv[]) {
    SetUpEngine();
    QTextStream in(stdin);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // An import reads one file and writes another: nothing the application object sets up (the
    // locale, an event dispatcher, the program's folder) serves it, and setting that up is a good
    // part of the time a small file takes.
    if (argc > 1 && qstrcmp(argv[1], "import-access") == 0) {
        QStringList arguments;
        for (int i = 1; i < argc; ++i) {
            arguments << QString::fromLocal8Bit(argv[i]);
        }
        return RunAdminCommand(arguments, {}, in, out, err);
    }
    QCoreApplication app(argc, argv);
    return RunAdminCommand(QCoreApplication::arguments().mid(1),
                           QCoreApplication::applicationDirPath(), in, out, err);
}
