#include "werkzeuge/VorschlaegeBefehl.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QSaveFile>
#include <QTextStream>
#include <optional>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "alarms/Konfiguration.h"
#include "platform/MDatei.h"
#include "platform/WinUmgebung.h"
#include "werkzeuge/BildLeseLauf.h"
#include "werkzeuge/Bildlesung.h"
#include "werkzeuge/BildtextSpeicher.h"
#include "werkzeuge/Kennzeichenregel.h"
#include "werkzeuge/Differenz.h"
#include "werkzeuge/Vorschlaege.h"

namespace {

struct Angaben {
    QString datenbank, ini, csv, muster;
    bool alle = false, annehmen = false;
};

// The error text when the arguments are not understood.
std::optional<QString> Lesen(const QStringList& argumente, Angaben& a) {
    QStringList pfad;
    for (int i = 0; i < argumente.size(); ++i) {
        const QString& arg = argumente[i];
        if (arg == QLatin1String("--vorschlaege") && i == 0)
            continue;
        if (arg == QLatin1String("--alle")) {
            a.alle = true;
        } else if (arg == QLatin1String("--annehmen")) {
            a.annehmen = true;
        } else if (arg == QLatin1String("--ini") || arg == QLatin1String("--csv") || arg == QLatin1String("--muster")) {
            if (i + 1 >= argumente.size())
                return QStringLiteral("Nach %1 fehlt der Wert.").arg(arg);
            QString& ziel = arg == QLatin1String("--ini") ? a.ini : arg == QLatin1String("--csv") ? a.csv : a.muster;
            ziel = argumente[++i];
        } else if (arg.startsWith(QLatin1String("--"))) {
            return QStringLiteral("Unbekannte Angabe \"%1\".").arg(arg);
        } else {
            pfad << arg;
        }
    }
    a.datenbank = pfad.join(QLatin1Char(' '));
    if (a.datenbank.isEmpty())
        return QStringLiteral("Die Alarmdatenbank fehlt.");
    return std::nullopt;
}

// The picture names of the picture list without folder and extension, as the program's picture list has them.
QStringList BilderLesen(const QString& ini) {
    QStringList bilder;
    for (const QString& b : Konfiguration::BilderListeLesen(ini))
        bilder << Konfiguration::OhneEndung(b);
    return bilder;
}

// The symbol an accepted alarm without one gets: the first of the symbol list,
// below the symbol folder's "Standard\\" as the main window writes it.
QString ErstesSymbol(const QString& ini) {
    const QStringList symbole = Konfiguration::SymbolListeLesen(ini);
    return symbole.isEmpty() ? QString() : QStringLiteral("Standard\\") + symbole.first();
}

}  // namespace

QString VorschlaegeBefehl::HilfeText() {
    return QStringLiteral(
        "Aufruf: tavero --vorschlaege DATENBANK [--ini TAVERO.INI] [--csv DATEI] [--muster AUSDRUCK] [--alle] "
        "[--annehmen]\n"
        "Liest die Alarmbilder und sucht auf jedem die Kennzeichen seiner Alarme (VarName bis zum ersten \"_\"\n"
        "oder \".\"); vorgeschlagen wird die rechte untere Ecke der Beschriftung.\n"
        "  --ini DATEI        Tavero.ini mit Bilderordner und Bilderliste (Vorgabe: Tavero\\Tavero.ini beim Programm)\n"
        "  --csv DATEI        die Vorschläge auch als CSV-Datei schreiben\n"
        "  --muster AUSDRUCK  das Kennzeichen per regulärem Ausdruck aus dem VarName (erste Gruppe, sonst der Treffer)\n"
        "  --alle             auch Alarme, die schon eine Position haben\n"
        "  --annehmen         die gefundenen Positionen schreiben, alle oder keine; ein Alarm ohne Symbol\n"
        "                     bekommt das erste Symbol der Liste ([Arrow] 1Symbol)\n"
        "Ende mit 0, wenn es Vorschläge gibt, 1 ohne Vorschläge, 2 bei falschen Angaben oder Datenbankfehlern.\n");
}

