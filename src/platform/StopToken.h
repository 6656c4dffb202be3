#pragma once

#include <atomic>

// A request to stop long work, made on one thread and read by the work on another between its
// steps.
class StopToken {
public:
    void request() { stop_.store(true); }
    bool requested() const { return stop_.load(); }

private:
    std::atomic<bool> stop_{false};
};
