#pragma once
// The alarm selection component: holds the database path, the folders and the
// lists, shows and hides its selection window, raises AlarmSelected when an
// alarm is picked and writes an arrow back into an alarm's row.
#include <QObject>
#include <QWidget>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "alarms/AlarmRecord.h"
#include "alarms/Sammelergebnis.h"
#include "alarms/Schreibauftrag.h"
#include "alarms/Schreibergebnis.h"
#include "alarms/Zeilenstand.h"

class Datendienst;
class Serverdienst;
struct Hauptwerte;
class frmAlarmAuswahl;

class AlarmAuswahl : public QObject {
    Q_OBJECT
public:
    explicit AlarmAuswahl(QObject* parent = nullptr);
    ~AlarmAuswahl() override;  // ends its selection window

    // Writes one arrow: strDaten is Ident + "#" + symbol file name. True when
    // the row was written; a database that refuses throws AlarmdefsFehler.
    bool ActuelleWerteEintragen(const QString& strDaten, const QString& strX, const QString& strY,
                                const std::optional<QString>& strAlarmBild = std::nullopt);
    // The same with the row as the caller read it (the arrow's own record), and
    // what became of the write; nullopt when nothing was tried (no "#", no pick).
    // An empty symbol file name or position stays empty (NULL) in the row.
    std::optional<Schreibergebnis> PfeilEintragen(const QString& strDaten, const QString& strX, const QString& strY,
                                                  const std::optional<QString>& strAlarmBild,
                                                  const std::optional<AlarmRecord>& gelesen,
                                                  const QString& beschreibung);
    // The order PfeilEintragen sends, not yet sent: nullopt when nothing is to
    // be tried, or when a position is no number, which ablehnung then says.
    std::optional<Schreibauftrag> PfeilAuftrag(const QString& strDaten, const QString& strX, const QString& strY,
                                               const std::optional<QString>& strAlarmBild,
                                               const std::optional<AlarmRecord>& gelesen,
                                               Schreibergebnis* ablehnung) const;
    // Every write of this program into the database goes through here.
    Schreibergebnis ZeileSchreiben(const Schreibauftrag& auftrag, const QString& beschreibung);
    // Several rows in one transaction, one step for the user (an import, undo of one).
    Sammelergebnis ZeilenSchreiben(const QList<Schreibauftrag>& auftraege, const QString& beschreibung);
    // A write done on another connection of this database (the grid's): the
    // component's records and every view learn what the row holds now.
    void ErgebnisMelden(const Schreibauftrag& auftrag, const Schreibergebnis& ergebnis, const QString& beschreibung);
    // The same for several rows written together on another connection (a
    // background job's): one step for the user.
    void SammelergebnisMelden(const Sammelergebnis& ergebnis, const QString& beschreibung);
    // The same with the rows' new states made beforehand on a worker (StandNach of each row).
    void SammelergebnisMelden(const Sammelergebnis& ergebnis, const QString& beschreibung,
                              const QList<Zeilenstand>& staende);
    // The states StandNach gives for a batch's rows, on any thread.
    static QList<Zeilenstand> StaendeNach(const Sammelergebnis& ergebnis);
    void AuswahlHide();
    void AuswahlShow();

    // Plain text properties.
    QString IniPath() const { return m_IniPath; }
    void setIniPath(const QString& vData) { m_IniPath = vData; }
    QString PfadErweiterung() const { return m_PfadErweiterung; }
    void setPfadErweiterung(const QString& vData) { m_PfadErweiterung = vData; }
    bool Testmodus() const { return m_Testmodus; }
    void setTestmodus(bool vData) { m_Testmodus = vData; }
    QString BilderPath() const { return m_BilderPath; }
    void setBilderPath(const QString& vData) { m_BilderPath = vData; }
    QString AlarmDatenbank() const { return m_AlarmDatenbank; }
    void setAlarmDatenbank(const QString& vData) { m_AlarmDatenbank = vData; }
    QString SymbolPath() const { return m_SymbolPath; }
    void setSymbolPath(const QString& vData) { m_SymbolPath = vData; }

    // Variant properties: an empty optional means "holds no array" (never set,
    // or set by reference to an object).
    std::optional<QStringList> SymbolListe() const { return m_SymbolListe; }
    void setSymbolListe(const QStringList& vData) { m_SymbolListe = vData; }
    void setSymbolListeReferenz(QObject* vData);
    std::optional<AlarmListeTyp> AlarmListe() const { return m_AlarmListe; }
    void setAlarmListe(const AlarmListeTyp& vData) { m_AlarmListe = vData; }
    void setAlarmListeReferenz(QObject* vData);
    std::optional<QStringList> AlarmBilderListe() const { return m_AlarmBilderListe; }
    void setAlarmBilderListe(const QStringList& vData) { m_AlarmBilderListe = vData; }
    void setAlarmBilderListeReferenz(QObject* vData);

