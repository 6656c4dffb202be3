#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

// Ends the program once the window named objectName has been painted for the first time, and
// prints its size, so that a run measures everything up to the first picture on the screen.
class FirstPaintExit final : public QObject {
public:
    explicit FirstPaintExit(const QString& objectName) : objectName_(objectName) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint && watched->objectName() == objectName_) {
            done_ = true;
            if (const auto* widget = qobject_cast<QWidget*>(watched)) {
                std::printf("%d %d\n", widget->width(), widget->height());
            }
            // After this paint has been delivered.
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    QString objectName_;
    bool done_ = false;
};
