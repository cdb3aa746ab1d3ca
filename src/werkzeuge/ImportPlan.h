#pragma once
// Arrow assignments back from a spreadsheet. The file is compared with the
// table first, and the plan says what would change, which lines are refused
// and why, and what deserves a second look; only applying it writes, all rows
// in one transaction, each only while it still holds what the plan read.
// Alarmtext in the file is for the reader and is never written.
#include <QList>
#include <QString>

#include "alarms/Sammelergebnis.h"
#include "alarms/Schreibauftrag.h"
#include "werkzeuge/CsvDatei.h"
#include "werkzeuge/Projektrahmen.h"

class ImportPlan {
public:
    struct Meldung {
        int zeile = 0;   // the file's line as a spreadsheet numbers it (the header is 1)
        QString ident;   // the alarm number as the line gives it
        QString text;    // German
        QString Text() const;  // "Zeile 5 (Alarm 12): " + text
    };

    struct Optionen {
        // A Form whose bitmap is not in the picture folder is refused (a spreadsheet
        // makes "7" of "007"); with this the line is taken, with a warning.
        bool fehlendeBilderAnnehmen = false;
    };

    // Reads the file (Windows or POSIX path) and the table. Throws DateiFehler
    // when the file cannot be read or has no header naming Ident and one of
    // Form, Symbol, X, Y; AlarmdefsFehler when the table cannot be read.
    static ImportPlan Erstellen(const QString& sDatenbank, const QString& sDatei, const Projektrahmen& rahmen);
    static ImportPlan Erstellen(const QString& sDatenbank, const QString& sDatei, const Projektrahmen& rahmen,
                                const Optionen& optionen);
    static ImportPlan Erstellen(const QString& sDatenbank, const CsvDatei::Inhalt& inhalt, const QString& sDatei,
                                const Projektrahmen& rahmen);
    static ImportPlan Erstellen(const QString& sDatenbank, const CsvDatei::Inhalt& inhalt, const QString& sDatei,
                                const Projektrahmen& rahmen, const Optionen& optionen);

    // One write per alarm that changes: only the columns that change, gelesen
    // the row as read for this plan (Ident, Alarmtext, Form, Symbol, X, Y; the
    // write compares the columns it writes). For AlarmAuswahl::ZeilenSchreiben as well.
    const QList<Schreibauftrag>& Auftraege() const { return m_auftraege; }
    const QList<Meldung>& Abgelehnt() const { return m_abgelehnt; }
    const QList<Meldung>& Warnungen() const { return m_warnungen; }
    qsizetype Zeilen() const { return m_zeilen; }            // lines below the header
    qsizetype Unveraendert() const { return m_unveraendert; } // lines the table holds already
    qsizetype Aenderungen(int spalte) const;                  // alarms whose Form, Symbol, X or Y changes
    bool NichtsZuSchreiben() const { return m_auftraege.isEmpty(); }
    // Lines refused because their Form or Symbol hangs on the file's encoding:
    // the file's decoding is in doubt, so nothing of it is written unasked.
    qsizetype KodierungZweifelhaft() const { return m_kodierungZweifelhaft; }

    // German: the counts, then the refused lines and the warnings.
    QString Zusammenfassung() const;
    // One line naming the step, for the undo history and the status bar.
    QString Beschreibung() const;
    // Writes every change in one transaction: all, or none when a row was
    // changed meanwhile or the database refuses.
    Sammelergebnis Anwenden() const;

    QString Datenbank() const { return m_datenbank; }
    QString Datei() const { return m_datei; }

private:
    QString m_datenbank;
    QString m_datei;
    QList<Schreibauftrag> m_auftraege;
    QList<Meldung> m_abgelehnt;
    QList<Meldung> m_warnungen;
    qsizetype m_zeilen = 0;
    qsizetype m_unveraendert = 0;
    qsizetype m_kodierungZweifelhaft = 0;
    qsizetype m_aenderungen[4] = {0, 0, 0, 0};  // Form, Symbol, X, Y
};
