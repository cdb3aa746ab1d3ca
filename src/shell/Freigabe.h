#pragma once
// Large values let go on a worker: freeing a check report of a million rows
// held the window a fifth of a second. The value handed over must be the last
// hold on its data, so that nothing of it is freed on the window's thread.
#include <QThreadPool>
#include <type_traits>
#include <utility>

class Freigabe {
public:
    template <class T>
    static void ImHintergrund(T&& wert) {
        Gezaehlt();
        QThreadPool::globalInstance()->start([w = std::forward<T>(wert)]() mutable {
            [[maybe_unused]] std::decay_t<T> weg = std::move(w);
        });
    }
    // Values handed over so far (for tests and the bench).
    static int Uebergeben();

private:
    static void Gezaehlt();
};
