// Another program of the suite at work: writes run-history rows and link requests into a
// configuration file through its own connection, as fast as it can. With "shared" it takes the
// file for one on a file server (rollback journal). The exit status is the number of rows that
// could not be written; each failure is told on stderr.
// "menu PROGRAM-FOLDER USER ROWS" is a member of staff's menu instead: it opens the installation
// as the menu does and writes its run-history rows under the user's name.
#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

#include "TestInstallation.h"
#include "db/ConnectionString.h"
#include "db/DbAccess.h"
#include "db/DbConnection.h"
#include "db/SqlText.h"
#include "env/Environment.h"
#include "env/InstallPaths.h"
#include "records/RunHistory.h"

namespace {
int MenuWrites(const QString& programFolder, const QString& user, int rows) {
    TestContext t(programFolder, {}, user);
    if (!OpenEnvironment(t.ctx)) {
        QTextStream(stderr) << user << ": the environment does not open: "
                            << t.dialogs.informations.join(QLatin1Char('|')) << '\n';
        return 125;
    }
    for (int row = 1; row <= rows; ++row) {
        WriteHistoryRow(t.ctx, user + QLatin1Char(' ') + QString::number(row));
    }
    CloseEnvironment(t.ctx);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 5 && arguments[1] == QLatin1String("menu")) {
        return MenuWrites(arguments[2], arguments[3], arguments[4].toInt());
    }
    if (arguments.size() != 4 && arguments.size() != 5) {
        QTextStream(stderr) << "usage: suite_writer CONFIG-FILE WRITER-NAME ROWS [shared]\n";
        return 125;
    }
    const QString& name = arguments[2];
    const int rows = arguments[3].toInt();
    DbConnection config(QStringLiteral("config"), DbRole::Configuration);
    if (arguments.value(4) == QLatin1String("shared")) {
        config.settings.localFileSystem = [](const QString&) { return false; };
    }
    if (const auto result = config.open(
            ComposeConfigConnectionString(DatabaseFileKind::Accdb, arguments[1], false));
        !result) {
        QTextStream(stderr) << "open: " << result.error().description << '\n';
        return 125;
    }
    int failures = 0;
    const auto write = [&](const QString& sql) {
        if (const auto result = ExecuteShared(config, sql); !result) {
            QTextStream(stderr) << name << ": " << result.error().number << ' '
                                << result.error().description << '\n';
            ++failures;
        }
    };
    const QDateTime moment = QDateTime::currentDateTime();
    // Odd rows go to the run history, even rows are link requests.
    for (int row = 1; row <= rows; ++row) {
        const QString number = QString::number(row);
        if (row % 2 == 1) {
            write(ComposeHistoryStatement(moment, row, name + QLatin1Char(' ') + number,
                                          QStringLiteral("001"), QStringLiteral("00001"), name));
            continue;
        }
        write(QStringLiteral("INSERT INTO プログラム連携情報 (発信日時,発信プログラムID,"
                             "受信プログラムID,受信期限,連携区分,起動連携情報)VALUES (") +
              SqlQuote(moment.toString(QStringLiteral("yyyyMMdd HHmmss"))) + QStringLiteral(", ") +
              SqlQuote(name) + QStringLiteral(", 'SUITE', '', '00', ") + SqlQuote(number) +
              QLatin1Char(')'));
    }
    return qMin(failures, 124);
}
