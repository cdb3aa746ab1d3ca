#include "shell/Fensterplatz.h"

#include <QSettings>

#include "alarms/Twips.h"

namespace Fensterplatz {

Twipswerte AusRahmen(const QRect& r) {
    return {static_cast<int>(Twips::ZuTwips(r.x())), static_cast<int>(Twips::ZuTwips(r.y())),
            static_cast<int>(Twips::ZuTwips(r.width())), static_cast<int>(Twips::ZuTwips(r.height()))};
}

void Speichern(QSettings& s, const Twipswerte& w) {
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(QStringLiteral("MainLeft"), QString::number(w.Left));
    s.setValue(QStringLiteral("MainTop"), QString::number(w.Top));
    s.setValue(QStringLiteral("MainWidth"), QString::number(w.Width));
    s.setValue(QStringLiteral("MainHeight"), QString::number(w.Height));
    s.endGroup();
    s.sync();
}

void Speichern(const QRect& rahmenPixel) {
    QSettings s(QStringLiteral("VB and VBA Program Settings"), QStringLiteral("Tavero"));
    Speichern(s, AusRahmen(rahmenPixel));
}

}  // namespace Fensterplatz
