// Composes the command of one button again and again on an installation, as a click does (detail
// row, catalogue look-ups, condition values with keywords), and prints the median and the 90th
// percentile in microseconds.
//
//   compose_launch PRGBIN-FOLDER STAFF-CODE TAB POSITION [RUNS]
#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <vector>

#include "TestInstallation.h"
#include "env/CompanySettings.h"
#include "env/Environment.h"
#include "menu/Launch.h"
#include "menu/MenuStore.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.size() < 5) {
        err << "usage: compose_launch PRGBIN-FOLDER STAFF-CODE TAB POSITION [RUNS]\n";
        return 2;
    }
    const int tab = arguments[3].toInt();
    const int position = arguments[4].toInt();
    const int runs = arguments.value(5, QStringLiteral("2000")).toInt();
    TestContext t(arguments[1]);
    if (!OpenEnvironment(t.ctx) || !LoadCompanySettings(t.ctx)) {
        err << "the installation does not open: " << t.dialogs.informations.join(' ') << '\n';
        return 1;
    }
    t.ctx.staff.code = arguments[2];
    const auto first = ComposeLaunch(t.ctx, kMenuTable, tab, position);
    if (!first) {
        err << "no button at " << tab << '/' << position << '\n';
        return 1;
    }
    err << first->commandText << '\n';
    for (int i = 0; i < runs / 10; ++i) {
        ComposeLaunch(t.ctx, kMenuTable, tab, position);
    }
    std::vector<qint64> times;
    times.reserve(size_t(runs));
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        const auto command = ComposeLaunch(t.ctx, kMenuTable, tab, position);
        times.push_back(timer.nsecsElapsed());
        if (!command || command->commandText.size() != first->commandText.size()) {
            err << "the command changed during the run\n";
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    const auto micro = [&](double share) {
        return double(times[size_t(share * double(times.size() - 1))]) / 1000.0;
    };
    out << QString::number(micro(0.5), 'f', 1) << ' ' << QString::number(micro(0.9), 'f', 1)
        << '\n';
    CloseEnvironment(t.ctx);
    return 0;
}
