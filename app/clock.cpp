#include "app/clock.h"

#include <chrono>
#include <thread>

double SteadyClock::now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::waitUntil(double time) {
    for (double left = time - now(); left > 0; left = time - now()) {
        std::this_thread::sleep_for(std::chrono::duration<double>(left));
    }
}
