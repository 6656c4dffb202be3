// The cost of one PIN check at sign-in: a stored PIN of the interactive cost is verified against
// a right and a wrong entry, RUNS times each; prints the median and the slowest in milliseconds.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <vector>

#include "platform/CodeConverter.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int asked = qEnvironmentVariableIntValue("RUNS");
    const int runs = asked > 0 ? asked : 20;
    const QString stored = CodeConverter::encode(QStringLiteral("4711"));
    const QString verifier = CodeConverter().convert(stored);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        for (const char* entry : {"4711", "4712"}) {
            QElapsedTimer timer;
            timer.start();
            const bool matched = CodeConverter::verify(verifier, QString::fromLatin1(entry));
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
            if (matched != (entry[3] == '1')) {
                QTextStream(stderr) << "wrong answer for " << entry << '\n';
                return 1;
            }
        }
    }
    std::sort(times.begin(), times.end());
    QTextStream(stdout) << "stored form: " << stored.section(QLatin1Char('$'), 0, 3) << "$…\n"
                        << "one verification: median "
                        << QString::number(times[times.size() / 2], 'f', 1) << " ms, slowest "
                        << QString::number(times.back(), 'f', 1) << " ms (" << times.size()
                        << " checks)\n";
    return 0;
}
