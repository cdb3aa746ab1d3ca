#pragma once
// Finding alarms from the field above the grid (Ctrl+F): Enter goes to the next
// match, Shift+Enter to the previous, round the ends; the grid moves there and
// the pick runs as for a row change. Searching never changes a cell.
#include <QList>
#include <QObject>
#include <QString>

class AlarmAuswahl;
class Hauptfenster;

class Suchleiste : public QObject {
    Q_OBJECT
public:
    explicit Suchleiste(Hauptfenster& haupt, QObject* parent = nullptr);
    // The component of the database open now; a new one starts a new search.
    void Verbinden(AlarmAuswahl* auswahl);
    void Weiter(const QString& text, int richtung);

private:
    Hauptfenster& m_haupt;
    AlarmAuswahl* m_auswahl = nullptr;
    QString m_text;
    QString m_reihe;  // the grid's order the matches were found in
    QList<qlonglong> m_treffer;
    int m_pos = -1;
};