int VorschlaegeBefehl::Ausfuehren(const QStringList& argumente, QTextStream& aus, QTextStream& fehler) {
    // Qt's database drivers want an application object; a command may run before any window exists.
    static int argc = 1;
    static char name[] = "tavero";
    static char* argv[] = {name, nullptr};
    std::optional<QCoreApplication> anwendung;
    if (!QCoreApplication::instance())
        anwendung.emplace(argc, argv);

    Angaben a;
    if (const auto grund = Lesen(argumente, a)) {
        fehler << *grund << '\n' << HilfeText();
        fehler.flush();
        return Fehler;
    }
    const QString ini = a.ini.isEmpty()
                            ? QString::fromStdString(WinUmgebung::ProgrammOrdner()) + QStringLiteral("\\Tavero\\Tavero.ini")
                            : a.ini;
    auto scheitern = [&fehler](const QString& text) {
        fehler << text << '\n';
        fehler.flush();
        return Fehler;
    };
    if (!MDatei::DateiVorhanden(ini.toStdString()))
        return scheitern(QStringLiteral("Die Konfigurationsdatei %1 wurde nicht gefunden.").arg(ini));
    const QString bilderPath = Konfiguration::Wert(QStringLiteral("Grafik"), QStringLiteral("AlarmPicturePath"), ini);
    if (bilderPath.isEmpty())
        return scheitern(QStringLiteral("In %1 fehlt der Bilderordner ([Grafik] AlarmPicturePath).").arg(ini));
    const Kennzeichenregel regel(a.muster);
    if (!regel.Gueltig())
        return scheitern(regel.Fehler());

    AlarmListeTyp alarme;
    try {
        alarme = Vorschlaege::AlarmeLesen(a.datenbank, BilderLesen(ini), a.alle);
    } catch (const AlarmdefsFehler& e) {
        return scheitern(e.Text());
    }

    const QStringList bilder = Vorschlaege::Bilder(alarme);
    QMutex sperre;
    const QList<Bildtext> gelesen = Bildlesung::Lesen(
        Vorschlaege::BildDateien(bilderPath, bilder), BildtextSpeicher(), nullptr, [&](int fertig, int gesamt) {
            QMutexLocker l(&sperre);
            fehler << BildLeseLauf::FortschrittText(fertig, gesamt) << '\n';
            fehler.flush();
        });
    for (const Bildtext& t : gelesen)
        if (!t.fehler.isEmpty())
            fehler << t.fehler << '\n';
    const QHash<QString, Bildtext> texte = Vorschlaege::NachBild(bilderPath, bilder, gelesen);

    const QList<Vorschlag> vorschlaege = Vorschlaege::Berechnen(alarme, texte, regel);
    for (const Vorschlag& v : vorschlaege)
        aus << Vorschlaege::Zeile(v) << '\n';
    aus << Vorschlaege::Zusammenfassung(vorschlaege) << '\n';
    aus.flush();

    if (!a.csv.isEmpty()) {
        QSaveFile f(QString::fromStdString(WinUmgebung::PfadAbbilden(a.csv.toStdString())));
        // with a byte order mark, so that spreadsheet programs read the umlauts as UTF-8
        const QByteArray inhalt = QByteArray("\xEF\xBB\xBF") + Vorschlaege::Csv(vorschlaege).toUtf8();
        if (!f.open(QIODevice::WriteOnly) || f.write(inhalt) != inhalt.size() || !f.commit())
            return scheitern(QStringLiteral("Die CSV-Datei %1 lässt sich nicht schreiben.").arg(a.csv));
    }
    const int gefunden = Vorschlaege::Anzahl(vorschlaege, Vorschlag::Art::Gefunden);
    if (a.annehmen && gefunden > 0) {
        // what is written, alarm by alarm, as the windows list it
        aus << QStringLiteral("Änderungen:") << '\n';
        for (const Differenz& d : Differenz::AusAuftraegen(Vorschlaege::Auftraege(vorschlaege, ErstesSymbol(ini))))
            aus << d.Text() << '\n';
        aus.flush();
        const Sammelergebnis e = Vorschlaege::Annehmen(a.datenbank, vorschlaege, ErstesSymbol(ini));
        if (!e.geschrieben) {
            scheitern(QStringLiteral("Nichts wurde geschrieben: %1").arg(e.text));
            // A row someone changed meanwhile is a refusal, not a broken file or argument.
            return Sammelergebnis::WegenAenderung(e) ? OhneVorschlaege : Fehler;
        }
        aus << QStringLiteral("%1 geschrieben.").arg(Anzahltext::Text(gefunden, QStringLiteral("Position"),
                                                                     QStringLiteral("Positionen")))
            << '\n';
        aus.flush();
    }
    fehler.flush();
    return gefunden > 0 ? MitVorschlaegen : OhneVorschlaege;
}
