#pragma once
// The one road an arrow takes into its alarm's row: the release of a dragged
// or nudged arrow and the two menus "Pfeile" and "Alarm" build their order
// here, hand it to Absenden and finish in Ergebnis, where the arrow goes back
// to what the row holds when the write did not go through. The shell may lay
// its history in between (each write a step whose redo() writes); without
// one the write goes straight to the component.
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "alarms/AlarmRecord.h"
#include "alarms/Schreibauftrag.h"
#include "alarms/Schreibergebnis.h"

class frmPicture;
struct Hauptwerte;

class PfeilSteuerung : public QObject {
    Q_OBJECT
public:
    PfeilSteuerung(frmPicture& bild, Hauptwerte& werte);

    // Takes an order and its step's description; its result must come back
    // through Ergebnis, in the order the orders were given.
    using Schreibweg = std::function<void(const Schreibauftrag& auftrag, const QString& beschreibung)>;
    void setSchreibweg(Schreibweg weg) { m_weg = std::move(weg); }

    // An arrow let go after a drag or after keys moved it.
    void PfeilSchreiben(int index, bool bewegt, const QString& beschreibung);
    // "Pfeile": the current alarm's arrow gets symbol i of the symbol list.
    void SymbolWaehlen(int i);
    // "Alarm": the current alarm goes onto picture j of the picture list.
    void BildWaehlen(int j);

public slots:
    // What became of the oldest order still open.
    void Ergebnis(const Schreibergebnis& e);

signals:
    void StatusText(int panel, const QString& text);
    void StatusMeldung(const QString& text, const QString& detail);
    // The picture window is to be shown (after a picture was chosen).
    void BildfensterZeigen();

private:
    enum class Art { Pfeil, Symbol, Bild };
    struct Schritt {
        Art art = Art::Pfeil;
        QString ident;
        QString symbol;     // Pfeil, Symbol: the symbol written
        QString datei;      // Bild: the picture file chosen
        AlarmRecord alarm;  // Bild: the alarm as picked
    };
    // The one place an order leaves; the result comes back through Ergebnis.
    void Absenden(const Schreibauftrag& auftrag, const QString& beschreibung);
    // An order that could not even be built: finished at once with this reason.
    void NichtGesendet(const Schreibergebnis& grund);
    static Schreibergebnis KeinAlarm();

    frmPicture& m_bild;
    Hauptwerte& m_werte;
    Schreibweg m_weg;
    QList<Schritt> m_offen;
};
