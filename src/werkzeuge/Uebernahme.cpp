#include "werkzeuge/Uebernahme.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Auftragslauf.h"

Schreibauftrag Uebernahme::Auftrag(const Vergleichszeile& z) {
    Schreibauftrag a;
    a.ident = z.ident;
    // the row the comparison read; the writer checks it still carries this number
    a.zeile = z.schluesselHier;
    a.gelesen = z.hier;
    for (int s : z.spalten) {
        a.spalten << s;
        const QString neu = s == AlarmFeld::Symbol ? z.dortSymbol : z.dort.value(s);
        if (neu.isEmpty()) {
            a.werte << QVariant();
        } else if (s == AlarmFeld::X || s == AlarmFeld::Y) {
            // a position that is no number is passed on as it is: the write refuses it with its reason
            const auto p = AlarmdefsZugriff::Position(neu);
            a.werte << (p ? *p : QVariant(neu));
        } else {
            a.werte << neu;
        }
    }
    return a;
}

QList<Schreibauftrag> Uebernahme::Auftraege(const QList<Vergleichszeile>& zeilen) {
    QList<Schreibauftrag> a;
    for (const Vergleichszeile& z : zeilen)
        if (z.Uebernehmbar())
            a << Auftrag(z);
    return a;
}

namespace {
// A row as it stands now, with the engine's own key where it has one.
struct Jetzt {
    QVariant schluessel;
    AlarmRecord zeile;
};

// The rows of these numbers. SQLite: the numbers go in as one bound list and
// each row comes back with its rowid, so the table is passed once even without
// an index on Ident and each write finds its row by that key. Elsewhere the
// rows by number, without a key.
QHash<qlonglong, QList<Jetzt>> Lesen(QSqlDatabase& db, const QList<qlonglong>& nummern) {
    QHash<qlonglong, QList<Jetzt>> jetzt;
    jetzt.reserve(nummern.size());
    // in parts, so a stopped job stops here too
    constexpr qsizetype Teil = 20000;
    const bool sqlite = db.driverName() == QLatin1String("QSQLITE");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString ident = AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Ident"));
    const bool vorbereitet =
        sqlite && q.prepare(QStringLiteral("select rowid, %1 from %2 where %3 in (select value from json_each(?))")
                                .arg(AlarmdefsZugriff::SpaltenListe(db), AlarmdefsZugriff::Tabelle(db), ident));
    for (qsizetype von = 0; von < nummern.size(); von += Teil) {
        Auftragslauf::Pruefen();
        const QList<qlonglong> teil = nummern.mid(von, Teil);
        if (!vorbereitet) {
            const QHash<qlonglong, AlarmListeTyp> zeilen = AlarmdefsZugriff::ZeilenLesen(db, teil);
            for (auto it = zeilen.cbegin(); it != zeilen.cend(); ++it)
                for (const AlarmRecord& r : *it)
                    jetzt[it.key()] << Jetzt{QVariant(), r};
            continue;
        }
        QByteArray liste = "[";
        // as number and as text: a column declared as text holds the number as text
        for (qlonglong n : teil)
            liste += QByteArray::number(n) + ",\"" + QByteArray::number(n) + "\",";
        liste.back() = ']';
        q.addBindValue(QString::fromLatin1(liste));
        if (!q.exec())
            throw AlarmdefsFehler(QStringLiteral("Die Zeilen der Übernahme lassen sich nicht lesen; nichts wurde geschrieben."),
                                  q.lastError().text());
        QVariantList werte;
        while (q.next()) {
            werte.clear();
            for (int i = 0; i < AlarmFeld::Spalten; ++i)
                werte << q.value(i + 1);
            jetzt[werte.at(AlarmFeld::Ident).toLongLong()] << Jetzt{q.value(0), AlarmRecordBau::AusWerten(werte)};
        }
        q.finish();
    }
    return jetzt;
}
}  // namespace

