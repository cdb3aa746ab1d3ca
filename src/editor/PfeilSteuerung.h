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
#include <optional>

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
    // through Ergebnis, in the order the orders were given, or through
    // Beantworten with the number LetzterSchritt gave right after the call.
    using Schreibweg = std::function<void(const Schreibauftrag& auftrag, const QString& beschreibung)>;
    void setSchreibweg(Schreibweg weg) { m_weg = std::move(weg); }

    // An arrow let go after a drag or after keys moved it.
    void PfeilSchreiben(int index, bool bewegt, const QString& beschreibung);
    // "Pfeile": the current alarm's arrow gets symbol i of the symbol list.
    void SymbolWaehlen(int i);
    // "Alarm": the current alarm goes onto picture j of the picture list.
    void BildWaehlen(int j);

    // The order last handed to the write function; 0 when none is open.
    quint64 LetzterSchritt() const { return m_offen.isEmpty() ? 0 : m_offen.last().nummer; }
    // Whether orders are still on their way.
    bool Schreibt() const { return !m_offen.isEmpty(); }

public slots:
    // What became of the oldest order still open.
    void Ergebnis(const Schreibergebnis& e);
    // What became of order nummer; a number no longer open is ignored.
    void Beantworten(quint64 nummer, const Schreibergebnis& e);

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
        quint64 nummer = 0;
        // The arrow was let go again while this write was open: once it went
        // through, the arrow is written again from the row it left.
        std::optional<QString> nachzug;
    };
    // A step joins the open ones; index is the arrow it writes (0: none).
    void Oeffnen(Schritt s, int index);
    // A command on the current alarm's arrow while writes are open is refused, visibly.
    bool Abweisen();
    // The arrow let go again while step s was open is written now, if s went through.
    void Nachziehen(const Schritt& s, const Schreibergebnis& e, int index);
    // The one place an order leaves; the result comes back through Ergebnis.
    void Absenden(const Schreibauftrag& auftrag, const QString& beschreibung);
    // An order that could not even be built: finished at once with this reason.
    void NichtGesendet(const Schreibergebnis& grund);
    static Schreibergebnis KeinAlarm();

    frmPicture& m_bild;
    Hauptwerte& m_werte;
    Schreibweg m_weg;
    QList<Schritt> m_offen;
    quint64 m_nummer = 0;
};
