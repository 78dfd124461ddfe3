#include "platform/clock.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace platform;

namespace {

// Puts the real clocks back whatever the test did.
struct TestClock {
    double now = 0.0;
    std::vector<int32_t> sleeps;
    TestClock() {
        SetTestTimer([this] { return now; });
        SetTestSleep([this](int32_t ms) {
            sleeps.push_back(ms);
            now += ms / 1000.0;
        });
    }
    ~TestClock() {
        SetTestTimer({});
        SetTestSleep({});
        SetTestNow({});
    }
};

}  // namespace

TEST(Clock, WaitMsWithTestTimerDoesNotSleep) {
    TestClock clock;
    clock.now = 100.0;
    double realStart = 0;
    {
        SetTestTimer({});
        realStart = Timer();
        SetTestTimer([&clock] { return clock.now; });
    }
    WaitMs(50);
    WaitMs(0);
    WaitMs(-5);
    WaitMs(INT32_MAX);  // no overflow, no 24-day sleep
    EXPECT_EQ(clock.sleeps, (std::vector<int32_t>{50, INT32_MAX}));
    EXPECT_DOUBLE_EQ(Timer(), 100.0 + 0.05 + INT32_MAX / 1000.0);
    SetTestTimer({});
    EXPECT_LT(Timer() - realStart, 1.0);
}

TEST(Clock, MillisecondCountersFollowTestTimerAndWrap) {
    TestClock clock;
    clock.now = 4294967.296 + 0.5;  // 2^32 ms and half a second
    EXPECT_EQ(timeGetTime(), 500u);
    EXPECT_EQ(GetTickCount(), 500u);
}

TEST(Clock, RealWaitIsNeverShort) {
    double start = Timer();
    WaitMs(20);
    EXPECT_GE(Timer() - start, 0.020);
    uint32_t a = timeGetTime();
    uint32_t b = timeGetTime();
    EXPECT_LE(b - a, 1000u);  // monotonic, modulo wrapping
}

TEST(Clock, LogTimeFormat) {
    struct Case {
        LocalDateTime t;
        const char* text;
    } cases[] = {
        {{2024, 3, 7, 9, 5, 1}, "07/03/2024 - 09:05:01"},
        {{1999, 12, 31, 23, 59, 59}, "31/12/1999 - 23:59:59"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatLogTime(c.t), c.text);
    TestClock clock;
    SetTestNow([] { return LocalDateTime{2001, 2, 3, 4, 5, 6}; });
    EXPECT_EQ(FormatLogTime(Now()), "03/02/2001 - 04:05:06");
    SetTestNow({});
    LocalDateTime real = Now();
    EXPECT_GE(real.year, 2020);
}
