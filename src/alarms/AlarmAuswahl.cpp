#include "alarms/AlarmAuswahl.h"

#include <algorithm>

#include "alarms/ServerMeldungen.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>
#include <QTimer>

#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Datenbankadresse.h"
#include "alarms/Serverdienst.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Dialoge.h"
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
        connect(m_Server.get(), &Serverdienst::ZeilenGemeldet, this, &AlarmAuswahl::ZeilenVomServer);
        connect(m_Server.get(), &Serverdienst::ZeilenNachgelesen, this, &AlarmAuswahl::ZeilenNachgelesen);
        connect(m_Server.get(), &Serverdienst::Zustand, this, [this](const QString& text) { emit StatusText(1, text); });
        connect(m_Server.get(), &Serverdienst::ErsteVerbindung, this, [this] {
            GezeigteNeuLesen();
            if (m_AktuellerAlarm)
                ZeilenVomServer({m_AktuellerAlarm->value(AlarmFeld::Ident)});
        });
        connect(m_Server.get(), &Serverdienst::WiederVerbunden, this, [this] {
            if (HatFenster())
                Fenster()->Neuverbinden();
            if (m_AktuellerAlarm)
                ZeilenVomServer({m_AktuellerAlarm->value(AlarmFeld::Ident)});
        });
        connect(m_Server.get(), &Serverdienst::MeldungenVerpasst, this, [this] {
            if (HatFenster())
                Fenster()->QuelleNeuLesen();
            if (m_AktuellerAlarm)
                ZeilenVomServer({m_AktuellerAlarm->value(AlarmFeld::Ident)});
        });
    }
    return m_Server.get();
}

void AlarmAuswahl::ZeilenVomServer(const QStringList& idents) {
    if (!m_Server || !m_Server->Verbunden())
        return;
    // The table was emptied or replaced by another program: every row shown is read again.
    if (idents.contains(QLatin1String(ServerMeldungen::Alle))) {
        if (HatFenster())
            Fenster()->QuelleNeuLesen();
        if (m_AktuellerAlarm && !idents.contains(m_AktuellerAlarm->value(AlarmFeld::Ident)))
            ZeilenVomServer({m_AktuellerAlarm->value(AlarmFeld::Ident)});
    }
    QList<qlonglong> nummern;
    for (const QString& ident : idents)
        if (const auto n = AlarmdefsZugriff::Alarmnummer(ident))
            nummern << *n;
    // The rows are read on the server's watcher; the grid reads its own.
    m_Server->Nachlesen(nummern);
    if (!nummern.isEmpty() && HatFenster())
        Fenster()->ZeilenNeuLesen(nummern);
}

void AlarmAuswahl::ZeilenNachgelesen(const QList<qlonglong>&, const QHash<qlonglong, AlarmListeTyp>& gelesen) {
    // Where several rows carry one number, the copies held that no row matches
    // any more take over the rows that no copy matches, in order.
    auto gehalten = [this](qlonglong n) {
        AlarmListeTyp h;
        const QString schluessel = QString::number(n);
        auto dazu = [&](const AlarmRecord& r) {
            if (AlarmRecordBau::NummernSchluessel(r.value(AlarmFeld::Ident)) == schluessel && !h.contains(r))
                h << r;
        };
        if (m_AktuellerAlarm)
            dazu(*m_AktuellerAlarm);
        if (m_AlarmListe)
            for (const AlarmRecord& r : *m_AlarmListe)
                dazu(r);
        return h;
    };
    QList<Zeilenstand> staende;
    for (auto it = gelesen.cbegin(); it != gelesen.cend(); ++it) {
        const QString ident = QString::number(it.key());
        if (it->size() == 1) {
            staende << Zeilenstand{ident, it->first(), {}};
            continue;
        }
        AlarmListeTyp alt = gehalten(it.key()), neu;
        for (const AlarmRecord& z : *it)
            if (!alt.removeOne(z))
                neu << z;
        for (int i = 0; i < std::min(alt.size(), neu.size()); ++i)
            staende << Zeilenstand{ident, neu.at(i), alt.at(i)};
    }
    Melden(staende);
}

