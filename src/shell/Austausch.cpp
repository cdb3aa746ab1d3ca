#include "shell/Austausch.h"

#include <QApplication>
#include <QFileInfo>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Dialoge.h"
#include "alarms/Hauptfenster.h"
#include "alarms/frmAlarmAuswahl.h"
#include "shell/frmAenderungen.h"
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
                                     QStringLiteral("Alarme.csv"));
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
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const qsizetype n = Export::Schreiben(auswahl->AlarmDatenbank(), datei, teil);
        QApplication::restoreOverrideCursor();
        haupt.StatusText(1, QStringLiteral("%1 Alarme nach %2 exportiert.").arg(n).arg(datei));
    } catch (const AlarmdefsFehler& f) {
        QApplication::restoreOverrideCursor();
        d.FehlerMeldung(owner, f.Text(), f.Detail());
    } catch (const DateiFehler& f) {
        QApplication::restoreOverrideCursor();
        d.Meldung(owner, f.Text());
    }
}

void Austausch::Importieren(Hauptfenster& haupt, AlarmAuswahl* auswahl, QWidget* owner) {
    if (!DatenbankDa(auswahl, owner))
        return;
    Dialoge& d = Dialoge::aktuell();
    const QString datei = d.DateiOeffnen(owner, QStringLiteral("Alarme importieren"),
                                         QStringLiteral("Tabellen (*.csv *.xlsx *.txt *.tsv);;Alle Dateien (*)"), QStringLiteral("csv"),
                                         QString(), QString());
    if (datei.isEmpty())
        return;
    const Projektrahmen rahmen{auswahl->BilderPath(), auswahl->SymbolPath(),
                               auswahl->AlarmBilderListe().value_or(QStringList()),
                               auswahl->SymbolListe().value_or(QStringList())};
    std::optional<ImportPlan> plan;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        plan = ImportPlan::Erstellen(auswahl->AlarmDatenbank(), datei, rahmen);
    } catch (const AlarmdefsFehler& f) {
        QApplication::restoreOverrideCursor();
        d.FehlerMeldung(owner, f.Text(), f.Detail());
        return;
    } catch (const DateiFehler& f) {
        QApplication::restoreOverrideCursor();
        d.Meldung(owner, f.Text());
        return;
    }
    QApplication::restoreOverrideCursor();
    const QString zusammenfassung = plan->Zusammenfassung();
    if (plan->NichtsZuSchreiben()) {
        d.Meldung(owner, Gekuerzt(zusammenfassung, 25));
        return;
    }
    // Nothing is written before the user has seen what would change: the
    // details list every alarm, and "Einzeln wählen…" lets the user pick them.
    const QList<Differenz> zeilen = Differenz::AusAuftraegen(plan->Auftraege());
    QStringList details;
    for (const Differenz& z : zeilen)
        details << z.Text();
    QList<Schreibauftrag> auftraege = plan->Auftraege();
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
    const Sammelergebnis s = auswahl->ZeilenSchreiben(auftraege, plan->Beschreibung());
    if (s.geschrieben)
        haupt.StatusText(1, QStringLiteral("%1: geschrieben.").arg(plan->Beschreibung()));
    else
        d.FehlerMeldung(owner, s.text, s.detail);
}
