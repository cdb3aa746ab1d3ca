#pragma once
// Finding alarms from the field above the grid (Ctrl+F): Enter goes to the next
// match, Shift+Enter to the previous, round the ends; the grid moves there and
// the pick runs as for a row change. Searching never changes a cell.
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include "alarms/Datendienst.h"

class AlarmAuswahl;
class Hauptfenster;

class Suchleiste : public QObject {
    Q_OBJECT
public:
    explicit Suchleiste(Hauptfenster& haupt, QObject* parent = nullptr);
    // The component of the database open now; a new one starts a new search.
    void Verbinden(AlarmAuswahl* auswahl);
    void Weiter(const QString& text, int richtung);

    // Whether a search is still being made on the database's worker.
    bool Sucht() const { return m_offen.ticket != 0; }

private:
    // A search on the worker: the newest one asked for is the one shown.
    struct Offen {
        Datendienst::Ticket ticket = 0;
        QPointer<Datendienst> dienst;
        QString text;
        QString reihe;
        int richtung = 1;
    };
    Offen m_offen;
    void Beantwortet(const Datendienst::Antwort& a);
    void Erhalten(const Datendienst::Antwort& a);
    // The matches of text in the grid's order (reihe) have come.
    void Gefunden(const QList<qlonglong>& treffer, const QString& text, const QString& reihe, int richtung);
    void Springen(const QString& text, int richtung);
    Hauptfenster& m_haupt;
    AlarmAuswahl* m_auswahl = nullptr;
    QString m_text;
    QString m_reihe;  // the grid's order the matches were found in
    QList<qlonglong> m_treffer;
    int m_pos = -1;
    // The wait of the Enter or the answer being handled: the search, the
    // look-up of its match and the match's pick share it, less than a frame.
    QDeadlineTimer m_frist;
};