    std::optional<AlarmRecord> AktuellerAlarm() const { return m_AktuellerAlarm; }
    // Value assignment: stores a copy, then raises AlarmSelected (synchronously).
    void setAktuellerAlarm(const AlarmRecord& vData);
    // Reference assignment: stores the reference, raises nothing.
    void setAktuellerAlarmReferenz(QObject* vData);

    // The find field of the selection window asks for the next (richtung 1) or
    // previous (-1) alarm that matches text.
    void SucheAnfordern(const QString& text, int richtung) { emit SucheAngefordert(text, richtung); }

    // On a server database: the kept connection that writes and listens
    // (created on first need); nullptr for a file.
    Serverdienst* Server();
    // The worker of the open database that its grid reads through, where one
    // is running; a write asked of it is reported back by ErgebnisMelden.
    Datendienst* Dienst() const;

    // The component's one selection window, created on first need.
    frmAlarmAuswahl* Fenster();
    bool HatFenster() const;

    // The main window's values, handed down by the shell (none without a main window).
    Hauptwerte* Werte() const { return m_Werte; }
    void setWerte(Hauptwerte* werte) { m_Werte = werte; }

    // How long the server's connections wait at most for the grid's first rows.
    static constexpr int ErsteZeilenHoechstensMs = 1000;

signals:
    void AlarmSelected();
    // Rows hold new values now (written by this program, or found changed by
    // someone else); one signal for all rows of one write or one batch of notes.
    void ZeilenGeaendert(const QList<Zeilenstand>& staende);
    void SucheAngefordert(const QString& text, int richtung);
    // Writes that took place together, with each row's values before and after.
    void Geschrieben(const QList<Schreibergebnis>& ergebnisse, const QString& beschreibung);
    // For the main window, which the shell connects: what the component and its
    // window have to say, and what they ask of the windows around them.
    void StatusText(int panel, const QString& text);
    void StatusMeldung(const QString& text, const QString& detail);
    void AuswahlGescheitert(const QString& grund, const QString& detail);
    void BildfensterZeigen();
    void FensterAktiv();
    // The user started a pick in the selection window.
    void WahlBegonnen();
    void KindFensterGewuenscht(QWidget* fenster);

private:
    void GridNachSchreiben(const QList<Schreibergebnis>& zeilen);
    // Opens the server's connections once the grid shows its first rows.
    void NachErstenZeilenAnstossen(Serverdienst* d);
    // The rows the grid shows are read again, those still on their way once they are there.
    void GezeigteNeuLesen();
    QPointer<frmAlarmAuswahl> m_Fenster;
    Hauptwerte* m_Werte = nullptr;
    QString m_AlarmDatenbank;
    QString m_BilderPath;
    std::optional<AlarmRecord> m_AktuellerAlarm;
    std::optional<AlarmListeTyp> m_AlarmListe;
    std::optional<QStringList> m_AlarmBilderListe;
    QString m_SymbolPath;
    std::optional<QStringList> m_SymbolListe;
    bool m_Testmodus = false;
    QString m_PfadErweiterung;
    QString m_IniPath;
    QPointer<QObject> m_Referenzen[4];

    // The picked alarm and the list take over what the rows hold now, without a new pick.
    void StandAbgleichen(const QList<Zeilenstand>& staende);
    // Other clients wrote the rows of these numbers: every view shows what they hold now.
    void ZeilenVomServer(const QStringList& idents);
    // The rows the server's watcher read for ZeilenVomServer: the pick and the arrows take them.
    void ZeilenNachgelesen(const QList<qlonglong>& nummern, const QHash<qlonglong, AlarmListeTyp>& gelesen);
    std::unique_ptr<Serverdienst> m_Server;
    QString m_ServerFuer;
    QString m_KeinServerFuer;  // a file database: no server connection
    // The new state of a row this program wrote, or found changed; none when
    // it is unknown which of several rows of one number it was.
    static std::optional<Zeilenstand> StandNach(const Schreibergebnis& e);
    void Melden(const QList<Zeilenstand>& staende);
    std::optional<AlarmRecord> GelesenFuer(const QString& ident) const;
};
