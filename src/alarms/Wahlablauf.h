#pragma once
// The pick of a grid row, from the click until its picture's alarm list has
// come from the data service, and the row the grid keeps selected meanwhile.
// It alone holds what a pick on its way needs: the row clicked (by its key,
// so a page still on its way or a new order never lets the pick land on
// another row), the ticket of its list (an answer to any other ticket is
// stale and dropped), and the alarm whose row the grid follows across a sort
// or a filter change. No widgets: the selection window hands the clicks in
// and shows what the signals say.
#include <QList>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

#include "alarms/AlarmRecord.h"
#include "alarms/Datendienst.h"
#include "alarms/Takt.h"
#include "alarms/Zeilenstand.h"

class AlarmdefsModell;

class Wahlablauf : public QObject {
    Q_OBJECT
public:
    explicit Wahlablauf(QObject* parent = nullptr);

    // The grid's model (nullptr: no database open); a pick on its way is given up.
    void setModell(AlarmdefsModell* modell);

    // The row clicked is picked: at once when its row and list come within
    // WartenMs, else when they come. An older pick is given up, and so is a
    // row being looked for to keep selected. bilderPath: where the picture
    // must be found for the row to count as having one.
    void Beginnen(int zeile, const QString& bilderPath);
    // The pick on its way is given up (its answer will be dropped), and the
    // row being looked for to keep selected too.
    void Verwerfen();

    // How long a pick waits for its row and its list, both together, before
    // it goes on in the background: less than a frame. A large picture's
    // list is not waited for (it takes longer than a frame and its arrows are
    // built in parts anyway), unless the caller goes on with the picked alarm
    // at once.
    int WartenMs = Takt::Ms;
    bool GrosseListeAbwarten = false;

    // Whether a pick waits for its row or its list; the alarm number it picks.
    bool Unterwegs() const { return m_offen.has_value(); }
    QString UnterwegsFuer() const;
    // Rows were written while a pick waits: the row it names takes their values over.
    void Abgleichen(const QList<Zeilenstand>& staende);

    // After a sort or a filter change: the row of the pick on its way, else
    // of the picked alarm (aktuell, as the component holds it), is kept
    // selected without a new pick (ZeileHalten). The row the pick was made on
    // is followed by its key, so of two rows with one number the one clicked
    // stays. suchen: whether the row may be looked for on the worker (false
    // while another search moves the grid itself).
    void Halten(const std::optional<AlarmRecord>& aktuell, bool suchen);
    // The row being looked for to keep selected is not wanted any more.
    void HaltenAufgeben() { m_halten.reset(); }

    // An alarm counts as having a picture only when BilderPath\N\N.bmp is found
    // under exactly that name (letter case included).
    static bool BildDateiGueltig(const QString& bilderPath, const QString& form);

signals:
    // The pick is done: the row as clicked, and its picture's alarms.
    void Gewaehlt(const AlarmRecord& satz, const std::optional<AlarmListeTyp>& liste);
    // The pick ended without an alarm: grund says why (nullopt: nothing to say).
    void Beendet(const std::optional<QString>& grund, const QString& detail);
    // The grid keeps this row selected and in view; no pick.
    void ZeileHalten(int zeile);

private:
    struct Offen {
        quint64 nr = 0;                  // which click
        Datendienst::Ticket ticket = 0;  // 0: the row has not come, no list asked for yet
        AlarmRecord satz;
        qint64 schluessel = -1;
        int zeile = -1;
        QString bilderPath;
    };
    // The row picked last: its key and number, to follow it rather than another row of its number.
    struct Gewaehlte {
        qint64 schluessel = -1;
        QString ident;
    };
    std::optional<QString> ZeileUebernehmen(int zeile);
    void Fortsetzen(std::optional<QString> grund, const QString& detail, const QDeadlineTimer& frist);
    // The wait of the pick being begun (its row and its list share it), else a new one.
    QDeadlineTimer Frist() const { return m_beginnt ? m_frist : QDeadlineTimer(WartenMs); }
    void ZeileGekommen();
    void ZeilenUnlesbar(int von, int bis, const QString& grund);
    void ListeBeantwortet(const Datendienst::Antwort& a);
    void Gefunden(qlonglong nummer, int zeile);

    QPointer<AlarmdefsModell> m_modell;
    QList<QMetaObject::Connection> m_verbindungen;
    std::optional<Offen> m_offen;
    quint64 m_folge = 0;
    bool m_beginnt = false;  // within Beginnen
    QDeadlineTimer m_frist;  // the wait Beginnen began
    std::optional<Gewaehlte> m_gewaehlt;
    // The alarm number whose row Halten looks for on the worker.
    std::optional<qlonglong> m_halten;
};
