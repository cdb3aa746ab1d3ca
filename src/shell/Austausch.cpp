#include "shell/Austausch.h"

#include <QApplication>
#include <QFileInfo>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "alarms/Dialoge.h"
#include "alarms/Hauptfenster.h"
#include "alarms/frmAlarmAuswahl.h"
#include "shell/Konfiguration.h"
#include "werkzeuge/DateiFehler.h"
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
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const qsizetype n = Export::Schreiben(auswahl->AlarmDatenbank(), datei, teil);
        QApplication::restoreOverrideCursor();
        haupt.StatusText(1, QStringLiteral("%1 nach %2 exportiert.").arg(Anzahltext::Alarme(n), datei));
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
                                         QStringLiteral("CSV (*.csv);;Alle Dateien (*)"), QStringLiteral("csv"),
                                         QString(), Konfiguration::DateiOrdner(auswahl->AlarmDatenbank()));
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
        const QString gezeigt = Gekuerzt(zusammenfassung, 25);
        // The shortened text promises the rest under "Details": the box has that button then.
        d.HinweisMitDetails(owner, gezeigt, gezeigt == zusammenfassung ? QString() : zusammenfassung);
        return;
    }
    // Nothing is written before the user has seen what would change.
    if (d.Wahl(owner, QStringLiteral("Alarme importieren"), Gekuerzt(zusammenfassung, 25),
               {QStringLiteral("&Schreiben"), QStringLiteral("Abbrechen")}, zusammenfassung) != 0) {
        haupt.StatusText(1, QStringLiteral("Import abgebrochen; nichts wurde geschrieben."));
        return;
    }
    const Sammelergebnis s = auswahl->ZeilenSchreiben(plan->Auftraege(), plan->Beschreibung());
    if (s.geschrieben)
        haupt.StatusText(1, QStringLiteral("%1: geschrieben.").arg(plan->Beschreibung()));
    else
        d.FehlerMeldung(owner, s.text, s.detail);
}
