#include "shell/Austausch.h"

#include <QFileInfo>
#include <QPointer>
#include <memory>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "alarms/Dialoge.h"
#include "shell/Hauptfenster.h"
#include "alarms/frmAlarmAuswahl.h"
#include "shell/Hintergrundauftrag.h"
#include "shell/frmAenderungen.h"
#include "alarms/Konfiguration.h"
#include "werkzeuge/DateiFehler.h"
#include "werkzeuge/Differenz.h"
#include "werkzeuge/Export.h"
#include "werkzeuge/ImportPlan.h"

namespace {
bool DatenbankDa(AlarmAuswahl* auswahl, QWidget* owner) {
    if (auswahl && !auswahl->AlarmDatenbank().isEmpty())
        return true;
    Dialoge::aktuell().Meldung(owner, QStringLiteral("Es ist keine Alarmdatenbank geöffnet."));
    return false;
}

// A long text shown in part; the whole of it stands behind "Details".
QString Gekuerzt(const QString& text, int zeilen) {
    const QStringList teile = text.split(QLatin1Char('\n'));
    if (teile.size() <= zeilen)
        return text;
    return teile.mid(0, zeilen).join(QLatin1Char('\n')) +
           QStringLiteral("\n… (%1 weitere Zeilen unter „Details“)").arg(teile.size() - zeilen);
}
}  // namespace

void Austausch::Exportieren(Hauptfenster& haupt, AlarmAuswahl* auswahl, QWidget* owner) {
    if (!DatenbankDa(auswahl, owner))
        return;
    Dialoge& d = Dialoge::aktuell();
    QString datei = d.DateiSpeichern(owner, QStringLiteral("Alarme exportieren"),
                                     QStringLiteral("CSV für Excel (*.csv);;Excel-Arbeitsmappe (*.xlsx)"),
                                     Konfiguration::DateiOrdner(auswahl->AlarmDatenbank()) + QStringLiteral("/Alarme.csv"));
    if (datei.isEmpty())
        return;
    if (QFileInfo(datei).suffix().isEmpty())
        datei += QStringLiteral(".csv");
    // The part the grid shows, or all of them.
    AlarmdefsDurchlauf::Auswahl teil;
    if (auswahl->HatFenster() && auswahl->Fenster()->AktuelleAuswahl().teil != AlarmdefsDurchlauf::Teil::Alle) {
        const QString gezeigt = auswahl->Fenster()->AktuelleAuswahlText();
        const int wahl = d.Wahl(owner, QStringLiteral("Alarme exportieren"),
                                QStringLiteral("Das Raster zeigt %1. Welche Alarme sollen exportiert werden?").arg(gezeigt),
                                {QStringLiteral("Nur %1").arg(gezeigt), QStringLiteral("Alle Alarme"),
                                 QStringLiteral("Abbrechen")});
        if (wahl < 0 || wahl > 1)
            return;
        if (wahl == 0)
            teil = auswahl->Fenster()->AktuelleAuswahl();
    }
    // Written in the background: the file appears whole at the end, or not at all.
    const QString datenbank = auswahl->AlarmDatenbank();
    auto anzahl = std::make_shared<qsizetype>(0);
    auto* auftrag = new Hintergrundauftrag(QStringLiteral("Export"), owner, [=](Auftragslauf&) {
        *anzahl = Export::Schreiben(datenbank, datei, teil);
    });
    QObject::connect(auftrag, &Hintergrundauftrag::Beendet, owner, [&haupt, owner, auftrag, anzahl, datei](Hintergrundauftrag::Ausgang a) {
        switch (a) {
        case Hintergrundauftrag::Ausgang::Fertig:
            haupt.StatusText(1, QStringLiteral("%1 nach %2 exportiert.").arg(Anzahltext::Alarme(*anzahl), datei));
            break;
        case Hintergrundauftrag::Ausgang::Abgebrochen:
            haupt.StatusText(1, QStringLiteral("Export abgebrochen; die Datei %1 wurde nicht geschrieben.").arg(datei));
            break;
        case Hintergrundauftrag::Ausgang::Fehler:
            Dialoge::aktuell().FehlerMeldung(owner, auftrag->Fehlertext(), auftrag->Fehlerdetail());
            break;
        }
    });
    auftrag->Starten();
}

