#include "alarms/AlarmAuswahl.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Datenbankadresse.h"
#include "alarms/Serverdienst.h"
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

Serverdienst* AlarmAuswahl::Server() {
    // The address is looked at once per database, not at every write.
    if (m_Server && m_ServerFuer == m_AlarmDatenbank)
        return m_Server.get();
    if (m_KeinServerFuer == m_AlarmDatenbank && !m_AlarmDatenbank.isNull())
        return nullptr;
    if (!Datenbankadresse(m_AlarmDatenbank).IstServer()) {
        m_KeinServerFuer = m_AlarmDatenbank;
        m_Server.reset();
        return nullptr;
    }
    if (!m_Server || m_ServerFuer != m_AlarmDatenbank) {
        m_Server = std::make_unique<Serverdienst>(m_AlarmDatenbank);
        m_ServerFuer = m_AlarmDatenbank;
        connect(m_Server.get(), &Serverdienst::ZeileGemeldet, this, &AlarmAuswahl::ZeileVomServer);
        connect(m_Server.get(), &Serverdienst::Zustand, this, [](const QString& text) {
            if (Hauptfenster* h = Hauptfenster::instanz())
                h->StatusText(1, text);
        });
        connect(m_Server.get(), &Serverdienst::WiederVerbunden, this, [this] {
            if (HatFenster())
                Fenster()->Neuverbinden();
            if (m_AktuellerAlarm)
                ZeileVomServer(m_AktuellerAlarm->value(AlarmFeld::Ident));
        });
    }
    return m_Server.get();
}

void AlarmAuswahl::ZeileVomServer(const QString& ident) {
    const auto nummer = AlarmdefsZugriff::Alarmnummer(ident);
    if (!nummer || !m_Server || !m_Server->Verbunden())
        return;
    const AlarmListeTyp zeilen = AlarmdefsZugriff::ZeilenLesen(m_Server->Verbindung(), *nummer);
    if (zeilen.isEmpty())
        return;
    StandAbgleichen(ident, zeilen.first());
    emit ZeileGeaendert(ident, zeilen.first());
    if (HatFenster())
        Fenster()->ZeileNeuLesen(*nummer);
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
    // A server's address is looked at when the window opens the database.
    const bool fehlt = m_AlarmDatenbank.isEmpty()
                           ? gStartOhneDB != WAHR
                           : !Datenbankadresse::IstUri(m_AlarmDatenbank) &&
                                 !QFileInfo(QString::fromStdString(
                                                WinUmgebung::PfadAbbilden(m_AlarmDatenbank.toStdString())))
                                      .isFile();
    if (fehlt) {
        QWidget* owner = nullptr;
        Dialoge::aktuell().Meldung(owner, QStringLiteral("Verweis auf die Alarmdatenbank nicht vorhanden (") +
                                              m_AlarmDatenbank + QStringLiteral(")"));
        return;
    }
    // On a server this client listens for the other clients' writes from now on.
    if (Serverdienst* d = Server())
        d->Verbinden();
    frmAlarmAuswahl* f = Fenster();
    f->mgobjAlarmAuswahl = this;
    f->Anzeigen();
    QCoreApplication::processEvents();
}

namespace {
bool GleicheNummer(const QString& a, const QString& b) {
    bool okA = false, okB = false;
    const qlonglong x = a.trimmed().toLongLong(&okA);
    const qlonglong y = b.trimmed().toLongLong(&okB);
    return okA && okB ? x == y : a.trimmed() == b.trimmed();
}
}  // namespace

bool AlarmAuswahl::ActuelleWerteEintragen(const QString& strDaten, const QString& strX, const QString& strY,
                                          const std::optional<QString>& strAlarmBild) {
    const qsizetype raute = strDaten.indexOf(QLatin1Char('#'));
    const auto e = PfeilEintragen(strDaten, strX, strY, strAlarmBild,
                                  raute < 0 ? std::nullopt : GelesenFuer(strDaten.left(raute)), QString());
    if (!e)
        return false;
    if (e->art == Schreibergebnis::Art::Abgelehnt)
        throw AlarmdefsFehler(e->text, e->detail);
    return e->geschrieben();
}

std::optional<Schreibergebnis> AlarmAuswahl::PfeilEintragen(const QString& strDaten, const QString& strX,
                                                            const QString& strY,
                                                            const std::optional<QString>& strAlarmBild,
                                                            const std::optional<AlarmRecord>& gelesen,
                                                            const QString& beschreibung) {
    const qsizetype raute = strDaten.indexOf(QLatin1Char('#'));
    if (raute < 0)
        return std::nullopt;
    const QString ident = strDaten.left(raute);
    const QString symbol = strDaten.mid(raute + 1);
    if (!m_AktuellerAlarm)
        return std::nullopt;
    const auto x = AlarmdefsZugriff::Position(strX);
    const auto y = AlarmdefsZugriff::Position(strY);
    if (!x || !y) {
        Schreibergebnis e;
        e.text = QStringLiteral("Ungültige Position X = %1 Y = %2; nichts wurde geschrieben.").arg(strX, strY);
        return e;
    }
    Schreibauftrag a;
    a.ident = ident;
    if (strAlarmBild) {
        a.spalten << AlarmFeld::Form;
        a.werte << *strAlarmBild;
    }
    // A symbol without a file name is no symbol: the row keeps none rather than a bare folder.
    a.spalten << AlarmFeld::Symbol << AlarmFeld::X << AlarmFeld::Y;
    a.werte << (symbol.isEmpty() ? QVariant() : QVariant(m_PfadErweiterung + symbol)) << *x << *y;
    a.gelesen = gelesen;
    return ZeileSchreiben(a, beschreibung);
}

