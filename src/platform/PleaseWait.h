#pragma once

// The please-wait window msgお待ち, shown while databases are copied.
class PleaseWait {
public:
    virtual ~PleaseWait() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
};