void Austausch::Importieren(Hauptfenster& haupt, AlarmAuswahl* auswahl, QWidget* owner) {
    if (!DatenbankDa(auswahl, owner))
        return;
    Dialoge& d = Dialoge::aktuell();
    const QString datei = d.DateiOeffnen(owner, QStringLiteral("Alarme importieren"),
                                         QStringLiteral("Tabellen (*.csv *.xlsx *.txt *.tsv);;Alle Dateien (*)"), QStringLiteral("csv"),
                                         QString(), Konfiguration::DateiOrdner(auswahl->AlarmDatenbank()));
    if (datei.isEmpty())
        return;
    const Projektrahmen rahmen{auswahl->BilderPath(), auswahl->SymbolPath(),
                               auswahl->AlarmBilderListe().value_or(QStringList()),
                               auswahl->SymbolListe().value_or(QStringList())};
    // The file is compared with the table in the background; the user then sees
    // the plan, and only a yes starts the write, again in the background.
    const QString datenbank = auswahl->AlarmDatenbank();
    auto plan = std::make_shared<std::optional<ImportPlan>>();
    auto* auftrag = new Hintergrundauftrag(QStringLiteral("Import prüfen"), owner, [=](Auftragslauf&) {
        *plan = ImportPlan::Erstellen(datenbank, datei, rahmen);
    });
    QPointer<AlarmAuswahl> komponente = auswahl;
    QObject::connect(auftrag, &Hintergrundauftrag::Beendet, owner,
                     [&haupt, owner, auftrag, plan, komponente](Hintergrundauftrag::Ausgang a) {
        Dialoge& d = Dialoge::aktuell();
        if (a == Hintergrundauftrag::Ausgang::Abgebrochen) {
            haupt.StatusText(1, QStringLiteral("Import abgebrochen; nichts wurde geschrieben."));
            return;
        }
        if (a == Hintergrundauftrag::Ausgang::Fehler) {
            d.FehlerMeldung(owner, auftrag->Fehlertext(), auftrag->Fehlerdetail());
            return;
        }
        if (!komponente || komponente->AlarmDatenbank() != (*plan)->Datenbank())
            return;  // another database was opened meanwhile: the plan is for one no longer shown
        PlanZeigen(haupt, komponente, owner, **plan);
    });
    auftrag->Starten();
}

void Austausch::PlanZeigen(Hauptfenster& haupt, AlarmAuswahl* auswahl, QWidget* owner, const ImportPlan& plan) {
    Dialoge& d = Dialoge::aktuell();
    const QString zusammenfassung = plan.Zusammenfassung();
    if (plan.NichtsZuSchreiben()) {
        const QString gezeigt = Gekuerzt(zusammenfassung, 25);
        // The shortened text promises the rest under "Details": the box has that button then.
        d.HinweisMitDetails(owner, gezeigt, gezeigt == zusammenfassung ? QString() : zusammenfassung);
        return;
    }
    // Nothing is written before the user has seen what would change: the
    // details list every alarm, and "Einzeln wählen…" lets the user pick them.
    const QList<Differenz> zeilen = Differenz::AusAuftraegen(plan.Auftraege());
    QStringList details;
    for (const Differenz& z : zeilen)
        details << z.Text();
    QList<Schreibauftrag> auftraege = plan.Auftraege();
    const int wahl = d.Wahl(owner, QStringLiteral("Alarme importieren"), Gekuerzt(zusammenfassung, 25),
                            {QStringLiteral("&Schreiben"), QStringLiteral("Abbrechen"), QStringLiteral("&Einzeln wählen…")},
                            zusammenfassung + QLatin1Char('\n') + Gekuerzt(details.join(QLatin1Char('\n')), 1000));
    if (wahl == 2) {
        frmAenderungen dlg(QStringLiteral("Alarme importieren"), Gekuerzt(zusammenfassung, 25), zeilen, owner);
        if (d.Modal(&dlg) == QDialog::Accepted)
            auftraege = frmAenderungen::Auswahl(auftraege, dlg.Gewaehlt());
        else
            auftraege.clear();
    }
    if ((wahl != 0 && wahl != 2) || auftraege.isEmpty()) {
        haupt.StatusText(1, QStringLiteral("Import abgebrochen; nichts wurde geschrieben."));
        return;
    }
    // All rows in one transaction on the job's own connection: a cancel rolls it back whole.
    const QString datenbank = plan.Datenbank();
    const QString beschreibung = plan.Beschreibung();
    auto ergebnis = std::make_shared<Sammelergebnis>();
    auto* auftrag = new Hintergrundauftrag(QStringLiteral("Import schreiben"), owner, [=](Auftragslauf& lauf) {
        lauf.Fortschritt(0, auftraege.size());
        *ergebnis = AlarmdefsZugriff::SchreibenAlle(datenbank, auftraege);
    });
    QPointer<AlarmAuswahl> komponente = auswahl;
    QObject::connect(auftrag, &Hintergrundauftrag::Beendet, owner,
                     [&haupt, owner, auftrag, ergebnis, komponente, beschreibung, datenbank](Hintergrundauftrag::Ausgang a) {
        switch (a) {
        case Hintergrundauftrag::Ausgang::Fertig:
            // the history, the grid and the arrows learn of it as of any write,
            // unless another database is open by now: its history is not this one's
            if (komponente && komponente->AlarmDatenbank() == datenbank)
                komponente->SammelergebnisMelden(*ergebnis, beschreibung);
            if (ergebnis->geschrieben)
                haupt.StatusText(1, QStringLiteral("%1: geschrieben.").arg(beschreibung));
            else
                Dialoge::aktuell().FehlerMeldung(owner, ergebnis->text, ergebnis->detail);
            break;
        case Hintergrundauftrag::Ausgang::Abgebrochen:
            haupt.StatusText(1, QStringLiteral("Import abgebrochen; nichts wurde geschrieben."));
            break;
        case Hintergrundauftrag::Ausgang::Fehler:
            Dialoge::aktuell().FehlerMeldung(owner, auftrag->Fehlertext(), auftrag->Fehlerdetail());
            break;
        }
    });
    auftrag->Starten();
}
