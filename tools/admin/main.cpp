#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include "AdminCommands.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunAdminCommand(QCoreApplication::arguments().mid(1),
                           QCoreApplication::applicationDirPath(), out, err);
}
