#pragma once
// Reads picture files beside the user interface: the work runs in a thread of
// its own, progress and the end come back as signals in the object's thread.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>

#include "werkzeuge/Bildtext.h"

class QThread;

class BildLeseLauf : public QObject {
    Q_OBJECT
public:
    explicit BildLeseLauf(QObject* parent = nullptr);
    ~BildLeseLauf() override;  // stops a running reading and waits for it

    // Where the results are kept; empty: BildtextSpeicher::StandardOrdner().
    void setSpeicherOrdner(const QString& ordner) { m_speicherOrdner = ordner; }
    // Starts reading; false while a reading runs.
    bool Starten(const QStringList& dateien);
    // The reading stops within about a second and ends with Abgebrochen().
    void Abbrechen();
    bool Laeuft() const;
    // Blocks until the reading has ended and its signal is sent (for the command
    // line and tests); false when ms passed first.
    bool Warten(int ms = -1);

    // "Bilder werden gelesen: 3 von 12"
    static QString FortschrittText(int fertig, int gesamt);

signals:
    void Fortschritt(int fertig, int gesamt);
    void Fertig(const QList<Bildtext>& ergebnisse);  // one per file, in the order given
    void Abgebrochen();

private:
    void Beendet();

    QString m_speicherOrdner;
    QThread* m_thread = nullptr;
    std::atomic_bool m_abbruch = false;
    bool m_warAbgebrochen = false;
    QList<Bildtext> m_ergebnisse;
};
