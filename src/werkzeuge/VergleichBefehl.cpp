#include "werkzeuge/VergleichBefehl.h"

#include <QSaveFile>
#include <QTextStream>

#include "alarms/AlarmdefsZugriff.h"
#include "platform/WinUmgebung.h"
#include "werkzeuge/Uebernahme.h"
#include "werkzeuge/Vergleich.h"

QString VergleichBefehl::Aufruf() {
    return QStringLiteral("tavero --vergleich DB ANDERE [--basis STAND] [--csv DATEI] [--uebernehmen]");
}

int VergleichBefehl::Ausfuehren(const QStringList& argumente, QTextStream& aus, QTextStream& fehler) {
    Vergleich::Angaben angaben;
    QString csv;
    bool uebernehmen = false;
    QStringList positionen;
    for (qsizetype i = 0; i < argumente.size(); ++i) {
        const QString& arg = argumente.at(i);
        if (arg == QLatin1String("--basis") || arg == QLatin1String("--csv")) {
            if (i + 1 >= argumente.size()) {
                fehler << QStringLiteral("tavero: Nach %1 fehlt der Wert. Aufruf: %2\n").arg(arg, Aufruf());
                return Fehler;
            }
            (arg == QLatin1String("--basis") ? angaben.basis : csv) = argumente.at(++i);
        } else if (arg == QLatin1String("--uebernehmen")) {
            uebernehmen = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            fehler << QStringLiteral("tavero: Unbekannte Angabe \"%1\". Aufruf: %2\n").arg(arg, Aufruf());
            return Fehler;
        } else {
            positionen << arg;
        }
    }
    if (positionen.size() != 2) {
        fehler << QStringLiteral("tavero: Zwei Datenbanken werden verglichen. Aufruf: %1\n").arg(Aufruf());
        return Fehler;
    }
    angaben.hier = positionen.at(0);
    angaben.dort = positionen.at(1);
    Vergleichsergebnis e;
    try {
        e = Vergleich::Vergleichen(angaben);
    } catch (const AlarmdefsFehler& f) {
        fehler << QStringLiteral("tavero: ") << f.Text()
               << (f.Detail().isEmpty() ? QString() : QStringLiteral(" (") + f.Detail() + QLatin1Char(')')) << '\n';
        return Fehler;
    }
    aus << e.Text();
    aus.flush();
    if (!csv.isEmpty()) {
        QSaveFile f(QString::fromStdString(WinUmgebung::PfadAbbilden(csv.toStdString())));
        const QByteArray daten = e.Csv();
        if (!f.open(QIODevice::WriteOnly) || f.write(daten) != daten.size() || !f.commit()) {
            fehler << QStringLiteral("tavero: Die Datei %1 lässt sich nicht schreiben.\n").arg(csv);
            return Fehler;
        }
    }
    if (uebernehmen) {
        const Uebernahme::Ergebnis u = Uebernahme::Ausfuehren(angaben.hier, Uebernahme::Auftraege(e.zeilen));
        aus << u.text << '\n';
        for (const QString& z : u.abgelehnt)
            aus << QStringLiteral("  ") << z << '\n';
        aus.flush();
        if (!u.geschrieben) {
            fehler << QStringLiteral("tavero: ") << u.text
                   << (u.detail.isEmpty() ? QString() : QStringLiteral(" (") + u.detail + QLatin1Char(')')) << '\n';
            return Fehler;
        }
    }
    return e.Gleich() ? Gleich : Unterschiede;
}
