#include "alarms/OdbcZeilen.h"

#include <QDeadlineTimer>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "alarms/DatenbankFehler.h"
#include "alarms/Freigabe.h"

OdbcZeilen::OdbcZeilen(Datendienst* dienst, const QSqlDatabase& db, const QString& sDatenbank, QObject* parent)
    : QObject(parent), m_dienst(dienst), m_db(db), m_datenbank(sDatenbank) {
    connect(m_dienst, &Datendienst::Beantwortet, this, &OdbcZeilen::Beantwortet);
    connect(m_dienst, &Datendienst::TeilGelesen, this, &OdbcZeilen::TeilGelesen);
}

QString OdbcZeilen::Spalte(const QString& name) const { return AlarmdefsZugriff::SpaltenName(m_db, name); }

bool OdbcZeilen::Anwenden(const QString& filter, int sortSpalte, Qt::SortOrder ordnung) {
    Anfrage an;
    an.zweck = Zweck::Durchlesen;
    an.gefiltert = !filter.isEmpty();
    an.sql = QStringLiteral("select %1 from %2").arg(AlarmdefsZugriff::SpaltenListe(m_db), AlarmdefsZugriff::Tabelle(m_db));
    if (!filter.isEmpty())
        an.sql += QStringLiteral(" where ") + filter;
    if (sortSpalte >= 0)
        an.sql += QStringLiteral(" order by ") + Spalte(AlarmRecordBau::SpaltenNamen().at(sortSpalte)) +
                  (ordnung == Qt::DescendingOrder ? QStringLiteral(" desc") : QString());
    return Lesen(an);
}

bool OdbcZeilen::Lesen(const Anfrage& neu) {
    // A newer source wins: the one still being read is given up; its rows shown stay until the new one's come.
    for (Datendienst::Ticket* t : {&m_quellTicket, &m_weiterTicket, &m_frischTicket}) {
        if (!*t)
            continue;
        m_dienst->Abbrechen(*t);
        m_anfragen.remove(*t);
        // Rows read on the worker: let go there (see Freigabe).
        Freigabe::ImHintergrund(m_dienst->TeileNehmen(*t));
        *t = 0;
    }
    Freigabe::ImHintergrund(std::exchange(m_frisch, {}));
    m_frischNochmal = false;
    Anfrage an = neu;
    an.generation = m_generation;
    m_quellTicket = m_dienst->Durchlesen(an.sql, ErsterTeil, Teil);
    m_anfragen.insert(m_quellTicket, an);
    // A source that is read within a frame is shown before this returns; a
    // large one shows its first rows when they come.
    if (m_kalt)
        return true;
    const Datendienst::Ticket t = m_quellTicket;
    if (const auto a = m_dienst->Abwarten(t, Datendienst::HoechstensWartenMs)) {
        m_anfragen.remove(t);
        return Erhalten(*a, an, false);
    }
    return true;
}

void OdbcZeilen::Beantwortet(const Datendienst::Antwort& a) {
    const auto it = m_anfragen.constFind(a.ticket);
    if (it == m_anfragen.constEnd())
        return;  // stale, or not asked here
    const Anfrage an = *it;
    m_anfragen.erase(it);
    switch (an.zweck) {
    case Zweck::Durchlesen: Erhalten(a, an, true); break;
    case Zweck::Nachlesen: Nachgelesen(a, an); break;
    case Zweck::Vorhanden: VorhandenErhalten(a, an); break;
    case Zweck::Auffrischen: Aufgefrischt(a, an); break;
    }
}

void OdbcZeilen::TeilGelesen(Datendienst::Ticket ticket) {
    const auto it = m_anfragen.constFind(ticket);
    if (it == m_anfragen.constEnd())
        return;  // given up: its rows go with its answer
    if (ticket == m_frischTicket) {
        m_frisch += m_dienst->TeileNehmen(ticket);
        return;
    }
    if (ticket != m_quellTicket && ticket != m_weiterTicket)
        return;
    const Anfrage an = *it;
    Anhaengen(m_dienst->TeileNehmen(ticket), ticket, an, true);
}

