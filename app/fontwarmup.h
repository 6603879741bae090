#pragma once

#include <thread>

// Reads the system's font configuration on a thread of its own while the application connects to
// the display, so the first screen's text does not wait for it. Joined on destruction.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::thread reader_;
};
