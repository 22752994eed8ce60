#include "app/clock.h"

#include <chrono>
#include <thread>

double SteadyClock::now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::waitUntil(double time) {
    // sleep_for may wake early; go back to sleep for what is left.
    while (now() < time) {
        std::this_thread::sleep_for(std::chrono::duration<double>(time - now()));
    }
}