void OdbcZeilen::Anhaengen(const QVector<QVector<QVariant>>& zeilen, Datendienst::Ticket ticket, const Anfrage& an,
                           bool spaet) {
    auto anhaengen = [this](const QVector<QVariant>& werte) {
        Zeile z;
        z.schluessel = ++m_naechster;
        z.werte = werte;
        z.werte.resize(AlarmFeld::Spalten);
        m_zeilen.append(std::move(z));
    };
    if (ticket == m_quellTicket) {
        // The first rows of a new source replace the rows shown before.
        emit VorErsetzen();
        // The rows of before are freed on the worker: a hundred thousand take longer than a frame.
        if (!m_zeilen.isEmpty())
            m_dienst->Rechnen([alt = std::make_shared<QVector<Zeile>>(std::exchange(m_zeilen, {}))]() mutable {
                alt.reset();
                return QVariant();
            });
        ++m_generation;
        m_gewaehlt = true;
        m_gefiltert = an.gefiltert;
        m_gezeigt = an;
        m_vollstaendig = false;
        m_quellTicket = 0;
        m_weiterTicket = ticket;
        m_kalt = false;
        m_fehler = QSqlError();
        m_zeilen.reserve(zeilen.size());
        for (const QVector<QVariant>& werte : zeilen)
            anhaengen(werte);
        emit Ersetzt(spaet);
    } else if (!zeilen.isEmpty()) {
        const int von = Anzahl();
        emit VorAnhaengen(von, von + static_cast<int>(zeilen.size()) - 1);
        for (const QVector<QVariant>& werte : zeilen)
            anhaengen(werte);
        emit Angehaengt();
    }
    GesuchtWeiter();
}

bool OdbcZeilen::Erhalten(const Datendienst::Antwort& a, const Anfrage& an, bool spaet) {
    const Datendienst::Ticket t = a.ticket;
    if ((t != m_quellTicket && t != m_weiterTicket) || a.abgebrochen)
        return true;  // a newer source was asked for meanwhile
    if (!a.ok) {
        const bool begonnen = t == m_weiterTicket;
        (begonnen ? m_weiterTicket : m_quellTicket) = 0;
        if (!begonnen && m_gewaehlt) {
            // Another source refused: the rows of before stay.
            m_fehler = a.fehler;
            emit Abgelehnt(spaet);
            GesuchtWeiter();
            return false;
        }
        // The first source, or one read in part (a lock): the rows read stay,
        // and the source is read again a moment later.
        if (!m_aufgehalten) {
            m_aufgehalten = true;
            emit Unvollstaendig(QStringLiteral("Die Alarmliste ist unvollständig (%1 gelesen): %2 Es wird weiter gelesen.")
                                    .arg(Anzahltext::Zeilen(Anzahl()))
                                    .arg(DatenbankFehler::Deuten(a.fehler, m_datenbank).text));
        }
        QTimer::singleShot(NachlesenNachMs, this, [this, an, g = m_generation] {
            if (g == m_generation && !m_quellTicket && !m_weiterTicket)
                Lesen(an);
        });
        return true;
    }
    Anhaengen(a.zeilen, t, an, spaet);
    m_weiterTicket = 0;
    m_vollstaendig = true;
    if (m_aufgehalten) {
        m_aufgehalten = false;
        emit Vollstaendig(Anzahl());
    }
    GesuchtWeiter();
    if (m_frischNochmal) {
        m_frischNochmal = false;
        Auffrischen();
    }
    return true;
}

int OdbcZeilen::ZeileMitSchluessel(qint64 schluessel) const {
    // The keys grow in the order the rows came.
    const auto it = std::lower_bound(m_zeilen.cbegin(), m_zeilen.cend(), schluessel,
                                     [](const Zeile& z, qint64 s) { return z.schluessel < s; });
    return it != m_zeilen.cend() && it->schluessel == schluessel ? static_cast<int>(it - m_zeilen.cbegin()) : -1;
}

std::optional<qlonglong> OdbcZeilen::Nummer(int zeile) const {
    if (zeile < 0 || zeile >= m_zeilen.size())
        return std::nullopt;
    const QVariant& wert = m_zeilen.at(zeile).werte.at(AlarmFeld::Ident);
    if (wert.typeId() == QMetaType::LongLong || wert.typeId() == QMetaType::Int)
        return wert.toLongLong();
    return AlarmdefsZugriff::Alarmnummer(wert.toString());
}

int OdbcZeilen::SuchenAb(qlonglong ident, int ab) const {
    for (int r = std::max(ab, 0); r < Anzahl(); ++r)
        if (Nummer(r) == ident)
            return r;
    return -1;
}

