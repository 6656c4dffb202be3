#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include "AdminCommands.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream in(stdin);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunAdminCommand(QCoreApplication::arguments().mid(1),
                           QCoreApplication::applicationDirPath(), in, out, err);
}
