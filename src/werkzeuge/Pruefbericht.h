#pragma once
// The check report over the whole table Alarmdefs: what stops an arrow from
// showing where it belongs, grouped by kind, each line naming the alarm to pick.
// The table is read in one pass; each picture and symbol file is looked at
// once, however many alarms name it.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "werkzeuge/Projektrahmen.h"

class Pruefbericht {
public:
    enum class Art {
        BildFehlt,         // Form names a picture whose bitmap is not there (or no BMP)
        SymbolFehlt,       // Symbol names a file that is not in the symbol folder
        BildNichtInListe,  // Form names a picture the configuration does not list
        OhnePosition,      // a picture, but X or Y empty
        AusserhalbBild,    // X or Y negative, or not inside the bitmap
        Gestapelt,         // arrows of one picture at most StapelAbstand apart
        OhneBild,          // Form empty
        NummerDoppelt      // more than one row carries the alarm number
    };
    static constexpr int Arten = 8;
    // Two arrows are stacked when they differ by at most this in x and in y;
    // arrows linked through such neighbours form one heap, reported once.
    static constexpr int StapelAbstand = 4;

    struct Zeile {
        QString ident;          // the alarm a double click picks
        qlonglong nummer = 0;   // the same as a number (order of the lines)
        QStringList idents;     // every alarm of a line that names several (a heap, a number used twice)
        QString bezeichnung;    // VarName, else Alarmtext: for orientation
        QString form;           // the row's values as stored (the first alarm's for a heap)
        QString symbol;
        QString x;
        QString y;
        QString befund;         // what is wrong, German
        QString Text() const;   // "Alarm 12 (P101_ST.3): " + befund
        QStringList Idents() const { return idents.isEmpty() ? QStringList{ident} : idents; }
    };
    struct Gruppe {
        Art art = Art::BildFehlt;
        QList<Zeile> zeilen;
    };

    // Reads the whole table; throws AlarmdefsFehler when it cannot.
    static Pruefbericht Erstellen(const QString& sDatenbank, const Projektrahmen& rahmen);

    static QString Titel(Art art);
    const QList<Gruppe>& Gruppen() const { return m_gruppen; }  // every kind, in the order above
    const Gruppe& GruppeVon(Art art) const { return m_gruppen.at(static_cast<int>(art)); }
    qsizetype Alarme() const { return m_alarme; }  // rows checked
    qsizetype Befunde() const;                     // lines of all groups
    bool Sauber() const { return Befunde() == 0; }
    int DateienNachgesehen() const { return m_dateien; }

    // German text, every kind with its count, the lines below.
    QString Text() const;
    // The lines for Excel: Prüfung; Ident; Alarm; Form; Symbol; X; Y; Befund.
    QByteArray Csv() const;

private:
    QString m_datenbank;
    QList<Gruppe> m_gruppen;
    qsizetype m_alarme = 0;
    int m_dateien = 0;
};

// Lines move as plain memory when a group grows.
Q_DECLARE_TYPEINFO(Pruefbericht::Zeile, Q_RELOCATABLE_TYPE);
