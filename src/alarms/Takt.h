#pragma once
// What one thing the user does (a pick, a search, showing an alarm) may wait
// in all for the answers of the data service it needs, however many it asks
// for one after the other: less than a frame, the rest of the frame left for
// the window's own work. What has not come by then is taken when it comes.
#include <QDeadlineTimer>
#include <QTimer>
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
    // The wait shared by all that one turn of the window's event loop asks
    // for without a user's deed behind it (the cells of a paint): begun by the
    // first ask of the turn, over for the turn once spent, new in the next
    // turn. The window's thread only. Tests that read rows straight after
    // asking for them raise RundeMs on a loaded machine.
    static inline int RundeMs = Ms;
    static QDeadlineTimer Runde() {
        if (!s_rundeOffen) {
            s_runde = QDeadlineTimer(RundeMs);
            s_rundeOffen = true;
            QTimer::singleShot(0, [] { s_rundeOffen = false; });
        }
        return s_runde;
    }

private:
    static inline QDeadlineTimer s_runde;
    static inline bool s_rundeOffen = false;
};
