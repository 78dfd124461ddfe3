#pragma once
// The tree window's progress bar as the transfers drive it: a range, a
// value, and the busy mark from SetRange until SetValue(-1).
#include <cstdint>

class ProgressRange {
public:
    static constexpr int32_t kMaxValue = 32767;

    // Range minimum to maximum (the maximum at most 32767 and not below the
    // minimum); the value goes to the minimum and the bar is busy.
    void SetRange(int32_t minimum, int32_t maximum);
    // -1 puts the bar back to its minimum and ends the busy mark; any other
    // value becomes the bar's value, kept within the range.
    void SetValue(int32_t value);
    // One step on; a step past the maximum starts again at the minimum, so
    // a range shorter than the transfer is never a fault.
    void Inc();

    int32_t Minimum() const { return min_; }
    int32_t Maximum() const { return max_; }
    int32_t Value() const { return value_; }
    bool Busy() const { return busy_; }

private:
    int32_t min_ = 0;
    int32_t max_ = 100;
    int32_t value_ = 0;
    bool busy_ = false;
};
