#include "alarms/AlarmAuswahl.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Dialoge.h"
#include "alarms/Hauptfenster.h"
#include "alarms/frmAlarmAuswahl.h"
#include "platform/WinUmgebung.h"

AlarmAuswahl::AlarmAuswahl(QObject* parent) : QObject(parent) {}

AlarmAuswahl::~AlarmAuswahl() {
    // The window belongs to this component: no stale grid outlives it.
    delete m_Fenster.data();
}

frmAlarmAuswahl* AlarmAuswahl::Fenster() {
    if (!m_Fenster)
        m_Fenster = new frmAlarmAuswahl();
    return m_Fenster;
}

bool AlarmAuswahl::HatFenster() const { return !m_Fenster.isNull(); }

void AlarmAuswahl::setSymbolListeReferenz(QObject* vData) {
    m_SymbolListe.reset();
    m_Referenzen[0] = vData;
}
void AlarmAuswahl::setAlarmListeReferenz(QObject* vData) {
    m_AlarmListe.reset();
    m_Referenzen[1] = vData;
}
void AlarmAuswahl::setAlarmBilderListeReferenz(QObject* vData) {
    m_AlarmBilderListe.reset();
    m_Referenzen[2] = vData;
}
void AlarmAuswahl::setAktuellerAlarmReferenz(QObject* vData) {
    m_AktuellerAlarm.reset();
    m_Referenzen[3] = vData;
}

void AlarmAuswahl::setAktuellerAlarm(const AlarmRecord& vData) {
    m_AktuellerAlarm = vData;
    m_Referenzen[3] = nullptr;
    emit AlarmSelected();
}

void AlarmAuswahl::AuswahlHide() { Fenster()->Verbergen(); }

void AlarmAuswahl::AuswahlShow() {
    // An empty path counts as missing only outside the start without database;
    // a folder is no database file.
    const bool fehlt = m_AlarmDatenbank.isEmpty()
                           ? gStartOhneDB != WAHR
                           : !QFileInfo(QString::fromStdString(
                                            WinUmgebung::PfadAbbilden(m_AlarmDatenbank.toStdString())))
                                  .isFile();
    if (fehlt) {
        QWidget* owner = nullptr;
        Dialoge::aktuell().Meldung(owner, QStringLiteral("Verweis auf die Alarmdatenbank nicht vorhanden (") +
                                              m_AlarmDatenbank + QStringLiteral(")"));
        return;
    }
    frmAlarmAuswahl* f = Fenster();
    f->mgobjAlarmAuswahl = this;
    f->Anzeigen();
    QCoreApplication::processEvents();
}

bool AlarmAuswahl::ActuelleWerteEintragen(const QString& strDaten, const QString& strX, const QString& strY,
                                          const std::optional<QString>& strAlarmBild) {
    const qsizetype raute = strDaten.indexOf(QLatin1Char('#'));
    if (raute < 0)
        return false;
    const QString ident = strDaten.left(raute);
    const QString symbol = strDaten.mid(raute + 1);
    if (!m_AktuellerAlarm)
        return false;
    const bool geschrieben =
        AlarmdefsZugriff::PfeilSchreiben(m_AlarmDatenbank, ident, strAlarmBild, m_PfadErweiterung + symbol, strX, strY);
    if (geschrieben)
        Fenster()->AktuellenDatensatzZeigen();
    return geschrieben;
}