void OdbcZeilen::Suchen(qlonglong ident, int warteMs) {
    if (m_gesucht && m_gesucht->ticket)
        m_anfragen.remove(m_gesucht->ticket);
    m_gesucht = Gesucht{ident, 0, 0};
    const quint64 suche = ++m_suche;
    const QDeadlineTimer frist(std::max(warteMs, 0));
    GesuchtWeiter();
    // As long as the caller waits: the rest of the source, then whether the table holds the number.
    while (warteMs > 0 && m_gesucht && suche == m_suche && !frist.hasExpired()) {
        const Datendienst::Ticket t = m_gesucht->ticket ? m_gesucht->ticket : m_quellTicket ? m_quellTicket : m_weiterTicket;
        if (!t)
            break;
        const auto a = m_dienst->Abwarten(t, static_cast<int>(frist.remainingTime()));
        if (!a)
            break;
        Beantwortet(*a);
    }
}

void OdbcZeilen::GesuchtWeiter() {
    if (!m_gesucht || m_gesucht->ticket || m_quellTicket)
        return;  // still on its way, or the source it is looked for in
    const qlonglong ident = m_gesucht->ident;
    const int r = SuchenAb(ident, static_cast<int>(m_gesucht->durchsucht));
    if (r >= 0) {
        m_gesucht.reset();
        emit ZeileGefunden(ident, r, true, m_zeilen.at(r).werte.at(AlarmFeld::Form).toString());
        return;
    }
    m_gesucht->durchsucht = Anzahl();
    if (!m_vollstaendig)
        return;  // looked for again in the next rows
    if (!m_gefiltert) {
        m_gesucht.reset();
        emit ZeileGefunden(ident, -1, false, QString());
        return;
    }
    // Not in this source: whether the table holds the number, and the picture of its first row.
    Anfrage an;
    an.zweck = Zweck::Vorhanden;
    an.ident = ident;
    const QString sql = QStringLiteral("select %1 from %2 where %3 = ?")
                            .arg(Spalte(QStringLiteral("Form")), AlarmdefsZugriff::Tabelle(m_db), Spalte(QStringLiteral("Ident")));
    m_gesucht->ticket = m_dienst->ZeilenLesen(sql, {ident});
    m_anfragen.insert(m_gesucht->ticket, an);
}

void OdbcZeilen::VorhandenErhalten(const Datendienst::Antwort& a, const Anfrage& an) {
    if (!m_gesucht || m_gesucht->ticket != a.ticket)
        return;  // a newer request replaced it
    m_gesucht.reset();
    if (a.abgebrochen)
        return;
    const bool vorhanden = a.ok && !a.zeilen.isEmpty();
    emit ZeileGefunden(an.ident, -1, vorhanden, vorhanden ? a.zeilen.first().value(0).toString() : QString());
}

void OdbcZeilen::Geschrieben(int zeile, const QList<int>& spalten, const QVariantList& werte, bool geschrieben) {
    // The row shows what was written at once, and what the table holds when
    // it has been read again by its number (its new one, if that was written).
    if (zeile < 0 || zeile >= m_zeilen.size())
        return;
    if (geschrieben)
        for (qsizetype j = 0; j < spalten.size(); ++j)
            m_zeilen[zeile].werte[spalten.at(j)] = werte.value(j);
    Nachlesen({zeile});
}

void OdbcZeilen::NummerGewechselt(qlonglong alt, qlonglong neu) {
    // The one row held under the old number shows the new one; several are read anew with the source.
    QVector<int> mit;
    for (int r = 0; r < Anzahl(); ++r)
        if (Nummer(r) == alt)
            mit << r;
    if (mit.size() == 1)
        m_zeilen[mit.first()].werte[AlarmFeld::Ident] = neu;
    Nachlesen(mit);
}

void OdbcZeilen::NummernNachlesen(const QSet<qlonglong>& nummern) {
    QVector<int> positionen;
    for (int r = 0; r < Anzahl(); ++r)
        if (const auto n = Nummer(r); n && nummern.contains(*n))
            positionen << r;
    Nachlesen(positionen);
}

