#pragma once
// The words read from each picture file, kept beside the user's settings (not
// in the project), so that a picture is read only once as long as its content
// stays the same. Entries are keyed by a hash of the file's bytes, not by its
// size and time: a picture replaced by another of the same size with the time
// kept (cp -p, unzip, rsync) is read anew. Each entry is one file, replaced
// whole, so a reading stopped halfway leaves no broken entry.
#include <QList>
#include <QString>
#include <optional>

#include "werkzeuge/Bildwort.h"

class BildtextSpeicher {
public:
    // What identifies the state of a picture file.
    struct Stempel {
        qint64 groesse = -1;
        qint64 geaendert = 0;  // ms since the epoch
        QByteArray inhalt;     // hash of the bytes, hex (128 bits)
        bool operator==(const Stempel& s) const { return groesse == s.groesse && inhalt == s.inhalt; }
    };

    explicit BildtextSpeicher(const QString& ordner = StandardOrdner());
    QString Ordner() const { return m_ordner; }

    // The folder beside the settings file of "VB and VBA Program Settings/Tavero";
    // TAVERO_BILDTEXTE or StandardOrdnerSetzen name another one.
    static QString StandardOrdner();
    static void StandardOrdnerSetzen(const QString& ordner);  // empty: the usual one again

    static std::optional<Stempel> StempelVon(const QString& datei);
    // The words kept for the file in the state it has now and read the current way.
    std::optional<QList<Bildwort>> Holen(const QString& datei) const;
    // Keeps words read from the file while it had stempel; nothing is kept when
    // the file has changed since. False when the entry could not be written.
    bool Ablegen(const QString& datei, const Stempel& stempel, const QList<Bildwort>& woerter) const;

private:
    QString EintragFuer(const Stempel& stempel) const;
    QString m_ordner;
};