frmAlarmAuswahl* AlarmAuswahl::Fenster() {
    if (!m_Fenster) {
        m_Fenster = new frmAlarmAuswahl();
        // The window speaks to the main window through the component, which the shell connects.
        connect(m_Fenster, &frmAlarmAuswahl::StatusText, this, &AlarmAuswahl::StatusText);
        connect(m_Fenster, &frmAlarmAuswahl::StatusMeldung, this, &AlarmAuswahl::StatusMeldung);
        connect(m_Fenster, &frmAlarmAuswahl::AuswahlGescheitert, this, &AlarmAuswahl::AuswahlGescheitert);
        connect(m_Fenster, &frmAlarmAuswahl::BildfensterZeigen, this, &AlarmAuswahl::BildfensterZeigen);
        connect(m_Fenster, &frmAlarmAuswahl::Aktiv, this, &AlarmAuswahl::FensterAktiv);
        connect(m_Fenster, &frmAlarmAuswahl::WahlBegonnen, this, &AlarmAuswahl::WahlBegonnen);
        connect(m_Fenster, &frmAlarmAuswahl::KindFensterGewuenscht, this, &AlarmAuswahl::KindFensterGewuenscht);
    }
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
    // On a server the check whether it answers runs from now on; the
    // connections that write and listen follow the grid's first rows.
    Serverdienst* d = Server();
    if (d)
        d->Wachen();
    frmAlarmAuswahl* f = Fenster();
    f->mgobjAlarmAuswahl = this;
    f->Anzeigen();
    if (d)
        NachErstenZeilenAnstossen(d);
}

void AlarmAuswahl::NachErstenZeilenAnstossen(Serverdienst* d) {
    // The connections are opened off the window's thread once the grid shows
    // its first rows, so they do not compete with that first read; what is
    // shown is read again once it listens (ErsteVerbindung). A grid whose rows
    // do not come (a table held by another client, a slow or unusable table)
    // holds them up no longer than ErsteZeilenHoechstensMs.
    AlarmdefsModell* m = HatFenster() ? Fenster()->dbAlarme : nullptr;
    if (!m || m->ErsteZeilenDa() || d->Verbunden()) {
        d->Anstossen();
        return;
    }
    auto* warten = new QObject(this);
    auto anstossen = [warten, dienst = QPointer<Serverdienst>(d)] {
        if (dienst)
            dienst->Anstossen();
        warten->deleteLater();
    };
    connect(m, &AlarmdefsModell::ErsteZeilen, warten, anstossen);
    connect(m, &AlarmdefsModell::Unbrauchbar, warten, anstossen);
    connect(m, &AlarmdefsModell::QuelleAbgelehnt, warten, anstossen);
    connect(m, &QObject::destroyed, warten, anstossen);
    QTimer::singleShot(ErsteZeilenHoechstensMs, warten, anstossen);
}

void AlarmAuswahl::GezeigteNeuLesen() {
    if (!HatFenster())
        return;
    AlarmdefsModell* m = Fenster()->dbAlarme;
    if (!m || m->ErsteZeilenDa()) {
        Fenster()->AktuellenDatensatzZeigen();
        return;
    }
    // Rows still on their way may have been read before this client listened.
    auto* warten = new QObject(this);
    auto lesen = [this, warten] {
        warten->deleteLater();
        if (HatFenster())
            Fenster()->AktuellenDatensatzZeigen();
    };
    connect(m, &AlarmdefsModell::ErsteZeilen, warten, lesen, Qt::QueuedConnection);
    connect(m, &QObject::destroyed, warten, [warten] { warten->deleteLater(); });
}

