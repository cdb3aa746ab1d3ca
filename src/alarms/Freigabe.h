#pragma once
// Large values let go on a worker: freeing a check report of a million rows
// held the window a fifth of a second, and memory a worker made is freed under
// the lock of that worker's heap, which a busy worker, held off the processor
// on a loaded machine, may keep for a good part of a second. Rows, lists and
// orders that came from a worker are therefore let go here, not on the
// window's thread. The value handed over must be the last hold on its data,
// so that nothing of it is freed on the window's thread.
#include <QThreadPool>
#include <type_traits>
#include <utility>

class Freigabe {
public:
    template <class T>
    static void ImHintergrund(T&& wert) {
        if (!Weitergeben) {
            [[maybe_unused]] std::decay_t<T> weg = std::forward<T>(wert);
            return;
        }
        Gezaehlt();
        QThreadPool::globalInstance()->start([w = std::forward<T>(wert)]() mutable {
            [[maybe_unused]] std::decay_t<T> weg = std::move(w);
        });
    }
    // false: freed at once on the caller's thread, as before (the bench
    // measures both ways in one run).
    static inline bool Weitergeben = true;
    // Values handed over so far (for tests and the bench).
    static int Uebergeben();

private:
    static void Gezaehlt();
};
