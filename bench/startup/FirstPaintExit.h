#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>

// Ends the program once the window named objectName has been painted for the first time, and
// prints its size, so that a run measures everything up to the first picture on the screen. When
// the starter put the moment of its exec into NUMORIKA_BENCH_T0 (seconds since the epoch, as
// bash's EPOCHREALTIME gives it), the milliseconds from there to this paint follow the size:
// the start-up without the program's own end.
class FirstPaintExit final : public QObject {
public:
    explicit FirstPaintExit(const QString& objectName) : objectName_(objectName) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint && watched->objectName() == objectName_) {
            done_ = true;
            if (const auto* widget = qobject_cast<QWidget*>(watched)) {
                std::printf("%d %d", widget->width(), widget->height());
            }
            if (const char* start = std::getenv("NUMORIKA_BENCH_T0")) {
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                const double seconds = double(now.tv_sec) + double(now.tv_nsec) / 1e9;
                std::printf(" %.3f", (seconds - std::strtod(start, nullptr)) * 1000.0);
            }
            std::printf("\n");
            std::fflush(stdout);
            // After this paint has been delivered.
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    QString objectName_;
    bool done_ = false;
};
