#pragma once
// Scripted dialog seam for tests: records every message and answers every
// modal dialog, file dialog and pop-up menu from a queue, so nothing blocks.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "alarms/Dialoge.h"

class SkriptDialoge : public Dialoge {
public:
    SkriptDialoge();   // installs itself
    ~SkriptDialoge() override;  // restores the default

    QStringList meldungen;          // texts of Meldung, in order
    QStringList meldungsTitel;
    int modalAufrufe = 0;
    int beendet = 0;                // calls of ProzessBeenden
    QStringList dateiDialogTitel;
    QStringList dateiDialogOrdner;  // start folder (open) or proposed path (save) of each file dialog

    // Answers for Modal: each is called with the dialog (click its buttons
    // there) and its return value is the dialog's result. Without an answer
    // the dialog is rejected.
    QList<std::function<int(QDialog*)>> modalAntworten;
    QStringList dateiAntworten;     // answers of DateiOeffnen and DateiSpeichern; empty: cancelled
    QList<int> wahlAntworten;       // answers of Wahl (button index); none left: -1
    QStringList wahlTexte;          // texts of Wahl, in order
    QStringList eingabeAntworten;   // answers of Eingabe; none left or a null text: cancelled
    // Answers for MenuZeigen: index of the visible action to choose (it is
    // triggered, as a real pop-up menu does), -1 none.
    QList<int> menuAntworten;
    QStringList letzteMenuTexte;    // visible action texts of the last pop-up

    void Meldung(QWidget* owner, const QString& text, const QString& titel) override;
    int Modal(QDialog* dlg) override;
    QString DateiOeffnen(QWidget* owner, const QString& titel, const QString& filter,
                         const QString& standardEndung, const QString& vorgabeName,
                         const QString& startOrdner) override;
    QString DateiSpeichern(QWidget* owner, const QString& titel, const QString& filter,
                           const QString& vorgabe) override;
    int Wahl(QWidget* owner, const QString& titel, const QString& text, const QStringList& knoepfe,
             const QString& detail) override;
    std::optional<QString> Eingabe(QWidget* owner, const QString& titel, const QString& text,
                                   const QString& vorgabe) override;
    QAction* MenuZeigen(QMenu* menu, const QPoint& globalPos) override;
    void ProzessBeenden() override;
};
