#include <QApplication>

#include "app/Main.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunMenuProcess();
}