void OdbcZeilen::Nachlesen(const QVector<int>& positionen) {
    // Rows of one number go into the same request, so a number asked for by two rows is seen as such.
    QHash<qlonglong, QVector<int>> nachNummer;
    QList<qlonglong> reihe;
    for (int p : positionen)
        if (const auto n = Nummer(p)) {
            if (!nachNummer.contains(*n))
                reihe << *n;
            nachNummer[*n] << p;
        }
    // In parts: Access takes a statement of limited length. The window waits
    // a frame for all of them together; the rest fill in when they come.
    constexpr qsizetype Teil = 500;
    const QDeadlineTimer frist(Datendienst::HoechstensWartenMs);
    for (qsizetype von = 0; von < reihe.size(); von += Teil) {
        Anfrage an;
        an.zweck = Zweck::Nachlesen;
        an.generation = m_generation;
        QStringList liste;
        for (qlonglong n : reihe.mid(von, Teil)) {
            liste << QString::number(n);
            for (int p : nachNummer.value(n)) {
                an.positionen << p;
                an.schluessel << m_zeilen.at(p).schluessel;
                an.nummern << n;
            }
        }
        const QString sql = QStringLiteral("select %1 from %2 where %3 in (%4)")
                                .arg(AlarmdefsZugriff::SpaltenListe(m_db), AlarmdefsZugriff::Tabelle(m_db),
                                     Spalte(QStringLiteral("Ident")), liste.join(QLatin1Char(',')));
        const Datendienst::Ticket t = m_dienst->ZeilenLesen(sql);
        m_anfragen.insert(t, an);
        if (frist.hasExpired())
            continue;
        if (const auto a = m_dienst->Abwarten(t, static_cast<int>(frist.remainingTime()))) {
            m_anfragen.remove(t);
            Nachgelesen(*a, an);
        }
    }
}

void OdbcZeilen::Nachgelesen(const Datendienst::Antwort& a, const Anfrage& an) {
    if (!a.ok || an.generation != m_generation)
        return;
    // A number the table holds once, asked for by one row here: that row is it.
    QHash<qlonglong, QList<qsizetype>> gelesen;
    for (qsizetype i = 0; i < a.zeilen.size(); ++i) {
        const QVariant& wert = a.zeilen.at(i).value(AlarmFeld::Ident);
        const auto n = wert.typeId() == QMetaType::LongLong || wert.typeId() == QMetaType::Int
                           ? std::optional<qlonglong>(wert.toLongLong())
                           : AlarmdefsZugriff::Alarmnummer(wert.toString());
        if (n)
            gelesen[*n] << i;
    }
    QHash<qlonglong, int> gefragt;
    for (qlonglong n : an.nummern)
        ++gefragt[n];
    bool geteilt = false;
    for (qsizetype i = 0; i < an.positionen.size(); ++i) {
        const int r = an.positionen.at(i);
        const qlonglong n = an.nummern.at(i);
        if (r >= Anzahl() || m_zeilen.at(r).schluessel != an.schluessel.at(i))
            continue;
        if (gelesen.value(n).size() != 1 || gefragt.value(n) != 1) {
            // Several rows of one number cannot be told apart by it: the source is read anew.
            geteilt = true;
            continue;
        }
        Zeile& z = m_zeilen[r];
        z.werte = a.zeilen.at(gelesen.value(n).first());
        z.werte.resize(AlarmFeld::Spalten);
        emit ZeileGeaendert(r);
    }
    if (geteilt)
        Auffrischen();
}

void OdbcZeilen::Auffrischen() {
    if (!m_gewaehlt || m_quellTicket)
        return;  // a new source is on its way anyway
    if (m_weiterTicket || m_frischTicket) {
        m_frischNochmal = true;  // once the one on its way has come
        return;
    }
    Anfrage an = m_gezeigt;
    an.zweck = Zweck::Auffrischen;
    an.generation = m_generation;
    Freigabe::ImHintergrund(std::exchange(m_frisch, {}));
    m_frischTicket = m_dienst->Durchlesen(an.sql, ErsterTeil, Teil);
    m_anfragen.insert(m_frischTicket, an);
}

void OdbcZeilen::Aufgefrischt(const Datendienst::Antwort& a, const Anfrage& an) {
    if (a.ticket != m_frischTicket)
        return;
    m_frischTicket = 0;
    QVector<QVector<QVariant>> zeilen = std::exchange(m_frisch, {});
    if (!a.ok || a.abgebrochen || an.generation != m_generation) {
        if (std::exchange(m_frischNochmal, false))
            Auffrischen();
        return;
    }
    zeilen += a.zeilen;
    if (zeilen.size() != m_zeilen.size()) {
        // Rows came or went meanwhile: the source is shown anew.
        Lesen(m_gezeigt);
        return;
    }
    // The same rows in the same order: each keeps its place (and key), the values are the table's.
    for (qsizetype r = 0; r < zeilen.size(); ++r) {
        QVector<QVariant>& werte = zeilen[r];
        werte.resize(AlarmFeld::Spalten);
        Zeile& z = m_zeilen[r];
        if (z.werte == werte)
            continue;
        z.werte = std::move(werte);
        emit ZeileGeaendert(static_cast<int>(r));
    }
    if (std::exchange(m_frischNochmal, false))
        Auffrischen();
}
