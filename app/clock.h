#pragma once

// Time for the budgets of the interface link: the 0.5 s limit of a code read
// and the 1 s reset pause. Monotonic, so a change of the wall clock or
// midnight changes nothing.
class Clock {
public:
    virtual ~Clock() = default;

    // Seconds since an arbitrary fixed start, with fractions.
    virtual double now() = 0;

    // Waits until now() has reached the given time. Nothing is polled during
    // the reset pause, so there is no need to spin.
    virtual void waitUntil(double time) = 0;
};

class SteadyClock final : public Clock {
public:
    double now() override;
    void waitUntil(double time) override;
};

// A clock that only moves when told to. Tests drive it; the busy waits of the
// link read it in a loop, so each reading may also move it on by a small step
// to let a silent interface run into its time limit.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double start = 1000.0, double stepPerReading = 0.0)
        : time_(start), step_(stepPerReading) {}

    double now() override {
        const double t = time_;
        time_ += step_;
        return t;
    }
    void waitUntil(double time) override {
        if (time > time_) time_ = time;
        ++waits_;
    }

    void advance(double seconds) { time_ += seconds; }
    void setStepPerReading(double step) { step_ = step; }
    double peek() const { return time_; }
    int waits() const { return waits_; }

private:
    double time_;
    double step_;
    int waits_ = 0;
};
