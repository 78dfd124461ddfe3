#pragma once
// Draws a display at a bounded rate, whatever the rate of its changes: a
// change is drawn at once when the last drawing is older than the interval,
// else once when the interval has passed (from the event loop). The drawing
// reads the values as they are then, so what is drawn is always exact.
// Changes may come a million times a second: the time is read from the
// system's coarse clock (steps of a few milliseconds, far below the
// interval), which costs next to nothing.
#include <QTimer>
#include <ctime>
#include <cstdint>
#include <functional>
#include <utility>

class DrawPacer {
public:
    static constexpr int kIntervalMs = 200;

    explicit DrawPacer(std::function<void()> draw) : draw_(std::move(draw)) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { DrawNow(); });
    }
    DrawPacer(const DrawPacer&) = delete;
    DrawPacer& operator=(const DrawPacer&) = delete;

    // Something shown changed.
    void Changed() {
        const int64_t since = NowMs() - lastMs_;
        if (!drawn_ || since >= kIntervalMs) {
            DrawNow();
        } else if (!timer_.isActive()) {
            timer_.start(static_cast<int>(kIntervalMs - since));
        }
    }
    // Draws at once (a start, an end, a change that must not wait).
    void DrawNow() {
        timer_.stop();
        lastMs_ = NowMs();
        drawn_ = true;
        draw_();
    }
    // Forgets a drawing still to come.
    void Cancel() { timer_.stop(); }
    bool Pending() const { return timer_.isActive(); }

private:
    static int64_t NowMs() {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
        return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
    }

    std::function<void()> draw_;
    bool drawn_ = false;
    int64_t lastMs_ = 0;
    QTimer timer_;
};
