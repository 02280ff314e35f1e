#pragma once
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

// Runs `fn` once a modal dialog is up (inside its exec loop), then returns to
// the caller; `fn` gets the active modal dialog (or nullptr after a timeout).
inline void WhenModal(std::function<void(QDialog*)> fn, int timeoutMs = 5000) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, fn, timeoutMs] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (d && d->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            fn(d);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            fn(nullptr);
        }
    });
    timer->start();
}
