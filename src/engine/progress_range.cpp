#include "engine/progress_range.h"

#include <algorithm>

void ProgressRange::SetRange(int32_t minimum, int32_t maximum) {
    min_ = std::min(minimum, kMaxValue);
    max_ = std::clamp(maximum, min_, kMaxValue);
    value_ = min_;
    busy_ = true;
}

void ProgressRange::SetValue(int32_t value) {
    if (value == -1) {
        value_ = min_;
        busy_ = false;
        return;
    }
    value_ = std::clamp(value, min_, max_);
}

void ProgressRange::Inc() { value_ = value_ >= max_ ? min_ : value_ + 1; }