Schreibergebnis AlarmAuswahl::ZeileSchreiben(const Schreibauftrag& auftrag, const QString& beschreibung) {
    Schreibergebnis e;
    // A server is written through the kept connection, which also tells the other clients.
    if (Serverdienst* d = Server()) {
        QString grund, detail;
        if (d->Verbinden(&grund, &detail)) {
            e = d->Schreiber().Einzeln(auftrag);
            if (e.art == Schreibergebnis::Art::Abgelehnt)
                d->NachFehler();
        } else {
            e.text = grund + QStringLiteral(" Nichts wurde geschrieben.");
            e.detail = detail;
        }
    } else {
        e = AlarmdefsZugriff::Schreiben(m_AlarmDatenbank, auftrag);
    }
    ErgebnisMelden(auftrag, e, beschreibung);
    return e;
}

Sammelergebnis AlarmAuswahl::ZeilenSchreiben(const QList<Schreibauftrag>& auftraege, const QString& beschreibung) {
    Sammelergebnis s;
    if (Serverdienst* d = Server()) {
        QString grund, detail;
        if (d->Verbinden(&grund, &detail)) {
            s = d->Schreiber().Alle(auftraege);
            if (!s.geschrieben && (s.abgelehnt < 0 || s.zeilen.at(s.abgelehnt).art == Schreibergebnis::Art::Abgelehnt))
                d->NachFehler();
        } else {
            s.text = grund + QStringLiteral(" Nichts wurde geschrieben.");
            s.detail = detail;
        }
    } else {
        s = AlarmdefsZugriff::SchreibenAlle(m_AlarmDatenbank, auftraege);
    }
    if (s.geschrieben) {
        for (int i = 0; i < s.zeilen.size(); ++i)
            ZeileMelden(auftraege.at(i).ident, s.zeilen.at(i));
        emit Geschrieben(s.zeilen, beschreibung);
        Fenster()->AktuellenDatensatzZeigen();
    } else if (s.abgelehnt >= 0 && s.zeilen.at(s.abgelehnt).art == Schreibergebnis::Art::Geaendert) {
        // the row someone else changed shows what it holds now
        ZeileMelden(auftraege.at(s.abgelehnt).ident, s.zeilen.at(s.abgelehnt));
    }
    return s;
}

void AlarmAuswahl::ZeileMelden(const QString& ident, const Schreibergebnis& e) {
    if (e.art != Schreibergebnis::Art::Geschrieben && e.art != Schreibergebnis::Art::Geaendert)
        return;
    StandAbgleichen(ident, e.zeile);
    emit ZeileGeaendert(ident, e.zeile);
}

void AlarmAuswahl::ErgebnisMelden(const Schreibauftrag& auftrag, const Schreibergebnis& e, const QString& beschreibung) {
    ZeileMelden(auftrag.ident, e);
    if (!e.geschrieben())
        return;
    emit Geschrieben({e}, beschreibung);
    // the grid shows the row's new values
    Fenster()->AktuellenDatensatzZeigen();
}

void AlarmAuswahl::StandAbgleichen(const QString& ident, const AlarmRecord& zeile) {
    if (m_AktuellerAlarm && GleicheNummer(m_AktuellerAlarm->value(AlarmFeld::Ident), ident))
        m_AktuellerAlarm = zeile;
    if (!m_AlarmListe)
        return;
    for (qsizetype i = m_AlarmListe->size() - 1; i >= 0; --i) {
        AlarmRecord& r = (*m_AlarmListe)[i];
        if (!GleicheNummer(r.value(AlarmFeld::Ident), ident))
            continue;
        // An alarm moved to another picture is no longer one of this picture's alarms.
        if (r.value(AlarmFeld::Form) != zeile.value(AlarmFeld::Form))
            m_AlarmListe->removeAt(i);
        else
            r = zeile;
    }
}

std::optional<AlarmRecord> AlarmAuswahl::GelesenFuer(const QString& ident) const {
    if (m_AktuellerAlarm && GleicheNummer(m_AktuellerAlarm->value(AlarmFeld::Ident), ident))
        return m_AktuellerAlarm;
    if (m_AlarmListe)
        for (const AlarmRecord& r : *m_AlarmListe)
            if (GleicheNummer(r.value(AlarmFeld::Ident), ident))
                return r;
    return std::nullopt;
}
