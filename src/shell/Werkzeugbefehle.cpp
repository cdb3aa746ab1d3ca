#include "shell/Werkzeugbefehle.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSaveFile>
#include <QSet>
#include <QTextStream>
#include <cstdio>
#include <optional>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Datenbankadresse.h"
#include "alarms/ServerMeldungen.h"
#include "alarms/Anzahltext.h"
#include "platform/WinUmgebung.h"
#include "alarms/Konfiguration.h"
#include "werkzeuge/DateiFehler.h"
#include "werkzeuge/Differenz.h"
#include "werkzeuge/Export.h"
#include "werkzeuge/ImportPlan.h"
#include "werkzeuge/Pruefbericht.h"
#include "werkzeuge/VergleichBefehl.h"
#include "werkzeuge/VorschlaegeBefehl.h"

namespace Werkzeugbefehle {
namespace {

void Ausgeben(const QString& text) {
    const QByteArray u = text.toUtf8();
    std::fwrite(u.constData(), 1, static_cast<std::size_t>(u.size()), stdout);
    std::fflush(stdout);
}

int Scheitern(const QString& text) {
    std::fflush(stdout);
    const QByteArray u = (QStringLiteral("tavero: ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(u.constData(), 1, static_cast<std::size_t>(u.size()), stderr);
    return Fehler;
}

// The arguments of one command: positions, options with a value, switches.
struct Angaben {
    QStringList positionen;
    QHash<QString, QString> werte;
    QSet<QString> schalter;
    QString fehler;
};

Angaben Zerlegen(const QStringList& argumente, int positionen, const QStringList& mitWert, const QStringList& schalter) {
    Angaben a;
    for (qsizetype i = 0; i < argumente.size() && a.fehler.isEmpty(); ++i) {
        const QString& arg = argumente.at(i);
        if (mitWert.contains(arg)) {
            if (i + 1 >= argumente.size())
                a.fehler = QStringLiteral("Nach %1 fehlt der Wert.").arg(arg);
            else if (a.werte.contains(arg))
                a.fehler = QStringLiteral("%1 steht zweimal da.").arg(arg);
            else
                a.werte.insert(arg, argumente.at(++i));
        } else if (schalter.contains(arg)) {
            a.schalter.insert(arg);
        } else if (arg.startsWith(QLatin1String("--"))) {
            a.fehler = QStringLiteral("Unbekannte Angabe \"%1\".").arg(arg);
        } else {
            a.positionen << arg;
        }
    }
    if (a.fehler.isEmpty() && a.positionen.size() != positionen)
        a.fehler = a.positionen.size() < positionen ? QStringLiteral("Es fehlen Angaben.")
                                                    : QStringLiteral("Zu viele Angaben: \"%1\".").arg(a.positionen.mid(positionen).join(QLatin1Char(' ')));
    return a;
}

// The folders and lists of Tavero.ini: from --ini, else beside the program.
std::optional<Projektrahmen> RahmenLesen(const QString& ini) {
    if (!Konfiguration::Vorhanden(ini))
        return std::nullopt;
    Projektrahmen r;
    r.bilderPath = Konfiguration::Wert(QStringLiteral("Grafik"), QStringLiteral("AlarmPicturePath"), ini);
    r.symbolPath = Konfiguration::Wert(QStringLiteral("Grafik"), QStringLiteral("PfeilPath"), ini);
    r.bilderListe = Konfiguration::BilderListeLesen(ini);
    r.symbolListe = Konfiguration::SymbolListeLesen(ini);
    return r;
}

QString IniPfad(const Angaben& a) {
    return a.werte.value(QStringLiteral("--ini"), Konfiguration::StandardIniPfad());
}

int Pruefen(const QStringList& argumente) {
    const Angaben a = Zerlegen(argumente, 1, {QStringLiteral("--ini"), QStringLiteral("--csv")}, {});
    if (!a.fehler.isEmpty())
        return Scheitern(a.fehler + QStringLiteral(" Aufruf: tavero --pruefbericht DB [--ini Tavero.ini] [--csv DATEI]"));
    const QString ini = IniPfad(a);
    const auto rahmen = RahmenLesen(ini);
    if (!rahmen)
        return Scheitern(QStringLiteral("Die Konfigurationsdatei %1 wurde nicht gefunden.").arg(ini));
    const Pruefbericht bericht = Pruefbericht::Erstellen(a.positionen.first(), *rahmen);
    Ausgeben(bericht.Text());
    if (a.werte.contains(QStringLiteral("--csv"))) {
        const QString csv = a.werte.value(QStringLiteral("--csv"));
        QSaveFile f(QString::fromStdString(WinUmgebung::PfadAbbilden(csv.toStdString())));
        const QByteArray daten = bericht.Csv();
        if (!f.open(QIODevice::WriteOnly) || f.write(daten) != daten.size() || !f.commit())
            return Scheitern(QStringLiteral("Die Datei %1 lässt sich nicht schreiben.").arg(csv));
    }
    return bericht.Sauber() ? Gut : Befund;
}

int Exportieren(const QStringList& argumente) {
    const Angaben a = Zerlegen(argumente, 2, {}, {});
    if (!a.fehler.isEmpty())
        return Scheitern(a.fehler + QStringLiteral(" Aufruf: tavero --export DB DATEI.csv|DATEI.xlsx"));
    const QString datei = a.positionen.at(1);
    const qsizetype n = Export::Schreiben(a.positionen.at(0), datei);
    Ausgeben(QStringLiteral("%1 nach %2 geschrieben.\n").arg(Anzahltext::Alarme(n), datei));
    return Gut;
}

// "j" or "ja" writes; anything else, and the end of the input, does not.
bool Zustimmung() {
    Ausgeben(QStringLiteral("Änderungen schreiben? (j/n) "));
    char zeile[64];
    if (!std::fgets(zeile, sizeof zeile, stdin)) {
        Ausgeben(QStringLiteral("\n"));
        return false;
    }
    const QString antwort = QString::fromLocal8Bit(zeile).trimmed().toLower();
    return antwort == QLatin1String("j") || antwort == QLatin1String("ja");
}

int Importieren(const QStringList& argumente) {
    const Angaben a = Zerlegen(argumente, 2, {QStringLiteral("--ini")},
                               {QStringLiteral("--ja"), QStringLiteral("--fehlende-bilder")});
    if (!a.fehler.isEmpty())
        return Scheitern(a.fehler + QStringLiteral(" Aufruf: tavero --import DB DATEI.csv [--ja] [--fehlende-bilder] "
                                                   "[--ini Tavero.ini]"));
    const QString ini = IniPfad(a);
    auto rahmen = RahmenLesen(ini);
    if (!rahmen && a.werte.contains(QStringLiteral("--ini")))
        return Scheitern(QStringLiteral("Die Konfigurationsdatei %1 wurde nicht gefunden.").arg(ini));
    if (!rahmen) {
        Ausgeben(QStringLiteral("Hinweis: %1 fehlt; Bilder und Symbole werden nicht mit den Listen verglichen.\n").arg(ini));
        rahmen = Projektrahmen{};
    }
    const QString datei = a.positionen.at(1);
    ImportPlan::Optionen optionen;
    optionen.fehlendeBilderAnnehmen = a.schalter.contains(QStringLiteral("--fehlende-bilder"));
    const ImportPlan plan = ImportPlan::Erstellen(a.positionen.at(0), datei, *rahmen, optionen);
    Ausgeben(plan.Zusammenfassung());
    // the same per-alarm lines the window lists
    for (const Differenz& z : Differenz::AusAuftraegen(plan.Auftraege()))
        Ausgeben(QStringLiteral("  ") + z.Text() + QLatin1Char('\n'));
    if (plan.NichtsZuSchreiben())
        return plan.Abgelehnt().isEmpty() ? Gut : Befund;
    const bool ja = a.schalter.contains(QStringLiteral("--ja"));
    if (ja && plan.KodierungZweifelhaft() > 0) {
        // unasked, a file whose decoding is in doubt is not written in part
        Ausgeben(QStringLiteral("%1 Zeilen hängen von der Kodierung der Datei ab; mit --ja wird nichts geschrieben. "
                                "Die Datei als UTF-8 speichern oder ohne --ja einzeln bestätigen.\nNichts geschrieben.\n")
                     .arg(plan.KodierungZweifelhaft()));
        return Befund;
    }
    if (!ja && !Zustimmung()) {
        Ausgeben(QStringLiteral("Nichts geschrieben.\n"));
        return Befund;
    }
    const Sammelergebnis e = plan.Anwenden();
    if (!e.geschrieben) {
        Scheitern(e.text + (e.detail.isEmpty() ? QString() : QStringLiteral(" (") + e.detail + QLatin1Char(')')));
        // A row someone changed since the plan read it is a refusal (1); 2 stays for unusable files and arguments.
        return Sammelergebnis::WegenAenderung(e) ? Befund : Fehler;
    }
    Ausgeben(QStringLiteral("%1 geschrieben.\n").arg(Anzahltext::Alarme(plan.Auftraege().size())));
    // written, yet not all the file asked for: a script must see that
    if (!plan.Abgelehnt().isEmpty()) {
        Ausgeben(QStringLiteral("%1 abgelehnt.\n").arg(Anzahltext::Zeilen(plan.Abgelehnt().size())));
        return Befund;
    }
    return Gut;
}

int ServerEinrichten(const QStringList& argumente) {
    const Angaben a = Zerlegen(argumente, 1, {}, {QStringLiteral("--ja")});
    if (!a.fehler.isEmpty())
        return Scheitern(a.fehler + QStringLiteral(" Aufruf: tavero --server-einrichten ADRESSE [--ja]"));
    const QString adresse = a.positionen.at(0);
    if (!Datenbankadresse(adresse).IstServer())
        return Scheitern(QStringLiteral("%1 ist keine Serverdatenbank; nur dort wird die Benachrichtigung eingerichtet.")
                             .arg(Datenbankadresse::OhnePasswort(adresse)));
    const QString name = QStringLiteral("tavero-einrichten");
    int ergebnis = Gut;
    {
        QSqlDatabase db = AlarmdefsZugriff::Oeffnen(adresse, name);
        const QStringList fehlen = AlarmdefsZugriff::FehlendeSpalten(db);
        if (!fehlen.isEmpty()) {
            ergebnis = Scheitern(QStringLiteral("In der Tabelle Alarmdefs von %1 fehlen die Spalten %2; nichts wurde geändert.")
                                     .arg(Datenbankadresse::OhnePasswort(adresse), fehlen.join(QStringLiteral(", "))));
        } else {
            Ausgeben(ServerMeldungen::Beschreibung(db) + QLatin1Char('\n'));
            QString fehler;
            if (!a.schalter.contains(QStringLiteral("--ja")) && !Zustimmung()) {
                Ausgeben(QStringLiteral("Nichts geändert.\n"));
                ergebnis = Befund;
            } else if (!db.transaction() || !ServerMeldungen::Einrichten(db, &fehler) || !db.commit()) {
                db.rollback();
                ergebnis = Scheitern((fehler.isEmpty() ? db.lastError().text() : fehler) + QStringLiteral(" Nichts wurde geändert."));
            } else {
                Ausgeben(QStringLiteral("Die Benachrichtigung ist eingerichtet.\n"));
            }
        }
    }
    AlarmdefsZugriff::Schliessen(name);
    return ergebnis;
}

int Vorschlagen(const QStringList& argumente) {
    QTextStream aus(stdout);
    QTextStream fehler(stderr);
    // Without --ini the command reads the Tavero.ini the program finds (beside it, the user's, the system's).
    QStringList mitIni = argumente;
    if (!mitIni.contains(QStringLiteral("--ini")))
        mitIni << QStringLiteral("--ini") << Konfiguration::StandardIniPfad();
    const int ergebnis = VorschlaegeBefehl::Ausfuehren(mitIni, aus, fehler);
    aus.flush();
    fehler.flush();
    return ergebnis;
}

int Vergleichen(const QStringList& argumente) {
    QTextStream aus(stdout);
    QTextStream fehler(stderr);
    const int ergebnis = VergleichBefehl::Ausfuehren(argumente, aus, fehler);
    aus.flush();
    fehler.flush();
    return ergebnis;
}

struct Befehl {
    const char* name;
    const char* hilfe;
    int (*ausfuehren)(const QStringList&);
};

// One line per command.
const Befehl kBefehle[] = {
    {"--pruefbericht", "--pruefbericht DB [--ini Tavero.ini] [--csv DATEI]\n"
                       "      Prüfbericht der Pfeile; Ende 0 ohne Befund, 1 mit Befunden, 2 bei Fehlern",
     Pruefen},
    {"--export", "--export DB DATEI.csv|DATEI.xlsx\n"
                 "      Ident, Form, Symbol, X, Y, Alarmtext aller Alarme; Ende 0, 2 bei Fehlern",
     Exportieren},
    {"--import", "--import DB DATEI.csv|.xlsx|.txt [--ja] [--fehlende-bilder] [--ini Tavero.ini]\n"
                 "      zeigt die Änderungen und schreibt sie nach Rückfrage (--ja: ohne) in einem Schritt;\n"
                 "      --fehlende-bilder nimmt Zeilen an, deren Bild keine Bitmap hat;\n"
                 "      Ende 0 alles geschrieben oder nichts zu tun, 1 Zeilen abgelehnt oder verneint, 2 bei Fehlern",
     Importieren},
    {"--vorschlaege", "--vorschlaege DB [--ini Tavero.ini] [--csv DATEI] [--muster REGEX] [--alle] [--annehmen]\n"
                      "      liest die Beschriftungen der Bilder und schlägt die Pfeilpositionen vor;\n"
                      "      --annehmen schreibt sie; Ende 0 mit Vorschlägen, 1 ohne, 2 bei Fehlern",
     Vorschlagen},
    {"--server-einrichten", "--server-einrichten ADRESSE [--ja]\n"
                            "      richtet auf dem Server die Benachrichtigung ein, mit der Änderungen anderer Programme\n"
                            "      sofort erscheinen (zeigt erst, was sich ändert); Ende 0 eingerichtet, 1 verneint, 2 bei Fehlern",
     ServerEinrichten},
    {"--vergleich", "--vergleich DB ANDERE [--basis STAND] [--csv DATEI] [--uebernehmen]\n"
                    "      vergleicht die Pfeile zweier Datenbanken (mit --basis dreifach); --uebernehmen schreibt\n"
                    "      alle Änderungen der anderen ohne Konflikt; Ende 0 gleich, 1 Unterschiede, 2 bei Fehlern",
     Vergleichen},
};

const Befehl* Finden(const QString& name) {
    for (const Befehl& b : kBefehle)
        if (name == QLatin1String(b.name))
            return &b;
    return nullptr;
}
}  // namespace

bool Bekannt(const QString& befehl) { return Finden(befehl) != nullptr; }

QString Hilfe() {
    QString t;
    for (const Befehl& b : kBefehle)
        t += QStringLiteral("  tavero ") + QString::fromUtf8(b.hilfe) + QLatin1Char('\n');
    return t;
}

int Ausfuehren(const QString& befehl, const QStringList& argumente) {
    const Befehl* b = Finden(befehl);
    if (!b)
        return Scheitern(QStringLiteral("Unbekannter Befehl %1.").arg(befehl));
    // Every failure of a database or a file ends the command with its German text.
    try {
        return b->ausfuehren(argumente);
    } catch (const AlarmdefsFehler& f) {
        return Scheitern(f.Text() + (f.Detail().isEmpty() ? QString() : QStringLiteral(" (") + f.Detail() + QLatin1Char(')')));
    } catch (const DateiFehler& f) {
        return Scheitern(f.Text());
    }
}

}  // namespace Werkzeugbefehle