namespace {
bool GleicheNummer(const QString& a, const QString& b) {
    return AlarmRecordBau::NummernSchluessel(a) == AlarmRecordBau::NummernSchluessel(b);
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
    Schreibergebnis ablehnung;
    if (const auto a = PfeilAuftrag(strDaten, strX, strY, strAlarmBild, gelesen, &ablehnung))
        return ZeileSchreiben(*a, beschreibung);
    if (!ablehnung.text.isEmpty())
        return ablehnung;
    return std::nullopt;
}

std::optional<Schreibauftrag> AlarmAuswahl::PfeilAuftrag(const QString& strDaten, const QString& strX,
                                                         const QString& strY,
                                                         const std::optional<QString>& strAlarmBild,
                                                         const std::optional<AlarmRecord>& gelesen,
                                                         Schreibergebnis* ablehnung) const {
    const qsizetype raute = strDaten.indexOf(QLatin1Char('#'));
    if (raute < 0)
        return std::nullopt;
    const QString ident = strDaten.left(raute);
    const QString symbol = strDaten.mid(raute + 1);
    if (!m_AktuellerAlarm)
        return std::nullopt;
    // A position given as the row holds it is kept as it stands: not written, so
    // a click without a move changes nothing (nor rounds "120,5").
    const bool lageBleibt = gelesen && strX == gelesen->value(AlarmFeld::X) && strY == gelesen->value(AlarmFeld::Y);
    const auto x = lageBleibt ? std::optional<QVariant>(QVariant()) : AlarmdefsZugriff::Position(strX);
    const auto y = lageBleibt ? std::optional<QVariant>(QVariant()) : AlarmdefsZugriff::Position(strY);
    if (!x || !y) {
        if (ablehnung)
            *ablehnung = Schreibergebnis::Abgelehnt(
                QStringLiteral("Ungültige Position X = %1 Y = %2; nichts wurde geschrieben.").arg(strX, strY));
        return std::nullopt;
    }
    Schreibauftrag a;
    a.ident = ident;
    if (strAlarmBild) {
        a.spalten << AlarmFeld::Form;
        a.werte << *strAlarmBild;
    }
    // A symbol without a file name is no symbol: the row keeps none rather than a bare folder.
    a.spalten << AlarmFeld::Symbol;
    a.werte << (symbol.isEmpty() ? QVariant() : QVariant(m_PfadErweiterung + symbol));
    if (!lageBleibt) {
        a.spalten << AlarmFeld::X << AlarmFeld::Y;
        a.werte << *x << *y;
    }
    a.gelesen = gelesen;
    return a;
}

Datendienst* AlarmAuswahl::Dienst() const {
    return m_Fenster && m_Fenster->dbAlarme ? m_Fenster->dbAlarme->Dienst() : nullptr;
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
    SammelergebnisMelden(s, beschreibung);
    return s;
}

QList<Zeilenstand> AlarmAuswahl::StaendeNach(const Sammelergebnis& s) {
    QList<Zeilenstand> staende;
    if (!s.geschrieben)
        return staende;
    staende.reserve(s.zeilen.size());
    for (const Schreibergebnis& e : s.zeilen)
        if (auto stand = StandNach(e))
            staende << std::move(*stand);
    return staende;
}

void AlarmAuswahl::SammelergebnisMelden(const Sammelergebnis& s, const QString& beschreibung) {
    SammelergebnisMelden(s, beschreibung, StaendeNach(s));
}

void AlarmAuswahl::SammelergebnisMelden(const Sammelergebnis& s, const QString& beschreibung,
                                        const QList<Zeilenstand>& staende) {
    if (s.geschrieben) {
        Melden(staende);
        emit Geschrieben(s.zeilen, beschreibung);
        GridNachSchreiben(s.zeilen);
    } else {
        // the row someone else changed shows what it holds now
        if (s.abgelehnt >= 0)
            if (auto stand = StandNach(s.zeilen.at(s.abgelehnt)))
                Melden({*stand});
        GridNachSchreiben({});
    }
}

void AlarmAuswahl::GridNachSchreiben(const QList<Schreibergebnis>& zeilen) {
    // The grid shows what the file holds now, also after a refusal. A changed
    // alarm number may have moved its row to another key: the grid follows it.
    for (const Schreibergebnis& e : zeilen) {
        const qsizetype i = e.spalten.indexOf(AlarmFeld::Ident);
        if (e.geschrieben() && i >= 0)
            Fenster()->NummerGewechselt(e.vorher.value(i).toLongLong(), e.nachher.value(i).toLongLong());
    }
    Fenster()->AktuellenDatensatzZeigen();
}

std::optional<Zeilenstand> AlarmAuswahl::StandNach(const Schreibergebnis& e) {
    if (e.art != Schreibergebnis::Art::Geschrieben && e.art != Schreibergebnis::Art::Geaendert)
        return std::nullopt;
    if (e.gleicheNummern <= 1)
        return Zeilenstand{e.ident, e.zeile, {}};
    // Of several rows with this number only the copies of the written one change.
    if (e.art != Schreibergebnis::Art::Geschrieben)
        return std::nullopt;
    AlarmRecord alt = e.zeile;
    for (int i = 0; i < e.spalten.size(); ++i)
        alt[e.spalten.at(i)] = AlarmRecordBau::FeldText(e.spalten.at(i), e.vorher.value(i));
    return Zeilenstand{e.ident, e.zeile, alt};
}

void AlarmAuswahl::Melden(const QList<Zeilenstand>& staende) {
    if (staende.isEmpty())
        return;
    StandAbgleichen(staende);
    emit ZeilenGeaendert(staende);
}

void AlarmAuswahl::ErgebnisMelden(const Schreibauftrag&, const Schreibergebnis& e, const QString& beschreibung) {
    if (auto stand = StandNach(e))
        Melden({*stand});
    if (e.geschrieben())
        emit Geschrieben({e}, beschreibung);
    GridNachSchreiben({e});
}

namespace {
// Where alarms held here stand, by the number key of their alarm numbers: a
// whole number (nearly always) without a new string, else its text key.
struct Nummernstellen {
    QHash<qlonglong, QList<qsizetype>> zahlen;
    QHash<QString, QList<qsizetype>> texte;
    static bool Zahl(const QString& ident, qlonglong* n) {
        bool ok = false;
        *n = QStringView(ident).trimmed().toLongLong(&ok);
        return ok;
    }
    void Aufnehmen(const QString& ident, qsizetype stelle) {
        qlonglong n = 0;
        if (Zahl(ident, &n))
            zahlen[n] << stelle;
        else
            texte[AlarmRecordBau::NummernSchluessel(ident)] << stelle;
    }
    const QList<qsizetype>* Finden(const QString& ident) const {
        qlonglong n = 0;
        if (Zahl(ident, &n)) {
            const auto it = zahlen.constFind(n);
            return it == zahlen.constEnd() ? nullptr : &*it;
        }
        if (texte.isEmpty())
            return nullptr;
        const auto it = texte.constFind(AlarmRecordBau::NummernSchluessel(ident));
        return it == texte.constEnd() ? nullptr : &*it;
    }
};
}  // namespace

void AlarmAuswahl::StandAbgleichen(const QList<Zeilenstand>& alle) {
    // A pick still waiting for its list takes the row's new values too, so its
    // first drag is checked against what the row holds now.
    if (m_Fenster)
        m_Fenster->WahlAbgleichen(alle);
    // Only the alarms held here are matched and changed: of a take-over of a
    // hundred thousand the picked picture holds a few. The held ones are
    // indexed once (-1: the picked alarm), each written row looks its number
    // up once, and only the records found are touched.
    Nummernstellen hier;
    if (m_AktuellerAlarm)
        hier.Aufnehmen(m_AktuellerAlarm->value(AlarmFeld::Ident), -1);
    if (m_AlarmListe) {
        hier.zahlen.reserve(m_AlarmListe->size());
        for (qsizetype i = 0; i < m_AlarmListe->size(); ++i)
            hier.Aufnehmen(m_AlarmListe->at(i).value(AlarmFeld::Ident), i);
    }
    QList<Zeilenstand> staende;
    QList<qsizetype> stellen;
    for (const Zeilenstand& s : alle)
        if (const QList<qsizetype>* st = hier.Finden(s.ident)) {
            staende << s;
            stellen << *st;
        }
    if (staende.isEmpty())
        return;
    std::sort(stellen.begin(), stellen.end());
    stellen.erase(std::unique(stellen.begin(), stellen.end()), stellen.end());
    const auto nachNummer = Zeilenstand::NachNummer(staende);
    QList<qsizetype> weg;
    for (qsizetype i : std::as_const(stellen)) {
        if (i < 0) {
            Zeilenstand::Anwenden(staende, nachNummer, *m_AktuellerAlarm);
            continue;
        }
        AlarmRecord& r = (*m_AlarmListe)[i];
        const QString form = r.value(AlarmFeld::Form);
        // An alarm moved to another picture is no longer one of this picture's alarms.
        if (Zeilenstand::Anwenden(staende, nachNummer, r) && r.value(AlarmFeld::Form) != form)
            weg << i;
    }
    if (weg.isEmpty())
        return;
    AlarmListeTyp& liste = *m_AlarmListe;
    qsizetype behalten = 0, naechste = 0;
    for (qsizetype i = 0; i < liste.size(); ++i) {
        if (naechste < weg.size() && weg.at(naechste) == i) {
            ++naechste;
            continue;
        }
        if (behalten != i)
            liste[behalten] = std::move(liste[i]);
        ++behalten;
    }
    liste.resize(behalten);
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
