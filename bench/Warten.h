#pragma once
// The benches wait for the window's work by running its event loop, as a user
// would see it, never by sleeping.
#include <QEventLoop>
#include <QTimer>
#include <functional>

// Runs the event loop until fertig() holds (or the time is up).
inline void Warten(const std::function<bool()>& fertig, int hoechstensMs) {
    QEventLoop schleife;
    QTimer sehen;
    QObject::connect(&sehen, &QTimer::timeout, [&] {
        if (fertig())
            schleife.quit();
    });
    sehen.start(1);
    QTimer::singleShot(hoechstensMs, &schleife, &QEventLoop::quit);
    schleife.exec();
}
