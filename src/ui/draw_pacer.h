#pragma once
// Draws a display at a bounded rate, whatever the rate of its changes: a
// change is drawn at once when the last drawing is older than the interval,
// else once when the interval has passed (from the event loop). The drawing
// reads the values as they are then, so what is drawn is always exact.
#include <QElapsedTimer>
#include <QTimer>
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
        if (!last_.isValid() || last_.elapsed() >= kIntervalMs) {
            DrawNow();
        } else if (!timer_.isActive()) {
            timer_.start(static_cast<int>(kIntervalMs - last_.elapsed()));
        }
    }
    // Draws at once (a start, an end, a change that must not wait).
    void DrawNow() {
        timer_.stop();
        last_.start();
        draw_();
    }
    // Forgets a drawing still to come.
    void Cancel() { timer_.stop(); }
    bool Pending() const { return timer_.isActive(); }

private:
    std::function<void()> draw_;
    QElapsedTimer last_;
    QTimer timer_;
};