QStringList Uebernahme::Veraendert(const QString& sDatenbank, const QList<Schreibauftrag>& auftraege) {
    static std::atomic<int> zaehler{0};
    const QString name = QStringLiteral("tavero-uebernahme-%1").arg(zaehler.fetch_add(1));
    struct Schliesser {
        QString name;
        ~Schliesser() { AlarmdefsZugriff::Schliessen(name); }
    } schliesser{name};
    QSqlDatabase db = AlarmdefsZugriff::Oeffnen(sDatenbank, name);
    QList<qlonglong> nummern;
    for (const Schreibauftrag& a : auftraege)
        if (const auto n = AlarmdefsZugriff::Alarmnummer(a.ident))
            nummern << *n;
    const QHash<qlonglong, QList<Jetzt>> jetzt = Lesen(db, nummern);
    const auto& namen = AlarmRecordBau::SpaltenNamen();
    QStringList veraendert;
    for (const Schreibauftrag& a : auftraege) {
        const auto n = AlarmdefsZugriff::Alarmnummer(a.ident);
        const QList<Jetzt> zeilen = n ? jetzt.value(*n) : QList<Jetzt>{};
        if (zeilen.size() != 1) {
            veraendert << QStringLiteral("Alarm %1: %2").arg(a.ident, zeilen.isEmpty() ? QStringLiteral("nicht mehr vorhanden")
                                                                                       : QStringLiteral("nicht eindeutig"));
            continue;
        }
        // the placement as read, all four columns: a position belongs to its picture and symbol
        const AlarmRecord& zeile = zeilen.first().zeile;
        QStringList anders;
        for (int s = AlarmFeld::Form; s <= AlarmFeld::Y; ++s)
            if (a.gelesen && zeile.value(s) != a.gelesen->value(s))
                anders << QStringLiteral("%1 jetzt %2 statt %3")
                              .arg(namen.at(s), zeile.value(s).isEmpty() ? QStringLiteral("leer") : zeile.value(s),
                                   a.gelesen->value(s).isEmpty() ? QStringLiteral("leer") : a.gelesen->value(s));
        if (!anders.isEmpty())
            veraendert << QStringLiteral("Alarm %1: inzwischen geändert, %2").arg(a.ident, anders.join(QStringLiteral(", ")));
    }
    return veraendert;
}

Uebernahme::Ergebnis Uebernahme::Ausfuehren(const QString& sDatenbank, const QList<Schreibauftrag>& auftraege,
                                           const Schreiben& schreiben) {
    Ergebnis e;
    if (auftraege.isEmpty()) {
        e.geschrieben = true;
        e.text = QStringLiteral("Nichts zu übernehmen.");
        return e;
    }
    // The writer finds each row inside its transaction (SQLite: by the key
    // the comparison read, else by number, the one row that carries it) and checks the number and the placement as
    // the comparison read them; the first row that no longer holds them stops
    // the transaction. Only then are all rows read again, so every refused
    // row can be named.
    const Sammelergebnis s = schreiben ? schreiben(auftraege) : AlarmdefsZugriff::SchreibenAlle(sDatenbank, auftraege);
    e.geschrieben = s.geschrieben;
    e.detail = s.detail;
    if (s.geschrieben) {
        e.anzahl = auftraege.size();
        e.text = QStringLiteral("%1 Alarme übernommen.").arg(e.anzahl);
        return e;
    }
    if (Sammelergebnis::WegenAenderung(s)) {
        e.abgelehnt = Veraendert(sDatenbank, auftraege);
        if (!e.abgelehnt.isEmpty()) {
            e.text = QStringLiteral("%1 von %2 Alarmen wurden seit dem Vergleich geändert; nichts wurde geschrieben. "
                                    "Bitte neu vergleichen.")
                         .arg(e.abgelehnt.size())
                         .arg(auftraege.size());
            return e;
        }
    }
    if (s.abgelehnt >= 0 && s.abgelehnt < s.zeilen.size()) {
        const Schreibergebnis& r = s.zeilen.at(s.abgelehnt);
        e.abgelehnt << QStringLiteral("Alarm %1: %2").arg(r.ident, r.text);
        if (e.detail.isEmpty())
            e.detail = r.detail;
    }
    e.text = (s.text.isEmpty() ? QStringLiteral("Die Übernahme wurde abgelehnt.") : s.text) +
             (s.text.contains(QStringLiteral("Nichts wurde geschrieben")) ? QString() : QStringLiteral(" Nichts wurde geschrieben."));
    return e;
}

QString Uebernahme::Beschreibung(qsizetype anzahl) {
    return anzahl == 1 ? QStringLiteral("1 Alarm aus dem Vergleich übernommen")
                       : QStringLiteral("%1 Alarme aus dem Vergleich übernommen").arg(anzahl);
}
