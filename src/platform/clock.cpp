// Clocks over clock_gettime. The test hooks are kept behind a flag so that
// the real clocks cost one atomic read when no test replaced them.
#include "platform/clock.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace platform {
namespace {

struct Hooks {
    std::mutex lock;
    std::function<double()> timer;
    std::function<LocalDateTime()> now;
    std::function<void(int32_t)> sleeper;
    std::atomic<bool> hasTimer{false};
    std::atomic<bool> hasNow{false};
};

Hooks& TheHooks() {
    static Hooks hooks;
    return hooks;
}

// Copies the hook under the lock and calls it outside, so that a hook may
// itself read the clocks.
template <typename F>
F Copy(F& f) {
    std::lock_guard<std::mutex> guard(TheHooks().lock);
    return f;
}

int64_t Nanoseconds(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

uint32_t Wrap(int64_t ms) { return static_cast<uint32_t>(static_cast<uint64_t>(ms)); }

}  // namespace

double Timer() {
    Hooks& h = TheHooks();
    if (h.hasTimer.load(std::memory_order_acquire)) {
        auto f = Copy(h.timer);
        if (f) return f();
    }
    return static_cast<double>(Nanoseconds(CLOCK_MONOTONIC)) / 1e9;
}

uint32_t timeGetTime() {
    if (TheHooks().hasTimer.load(std::memory_order_acquire))
        return Wrap(static_cast<int64_t>(Timer() * 1000.0));
    return Wrap(Nanoseconds(CLOCK_MONOTONIC) / 1000000);
}

uint32_t GetTickCount() {
    if (TheHooks().hasTimer.load(std::memory_order_acquire))
        return Wrap(static_cast<int64_t>(Timer() * 1000.0));
    return Wrap(Nanoseconds(CLOCK_BOOTTIME) / 1000000);
}

void WaitMs(int32_t ms) {
    if (ms <= 0) return;
    Hooks& h = TheHooks();
    if (h.hasTimer.load(std::memory_order_acquire)) {
        auto sleeper = Copy(h.sleeper);
        if (sleeper) sleeper(ms);
        return;
    }
    // An absolute deadline in 64-bit nanoseconds: no overflow for any int32
    // count, and an interrupted sleep resumes towards the same deadline.
    int64_t deadline = Nanoseconds(CLOCK_MONOTONIC) + static_cast<int64_t>(ms) * 1000000;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(deadline / 1000000000);
    ts.tv_nsec = static_cast<long>(deadline % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

LocalDateTime Now() {
    Hooks& h = TheHooks();
    if (h.hasNow.load(std::memory_order_acquire)) {
        auto f = Copy(h.now);
        if (f) return f();
    }
    time_t t = time(nullptr);
    tm local{};
    localtime_r(&t, &local);
    LocalDateTime out;
    out.year = local.tm_year + 1900;
    out.month = local.tm_mon + 1;
    out.day = local.tm_mday;
    out.hour = local.tm_hour;
    out.minute = local.tm_min;
    out.second = local.tm_sec;
    return out;
}

std::string FormatLogTime(const LocalDateTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d - %02d:%02d:%02d", t.day, t.month, t.year,
                  t.hour, t.minute, t.second);
    return buf;
}

void SetTestTimer(std::function<double()> timer) {
    Hooks& h = TheHooks();
    std::lock_guard<std::mutex> guard(h.lock);
    h.hasTimer.store(static_cast<bool>(timer), std::memory_order_release);
    h.timer = std::move(timer);
}

void SetTestNow(std::function<LocalDateTime()> now) {
    Hooks& h = TheHooks();
    std::lock_guard<std::mutex> guard(h.lock);
    h.hasNow.store(static_cast<bool>(now), std::memory_order_release);
    h.now = std::move(now);
}

void SetTestSleep(std::function<void(int32_t)> sleeper) {
    Hooks& h = TheHooks();
    std::lock_guard<std::mutex> guard(h.lock);
    h.sleeper = std::move(sleeper);
}

}  // namespace platform
