#pragma once
// What one thing the user does (a pick, a search, showing an alarm) may wait
// in all for the answers of the data service it needs, however many it asks
// for one after the other: less than a frame, the rest of the frame left for
// the window's own work. What has not come by then is taken when it comes.
#include <QDeadlineTimer>
#include <algorithm>
#include <limits>

class Takt {
public:
    static inline int Ms = 8;
    // The wait of one such thing, begun now.
    static QDeadlineTimer Frist() { return QDeadlineTimer(Ms); }
    // What is left of a wait, in whole milliseconds (0 once it is over).
    static int Rest(const QDeadlineTimer& frist) {
        return frist.isForever() ? std::numeric_limits<int>::max()
                                 : static_cast<int>(std::max<qint64>(frist.remainingTime(), 0));
    }
};
