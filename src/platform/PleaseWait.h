#pragma once

#include <QRect>

// The please-wait window msgお待ち, shown while databases are copied.
class PleaseWait {
public:
    virtual ~PleaseWait() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    // Keeps the window off an area of the screen (the notice panel that shows the progress).
    virtual void placeClearOf(const QRect& area) { static_cast<void>(area); }
};
