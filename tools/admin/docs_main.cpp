#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>

#include "AdminCommands.h"

// numorika-admin-docs man|completion FILE: the manual page or the bash completion of the tool.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString kind = arguments.value(1);
    const QString text = kind == QLatin1String("man")          ? ManualPage(AdminSubcommands())
                         : kind == QLatin1String("completion") ? BashCompletion(AdminSubcommands())
                                                               : QString();
    QSaveFile file(arguments.value(2));
    if (text.isEmpty() || arguments.size() != 3 || !file.open(QIODevice::WriteOnly) ||
        file.write(text.toUtf8()) < 0 || !file.commit()) {
        std::fputs("使い方: numorika-admin-docs man|completion FILE\n", stderr);
        return 2;
    }
    return 0;
}
