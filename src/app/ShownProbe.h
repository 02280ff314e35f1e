#pragma once
// Start-up measurement builds only: once the watched window has painted its
// first frame, prints "shown <steady clock ns>" and quits the event loop. The
// caller takes the clock before starting the process; both read
// CLOCK_MONOTONIC, so the difference is the time from start to shown.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdio>

class ShownProbe : public QObject {
public:
    explicit ShownProbe(QObject* watched) : QObject(watched) { watched->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            watched->removeEventFilter(this);
            // After the paint itself has run.
            QTimer::singleShot(0, [] {
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count();
                std::printf("shown %lld\n", static_cast<long long>(ns));
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool painted_ = false;
};
