#pragma once
// Clocks. Every time-out and deadline uses the monotonic clock, which does not
// wrap at midnight and does not move when the wall clock is set. Tests can
// replace both the monotonic and the wall clock.
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Seconds from the monotonic clock (any origin), for time-outs and deadlines.
double Timer();
// Milliseconds from the monotonic clock, wrapping at 2^32.
uint32_t timeGetTime();
// Milliseconds since the system started, wrapping at 2^32 (serial trace).
uint32_t GetTickCount();
// Waits the given milliseconds on the monotonic clock without processing
// events (the thread sleeps until the deadline); a negative or zero value
// returns at once. Cannot overflow.
void WaitMs(int32_t ms);

struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};
// The local date and time of the wall clock.
LocalDateTime Now();
// "dd/mm/yyyy - hh:mm:ss", the form of the logs.
std::string FormatLogTime(const LocalDateTime& t);

// Test hooks: replace the monotonic clock (seconds) and the wall clock; an
// empty function restores the real one. WaitMs advances a replaced monotonic
// clock through the hook below instead of sleeping. While a test timer is
// set, timeGetTime and GetTickCount count its milliseconds too.
void SetTestTimer(std::function<double()> timer);
void SetTestNow(std::function<LocalDateTime()> now);
// Called by WaitMs with the milliseconds to wait while a test timer is set.
void SetTestSleep(std::function<void(int32_t)> sleeper);

}  // namespace platform
