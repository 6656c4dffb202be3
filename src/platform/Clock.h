#pragma once

#include <QDateTime>

// "Now" for every timestamp and date keyword, so that tests can fix the moment.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
