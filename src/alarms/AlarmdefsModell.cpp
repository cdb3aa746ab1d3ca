#include "alarms/AlarmdefsModell.h"

#include <QBrush>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <tuple>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "alarms/DatenbankFehler.h"
#include "alarms/DeutscheReihung.h"
#include "alarms/Dialoge.h"
#include "alarms/Freigabe.h"
#include "alarms/Identschluessel.h"
#include "alarms/Takt.h"

AlarmdefsModell::AlarmdefsModell(QObject* parent, const QSqlDatabase& db, const QString& sDatenbank,
                                 Datendienst* dienst)
    : QSqlTableModel(parent, db), m_datenbank(sDatenbank), m_dienst(dienst) {
    const bool server = db.driverName() == QLatin1String("QPSQL");
    const bool odbc = db.driverName() == QLatin1String("QODBC");
    // The connections the program opens; no other driver reaches the grid.
    m_seitenweise = server || odbc || db.driverName() == QLatin1String("QSQLITE");
    Q_ASSERT(m_seitenweise);
    // Keyset paging on the Ident on a server: its row addresses change with every update.
    // Through ODBC a row is written by its number, never by a key of this grid.
    m_schluessel = server || odbc ? AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Ident")) : QStringLiteral("rowid");
    m_schluesselSpalte = m_schluessel;
    // PostgreSQL folds a name without quotes to lower case.
    setTable(server ? AlarmdefsZugriff::Tabelle(db) : QStringLiteral("Alarmdefs"));
    setEditStrategy(QSqlTableModel::OnFieldChange);
    // Through ODBC the window's connection is never used: the service's worker owns its own.
    const bool ohneVerbindung = !db.isOpen() || odbc;
    // Text columns sort in German order: Ü with U, ß with ss (on a file known without asking it).
    if (!ohneVerbindung || (!server && !odbc)) {
        DeutscheReihung::Anmelden(db);
        m_textReihung = DeutscheReihung::Zusatz(db);
    }
    // The keys and pages are read on the database's own worker.
    if (!m_dienst && odbc)
        m_dienst = new Datendienst(sDatenbank.isEmpty() ? db.databaseName() : sDatenbank, db.databaseName(), this);
    if (!m_dienst)
        m_dienst = new Datendienst(sDatenbank.isEmpty() ? db.databaseName() : sDatenbank, this);
    connect(m_dienst, &Datendienst::Beantwortet, this, &AlarmdefsModell::Beantwortet);
    if (odbc) {
        m_odbc = new OdbcZeilen(m_dienst, db, m_datenbank, this);
        OdbcVerbinden();
    }
    // A server's rows are ordered by the number their Ident holds, whatever its
    // type: a connection open here is asked now, else the description says it.
    if (server && !ohneVerbindung)
        SchluesselNehmen(Identschluessel::Beschreiben(db, m_datenbank));
    if (ohneVerbindung) {
        // A server or an ODBC source is not waited for until the service has
        // connected and a page has come; a file only while no other program's
        // lock holds it up.
        m_kalt = server;
        Anfrage an;
        an.zweck = Anfrage::Zweck::Beschreibung;
        m_beschreibTicket = m_dienst->Beschreiben();
        m_anfragen.insert(m_beschreibTicket, an);
    }
}

void AlarmdefsModell::OdbcVerbinden() {
    // The ODBC rows change between these pairs: the grid is told as it is of its own rows.
    connect(m_odbc, &OdbcZeilen::VorErsetzen, this, [this] { beginResetModel(); });
    connect(m_odbc, &OdbcZeilen::Ersetzt, this, [this](bool spaet) {
        m_quelle = m_waehlend;
        m_gewaehlt = true;
        m_anzahl = m_odbc->Anzahl();
        ++m_generation;
        endResetModel();
        setLastError(QSqlError());
        if (spaet)
            emit QuelleGewechselt();
        if (!std::exchange(m_ersteZeilen, true))
            emit ErsteZeilen();
        if (!m_offeneEingaben.isEmpty())
            QTimer::singleShot(0, this, &AlarmdefsModell::EingabenWeiter);
    });
    connect(m_odbc, &OdbcZeilen::VorAnhaengen, this, [this](int von, int bis) { beginInsertRows(QModelIndex(), von, bis); });
    connect(m_odbc, &OdbcZeilen::Angehaengt, this, [this] {
        m_anzahl = m_odbc->Anzahl();
        endInsertRows();
        if (!m_offeneEingaben.isEmpty())
            QTimer::singleShot(0, this, &AlarmdefsModell::EingabenWeiter);
    });
    connect(m_odbc, &OdbcZeilen::ZeileGeaendert, this,
            [this](int r) { emit dataChanged(index(r, 0), index(r, columnCount() - 1)); });
    connect(m_odbc, &OdbcZeilen::Abgelehnt, this, [this](bool spaet) {
        setLastError(m_odbc->Fehler());
        if (spaet)
            emit QuelleAbgelehnt();
    });
    connect(m_odbc, &OdbcZeilen::Unvollstaendig, this, &AlarmdefsModell::ListeUnvollstaendig);
    connect(m_odbc, &OdbcZeilen::Vollstaendig, this, &AlarmdefsModell::ListeVollstaendig);
    connect(m_odbc, &OdbcZeilen::ZeileGefunden, this, &AlarmdefsModell::ZeileGefunden);
}

void AlarmdefsModell::BeschreibungAbwarten(int arbeitMs) {
    const Datendienst::Ticket t = m_beschreibTicket;
    if (!t)
        return;
    // A worker that has not turned to it yet (a loaded machine) is waited for as before.
    if (const auto a = m_dienst->AbwartenArbeit(t, arbeitMs, AlarmdefsZugriff::WarteAufSperreMs + 1000)) {
        m_anfragen.remove(t);
        BeschreibungErhalten(*a);
    }
}

void AlarmdefsModell::BeschreibungErhalten(const Datendienst::Antwort& a) {
    m_beschreibTicket = 0;
    if (a.abgebrochen)
        return;
    // A table refused is not shown: a source asked for meanwhile is given up.
    if ((!a.ok || !a.fehlendeSpalten.isEmpty()) && m_quellTicket) {
        m_dienst->Abbrechen(m_quellTicket);
        m_anfragen.remove(std::exchange(m_quellTicket, 0));
    }
    if (!a.ok) {
        const auto m = DatenbankFehler::Deuten(a.fehler, m_datenbank);
        // A connection refused comes as the opening's own German words.
        emit Unbrauchbar({}, a.fehler.type() == QSqlError::ConnectionError ? a.fehler.databaseText() : m.text,
                         a.fehler.type() == QSqlError::ConnectionError ? a.fehler.driverText() : m.detail);
        return;
    }
    if (!a.fehlendeSpalten.isEmpty()) {
        emit Unbrauchbar(a.fehlendeSpalten, QString(), QString());
        return;
    }
    const QString schluesselVorher = m_schluessel;
    if (a.ident.bekannt) {
        SchluesselNehmen(a.ident);
        if (!m_identAbgelehnt.isEmpty()) {
            if (m_quellTicket) {
                m_dienst->Abbrechen(m_quellTicket);
                m_anfragen.remove(std::exchange(m_quellTicket, 0));
            }
            emit Unbrauchbar({}, m_identAbgelehnt, QString());
            return;
        }
    }
    m_feldNamen = a.feldNamen;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    emit Beschrieben();
    const bool reihungNeu = a.textReihung != m_textReihung;
    m_textReihung = a.textReihung;
    // A source asked for by the column as it is, before the server said that
    // its rows are ordered otherwise (digits as text), is asked for anew.
    if (m_schluessel != schluesselVorher && (m_quellTicket || m_gewaehlt)) {
        Anwenden(m_quellTicket ? m_anfragen.value(m_quellTicket).quelle : m_quelle);
        return;
    }
    if (!reihungNeu)
        return;
    // A text column sorted before the order was known is sorted again in German order.
    const Quelle& q = m_odbc ? (m_odbc->QuelleUnterwegs() ? m_waehlend : m_quelle)
                      : m_quellTicket ? m_anfragen.value(m_quellTicket).quelle : m_quelle;
    if (q.sortSpalte >= 0 && !IstZahlenSpalte(q.sortSpalte))
        Anwenden(q);
}

void AlarmdefsModell::SchluesselNehmen(const Identschluessel& s) {
    if (!s.bekannt)
        return;
    m_schluessel = s.ausdruck;
    m_identAbgelehnt = s.abgelehnt;
}

AlarmdefsModell::~AlarmdefsModell() {
    if (m_dienst && m_dienst->parent() == this)
        m_dienst->Beenden();
    Freigabe::ImHintergrund(std::make_pair(std::exchange(m_reihenfolge, {}), std::exchange(m_seiten, {})));
}

bool AlarmdefsModell::IstZahlenSpalte(int spalte) { return AlarmdefsZugriff::IstZahlenSpalte(spalte); }
int AlarmdefsModell::SpaltenBreite(int spalte) { return AlarmdefsZugriff::SpaltenBreite(spalte); }

QString AlarmdefsModell::Spalte(const QString& name) const { return AlarmdefsZugriff::SpaltenName(database(), name); }
QString AlarmdefsModell::SpalteNr(int spalte) const { return Spalte(AlarmRecordBau::SpaltenNamen().at(spalte)); }

bool AlarmdefsModell::AlleZeigen() { return Anwenden({}); }

bool AlarmdefsModell::OhneBildZeigen() { return Anwenden({Spalte(QStringLiteral("Form")) + QStringLiteral(" is null"), -1}); }

bool AlarmdefsModell::BildZeigen(const QString& form) {
    // The driver quotes the name, so a picture called "Kessel's" is just a name.
    QSqlField feld(QStringLiteral("Form"), QMetaType(QMetaType::QString));
    feld.setValue(form);
    return Anwenden({Spalte(QStringLiteral("Form")) + QStringLiteral(" = ") + database().driver()->formatValue(feld), -1});
}

bool AlarmdefsModell::OhnePositionZeigen() {
    return Anwenden({AlarmdefsZugriff::OhnePositionBedingung(database()), -1});
}

bool AlarmdefsModell::SortierenNach(int spalte, Qt::SortOrder ordnung) {
    if (spalte < 0 || spalte >= columnCount())
        return false;
    return Anwenden({QString(), spalte, ordnung});
}

bool AlarmdefsModell::Auffrischen() { return m_gewaehlt ? Anwenden(m_quelle) : true; }

QString AlarmdefsModell::Bedingung(const Quelle& q) const {
    return q.filter.isEmpty() ? QString() : QStringLiteral(" where ") + q.filter;
}

bool AlarmdefsModell::Anwenden(const Quelle& neu) {
    if (m_odbc) {
        m_waehlend = neu;
        return m_odbc->Anwenden(neu.filter, neu.sortSpalte, neu.ordnung);
    }
    if (!m_identAbgelehnt.isEmpty()) {
        setLastError(QSqlError(m_identAbgelehnt, QString(), QSqlError::StatementError));
        return false;
    }

    // The row order is read first: a rejected statement leaves the rows shown before.
    // A sorted source orders all rows once; paging then reads by key. An
    // unsorted one comes in key order, its first part first.
    const QString sql = neu.sortSpalte >= 0
                            ? QStringLiteral("select %3 from %1%2 order by %4").arg(Tabelle(), Bedingung(neu), m_schluessel, Reihung(neu))
                            : RowidsSql(neu, false, ErsterTeil, nullptr);
    // A newer source wins: the one still being ordered is given up.
    if (m_quellTicket) {
        m_dienst->Abbrechen(m_quellTicket);
        m_anfragen.remove(m_quellTicket);
    }
    Anfrage an;
    an.zweck = Anfrage::Zweck::Quelle;
    an.quelle = neu;
    an.generation = m_generation;
    // Its first page comes with it: the grid shows its first rows without asking again.
    // A sorted list of many rows brings its last page as well: its end is
    // where a user jumps next (Strg+Ende, the scroll bar's end).
    const auto [vor, nach] = ZeilenSql(neu);
    Datendienst::Mitlesen ende;
    if (neu.sortSpalte >= 0)
        ende = [](const QVector<qint64>& schluessel) { return LetzteSeite({}, 0, schluessel, 0); };
    m_quellTicket = m_dienst->SchluesselLesen(
        sql, SeitenGroesse, [vor, nach](const QString& liste) { return vor + liste + nach; }, std::move(ende));
    m_anfragen.insert(m_quellTicket, an);
    // The first source of a database is waited for as its opening is (the service
    // connects first); later ones at most a frame.
    // A sort of a table known to be large is not waited for at all: it takes longer than a frame anyway.
    int warten = m_gewaehlt ? Datendienst::HoechstensWartenMs
                            : AlarmdefsZugriff::WarteAufSperreMs + AlarmdefsZugriff::ServerWartezeitS * 1000;
    if ((m_gewaehlt && neu.sortSpalte >= 0 && m_meisteZeilen >= GrossAb) || m_kalt)
        warten = 0;
    // Nor while the table's description has not come within the frame the
    // opening waited for it: the worker answers in order, so this source
    // comes after it, and a file slow to describe would hold the window.
    if (m_beschreibTicket)
        warten = 0;
    // The first one not while another program's lock holds the file: it is shown when the lock has gone;
    // nor once the worker has spent a frame on it (a sort of many rows kept from before the opening).
    if (const auto a = m_gewaehlt ? m_dienst->Abwarten(m_quellTicket, warten)
                                  : m_dienst->AbwartenArbeit(m_quellTicket, Datendienst::EinBildMs, warten)) {
        m_anfragen.remove(a->ticket);
        return QuelleErhalten(*a, an, false);
    }
    return true;  // shown when the order comes
}

bool AlarmdefsModell::QuelleErhalten(const Datendienst::Antwort& a, const Anfrage& an, bool spaet) {
    if (a.ticket != m_quellTicket)
        return true;  // a newer source was asked for meanwhile
    m_quellTicket = 0;
    if (a.abgebrochen)
        return true;
    if (!a.ok) {
        setLastError(a.fehler);
        if (spaet)
            emit QuelleAbgelehnt();
        GesuchtWeiter();
        return false;
    }
    const Quelle& neu = an.quelle;
    beginResetModel();
    m_quelle = neu;
    m_gewaehlt = true;
    // The order and the pages before were read on the worker: a million keys
    // and thousands of rows are let go off the window's thread.
    Freigabe::ImHintergrund(std::make_pair(std::exchange(m_reihenfolge, a.schluessel), std::exchange(m_seiten, {})));
    m_reihenfolgeGeliehen = true;
    m_anzahl = static_cast<int>(m_reihenfolge.size());
    m_meisteZeilen = std::max(m_meisteZeilen, m_anzahl);
    m_vollstaendig = neu.sortSpalte >= 0 || m_reihenfolge.size() < ErsterTeil;
    ++m_generation;
    m_seitenAlter.clear();
    m_fehlSeiten.clear();
    m_seitenTickets.clear();
    m_weiterTicket = 0;
    m_aufgehalten = false;
    // The last page read with the order is held at once, then the first.
    MitgeleseneSeite(a, false);
    // The first page read with the order is held at once.
    if (!a.zeilen.isEmpty() && m_anzahl > 0) {
        Anfrage erste;
        erste.zweck = Anfrage::Zweck::Zeilen;
        erste.generation = m_generation;
        erste.seite = 0;
        for (int p = 0; p < std::min(m_anzahl, SeitenGroesse); ++p) {
            erste.positionen.append(p);
            erste.schluessel.append(m_reihenfolge.at(p));
        }
        m_seitenTickets.insert(0, a.ticket);
        ZeilenErhalten(a, erste, false);
    }
    endResetModel();
    setLastError(QSqlError());
    // The rest is counted in short steps once the first rows are on screen,
    // so the window stays responsive on a million rows.
    if (!m_vollstaendig)
        QTimer::singleShot(WeiterNachMs, this, [this, g = m_generation] { WeiterLesen(g); });
    if (spaet)
        emit QuelleGewechselt();
    if (!std::exchange(m_ersteZeilen, true))
        emit ErsteZeilen();
    GesuchtWeiter();
    return true;
}

void AlarmdefsModell::Beantwortet(const Datendienst::Antwort& a) {
    const auto it = m_anfragen.constFind(a.ticket);
    if (it == m_anfragen.constEnd())
        return;  // stale: its asker gave it up
    const Anfrage an = *it;
    m_anfragen.erase(it);
    switch (an.zweck) {
    case Anfrage::Zweck::Quelle: QuelleErhalten(a, an, true); break;
    case Anfrage::Zweck::Weiter: WeiterErhalten(a, an); break;
    case Anfrage::Zweck::Zeilen: ZeilenErhalten(a, an, true); break;
    case Anfrage::Zweck::Schreiben: SchreibenErhalten(a, an); break;
    case Anfrage::Zweck::Finden: FindenErhalten(a, an); break;
    case Anfrage::Zweck::Beschreibung: BeschreibungErhalten(a); break;
    case Anfrage::Zweck::Folgen: FolgenErhalten(a, an); break;
    }
}

QString AlarmdefsModell::Tabelle() const {
    return database().driver()->escapeIdentifier(tableName(), QSqlDriver::TableName);
}

QString AlarmdefsModell::Reihung(const Quelle& q) const {
    // Rows sharing a server's key keep one order between reading the keys and reading the rows.
    const QString gleiche = m_schluessel == QLatin1String("rowid") ? QString() : QStringLiteral(", ctid");
    if (q.sortSpalte < 0)
        return m_schluessel + gleiche;
    const QString richtung = q.ordnung == Qt::DescendingOrder ? QStringLiteral(" desc") : QString();
    const QString spalte = SpalteNr(q.sortSpalte) + (IstZahlenSpalte(q.sortSpalte) ? QString() : m_textReihung);
    return QStringLiteral("%1%2, %3%2%4").arg(spalte, richtung, m_schluessel, gleiche);
}

QString AlarmdefsModell::RowidsSql(const Quelle& q, bool weiter, int hoechstens, int* schonDaAus) const {
    // Unsorted sources come in key order, which the table and the Form index
    // give for free; reading on from the last key keeps each step short. Rows
    // sharing that key (a server's Ident) that were read already are skipped.
    QString bedingung = q.filter.isEmpty() ? QString() : QStringLiteral("(%1)").arg(q.filter);
    int schonDa = 0;
    if (weiter && !m_reihenfolge.isEmpty()) {
        const qint64 letzter = m_reihenfolge.last();
        while (schonDa < m_reihenfolge.size() && m_reihenfolge.at(m_reihenfolge.size() - 1 - schonDa) == letzter)
            ++schonDa;
        bedingung += (bedingung.isEmpty() ? QString() : QStringLiteral(" and ")) +
                     QStringLiteral("%1 >= %2").arg(m_schluessel).arg(letzter);
    }
    if (schonDaAus)
        *schonDaAus = schonDa;
    return QStringLiteral("select %4 from %1%2 order by %4 limit %3")
        .arg(Tabelle(), bedingung.isEmpty() ? QString() : QStringLiteral(" where ") + bedingung)
        .arg(hoechstens + schonDa)
        .arg(m_schluessel);
}

void AlarmdefsModell::WeiterLesen(int generation) {
    if (generation != m_generation || m_vollstaendig || m_weiterTicket)
        return;
    Anfrage an;
    an.zweck = Anfrage::Zweck::Weiter;
    an.generation = m_generation;
    an.bisher = m_reihenfolge.size();
    const QString sql = RowidsSql(m_quelle, true, WeitererTeil, &an.schonDa);
    // The step that turns out to be the last brings the rows of the list's
    // last page: the grid may jump there the moment it has every row. The
    // keys of that page held already go along.
    const qsizetype schwanzVon = an.bisher > 0 ? (an.bisher - 1) / SeitenGroesse * SeitenGroesse : 0;
    const QVector<qint64> schwanz = m_reihenfolge.mid(schwanzVon);
    const int schonDa = an.schonDa;
    const auto [vor, nach] = ZeilenSql(m_quelle);
    m_weiterTicket = m_dienst->SchluesselLesen(
        sql, 0, [vor, nach](const QString& liste) { return vor + liste + nach; },
        [schwanz, schwanzVon, schonDa](const QVector<qint64>& schluessel) -> QVector<qint64> {
            const QVector<qint64> neu = schluessel.mid(std::min<qsizetype>(schonDa, schluessel.size()));
            if (neu.size() >= WeitererTeil)
                return {};  // not the last step
            return LetzteSeite(schwanz, schwanzVon, neu, schwanzVon + schwanz.size());
        });
    m_anfragen.insert(m_weiterTicket, an);
}

bool AlarmdefsModell::WeiterLesenJetzt(int warteMs) {
    if (m_vollstaendig)
        return true;
    if (!m_weiterTicket)
        WeiterLesen(m_generation);
    const Datendienst::Ticket t = m_weiterTicket;
    const qsizetype vorher = m_reihenfolge.size();
    // Asked for by the user (a search): waited for as long as the caller waits; it goes on by itself after.
    const auto a = m_dienst->Abwarten(t, std::max(warteMs, 0));
    if (!a)
        return false;
    const Anfrage an = m_anfragen.take(t);
    WeiterErhalten(*a, an);
    return m_reihenfolge.size() > vorher || m_vollstaendig;
}

void AlarmdefsModell::WeiterErhalten(const Datendienst::Antwort& a, const Anfrage& an) {
    if (a.ticket != m_weiterTicket)
        return;
    m_weiterTicket = 0;
    // Another source, or rows renumbered meanwhile: this step is no longer the next one.
    if (an.generation != m_generation || an.bisher != m_reihenfolge.size() || m_vollstaendig)
        return;
    const int generation = m_generation;
    if (!a.ok) {
        // The rows read so far stay; the counting goes on once the lock is gone.
        if (!m_aufgehalten) {
            m_aufgehalten = true;
            emit ListeUnvollstaendig(
                QStringLiteral("Die Alarmliste ist unvollständig (%1 gelesen): %2 Es wird weiter gelesen.")
                    .arg(Anzahltext::Zeilen(m_anzahl))
                    .arg(DatenbankFehler::Deuten(a.fehler, m_datenbank).text));
        }
        QTimer::singleShot(NachlesenNachMs, this, [this, generation] { WeiterLesen(generation); });
        return;
    }
    const QVector<qint64> teil = a.schluessel.mid(std::min<qsizetype>(an.schonDa, a.schluessel.size()));
    if (!teil.isEmpty()) {
        beginInsertRows(QModelIndex(), m_anzahl, m_anzahl + static_cast<int>(teil.size()) - 1);
        // The first keys came as the worker read them: grown here, their
        // memory would be moved under the lock of the worker's heap. They are
        // copied once into memory of this thread, and let go on a worker.
        if (std::exchange(m_reihenfolgeGeliehen, false)) {
            QVector<qint64> eigene(m_reihenfolge.size() + teil.size());
            std::copy(m_reihenfolge.cbegin(), m_reihenfolge.cend(), eigene.begin());
            eigene.resize(m_reihenfolge.size());
            Freigabe::ImHintergrund(std::exchange(m_reihenfolge, std::move(eigene)));
        }
        m_reihenfolge += teil;
        m_anzahl = static_cast<int>(m_reihenfolge.size());
        m_meisteZeilen = std::max(m_meisteZeilen, m_anzahl);
        endInsertRows();
    }
    m_vollstaendig = teil.size() < WeitererTeil;
    if (m_vollstaendig) {
        MitgeleseneSeite(a, true);
        EndeVorauslesen();
    }
    GesuchtWeiter();
    if (!m_vollstaendig)
        QTimer::singleShot(0, this, [this, generation] { WeiterLesen(generation); });
    else if (m_aufgehalten) {
        m_aufgehalten = false;
        emit ListeVollstaendig(m_anzahl);
    }
}

bool AlarmdefsModell::AllesGelesen() const { return m_odbc ? m_odbc->AllesGelesen() : m_vollstaendig && !m_quellTicket; }

bool AlarmdefsModell::ZeilenAnfordern(const QVector<int>& positionen, int seite, int warteMs) {
    if (positionen.isEmpty())
        return true;
    Anfrage an;
    an.zweck = Anfrage::Zweck::Zeilen;
    an.generation = m_generation;
    an.positionen = positionen;
    an.seite = seite;
    an.schluessel.reserve(positionen.size());
    for (int p : positionen)
        an.schluessel.append(m_reihenfolge.at(p));
    const Datendienst::Ticket t = m_dienst->ZeilenLesen(ZeilenSql(m_quelle, an.schluessel));
    m_anfragen.insert(t, an);
    if (seite >= 0)
        m_seitenTickets.insert(seite, t);
    if (warteMs <= 0)
        return false;
    // Not while another program's lock holds the file: the rows come when it has gone.
    const auto a = m_dienst->AbwartenUngesperrt(t, warteMs);
    if (!a)
        return false;
    m_anfragen.remove(t);
    return ZeilenErhalten(*a, an, false);
}

std::pair<QString, QString> AlarmdefsModell::ZeilenSql(const Quelle& q) const {
    // The 18 columns by name: a table with other columns or another order still
    // gives each grid column its own (a cell edit of X never writes Y). A
    // server's rows are picked by their Ident column as the table holds it.
    const QString kopf = QStringLiteral("select %2, %3 from %1 where ")
                             .arg(Tabelle(), m_schluessel, AlarmdefsZugriff::SpaltenListe(database()));
    if (m_schluessel == QLatin1String("rowid") || m_odbc)
        return {kopf + m_schluessel + QStringLiteral(" in ("), QStringLiteral(") order by ") + Reihung(q)};
    const auto [vor, nach] = Identschluessel::InListeRahmen(m_schluesselSpalte);
    return {kopf + vor, nach + QStringLiteral(" order by ") + Reihung(q)};
}

QString AlarmdefsModell::ZeilenSql(const Quelle& q, const QVector<qint64>& schluessel) const {
    QString liste;
    liste.reserve(schluessel.size() * 8);
    for (qint64 k : schluessel) {
        if (!liste.isEmpty())
            liste += QLatin1Char(',');
        liste += QString::number(k);
    }
    const auto [vor, nach] = ZeilenSql(q);
    return vor + liste + nach;
}

bool AlarmdefsModell::ZeilenErhalten(const Datendienst::Antwort& a, const Anfrage& an, bool spaet) {
    if (an.seite >= 0) {
        // Only the newest request of a page fills it.
        if (m_seitenTickets.value(an.seite) != a.ticket)
            return false;
        m_seitenTickets.remove(an.seite);
    }
    if (an.generation != m_generation)
        return false;
    if (!a.ok) {
        if (an.seite >= 0 && !a.abgebrochen) {
            // Not asked for again on every paint, but once more a moment later.
            m_fehlSeiten.insert(an.seite);
            NachlesenPlanen();
            const int von = an.seite * SeitenGroesse;
            emit ZeilenUnlesbar(von, std::min(m_anzahl, von + SeitenGroesse) - 1,
                                DatenbankFehler::Deuten(a.fehler, m_datenbank).text);
            if (!m_offeneEingaben.isEmpty())
                QTimer::singleShot(0, this, &AlarmdefsModell::EingabenWeiter);
        }
        return false;
    }
    m_kalt = false;
    const int spalten = columnCount();
    const auto zeileAus = [spalten](const QVector<QVariant>& werte) {
        Zeile z;
        z.schluessel = Identschluessel::Nummer(werte.value(0));
        z.werte = werte;
        z.versatz = 1;
        if (z.Anzahl() != spalten)
            z.werte.resize(spalten + z.versatz);
        return z;
    };
    QVector<Zeile> zeilen;
    zeilen.reserve(an.positionen.size());
    // Mostly the rows come as asked for, one for each position, in its order: taken as they come.
    bool wieGefragt = a.zeilen.size() == an.positionen.size();
    for (qsizetype i = 0; wieGefragt && i < a.zeilen.size(); ++i)
        wieGefragt = !a.zeilen.at(i).isEmpty() && Identschluessel::Nummer(a.zeilen.at(i).first()) == an.schluessel.at(i);
    if (wieGefragt) {
        for (const QVector<QVariant>& werte : a.zeilen)
            zeilen.append(zeileAus(werte));
    } else {
        QHash<qint64, QVector<Zeile>> gelesen;
        for (const QVector<QVariant>& werte : a.zeilen) {
            Zeile z = zeileAus(werte);
            gelesen[z.schluessel].append(std::move(z));
        }
        for (qsizetype i = 0; i < an.positionen.size(); ++i) {
            const int p = an.positionen.at(i);
            const qint64 id = an.schluessel.at(i);
            const auto mit = gelesen.constFind(id);
            // A row deleted meanwhile by another program shows as empty.
            Zeile z;
            if (mit != gelesen.constEnd())
                z = mit->size() == 1 ? mit->first() : mit->value(Vorkommen(p));
            z.schluessel = id;
            if (z.Anzahl() != spalten)
                z.werte.resize(spalten + z.versatz);
            zeilen.append(std::move(z));
        }
    }
    if (an.seite >= 0) {
        // The page's keys may have followed a renumbering meanwhile: then it is asked for anew.
        for (qsizetype i = 0; i < an.positionen.size(); ++i)
            if (an.positionen.at(i) >= m_reihenfolge.size() || m_reihenfolge.at(an.positionen.at(i)) != an.schluessel.at(i))
                return false;
        // A page read again (a paint that did not wait for it asked anew) replaces the one held.
        if (const auto alt = m_seiten.find(an.seite); alt != m_seiten.end())
            Freigabe::ImHintergrund(std::exchange(*alt, std::move(zeilen)));
        else
            m_seiten.insert(an.seite, std::move(zeilen));
        m_leerGezeigt.remove(an.seite);
        m_ansichtSeiten.removeIf([&an](const std::pair<int, Datendienst::Ticket>& s) { return s.first == an.seite; });
        // Edits waiting for rows go on outside of the view's reading.
        if (!m_offeneEingaben.isEmpty())
            QTimer::singleShot(0, this, &AlarmdefsModell::EingabenWeiter);
        m_seitenAlter.removeOne(an.seite);
        m_seitenAlter.append(an.seite);
        while (m_seitenAlter.size() > SeitenHoechstens)
            Freigabe::ImHintergrund(m_seiten.take(m_seitenAlter.takeFirst()));
        // With the first page of a large sorted list on screen the last one is
        // read ahead: its end is where a user jumps next (Strg+Ende, the scroll
        // bar's end), and there it is not read in a frame.
        if (an.seite == 0 && m_vollstaendig && m_quelle.sortSpalte >= 0)
            EndeVorauslesen();
        if (spaet) {
            const int von = an.seite * SeitenGroesse;
            const int bis = std::min(m_anzahl, von + SeitenGroesse) - 1;
            if (bis >= von) {
                emit dataChanged(index(von, 0), index(bis, columnCount() - 1));
                emit headerDataChanged(Qt::Vertical, von, bis);
            }
        }
        return true;
    }
    // Rows read again in place: only those still held, where they still stand.
    // The rows they replace were read on the worker too, and are let go there.
    QVector<Zeile> ersetzt;
    for (qsizetype i = 0; i < an.positionen.size(); ++i) {
        const int r = an.positionen.at(i);
        auto seite = m_seiten.find(r / SeitenGroesse);
        if (seite == m_seiten.end() || r % SeitenGroesse >= seite->size() || r >= m_reihenfolge.size() ||
            m_reihenfolge.at(r) != an.schluessel.at(i))
            continue;
        ersetzt.append(std::exchange((*seite)[r % SeitenGroesse], zeilen.at(i)));
        emit dataChanged(index(r, 0), index(r, columnCount() - 1));
    }
    if (!ersetzt.isEmpty())
        Freigabe::ImHintergrund(std::move(ersetzt));
    return true;
}

QVector<qint64> AlarmdefsModell::LetzteSeite(const QVector<qint64>& davor, qsizetype davorVon,
                                             const QVector<qint64>& neu, qsizetype neuVon) {
    const qsizetype anzahl = neuVon + neu.size();
    if (anzahl < GrossAb)
        return {};
    const qsizetype von = (anzahl - 1) / SeitenGroesse * SeitenGroesse;
    QVector<qint64> seite;
    seite.reserve(anzahl - von);
    for (qsizetype p = von; p < anzahl; ++p) {
        if (p >= neuVon)
            seite.append(neu.at(p - neuVon));
        else if (p >= davorVon && p - davorVon < davor.size())
            seite.append(davor.at(p - davorVon));
        else
            return {};  // not among the keys at hand
    }
    return seite;
}

void AlarmdefsModell::MitgeleseneSeite(const Datendienst::Antwort& a, bool spaet) {
    if (a.endeZeilen.isEmpty() || m_anzahl <= 0)
        return;
    const int seite = (m_anzahl - 1) / SeitenGroesse;
    Anfrage an;
    an.zweck = Anfrage::Zweck::Zeilen;
    an.generation = m_generation;
    an.seite = seite;
    for (int p = seite * SeitenGroesse; p < m_anzahl; ++p) {
        an.positionen.append(p);
        an.schluessel.append(m_reihenfolge.at(p));
    }
    // Read for the list as the worker had it: taken only where it is the
    // list's last page now; a part of it read before the count had come so
    // far, held or on its way, is replaced.
    if (an.schluessel != a.endeSchluessel || SeiteVoll(seite))
        return;
    Datendienst::Antwort teil;
    teil.ticket = a.ticket;
    teil.ok = true;
    teil.zeilen = a.endeZeilen;
    m_seitenTickets.insert(seite, a.ticket);
    ZeilenErhalten(teil, an, spaet);
}

int AlarmdefsModell::Vorkommen(int position) const {
    // How many positions before this one carry its key; in key order they stand just before it.
    const qint64 id = m_reihenfolge.at(position);
    int n = 0;
    if (m_quelle.sortSpalte < 0) {
        for (int i = position - 1; i >= 0 && m_reihenfolge.at(i) == id; --i)
            ++n;
    } else {
        for (int i = 0; i < position; ++i)
            n += m_reihenfolge.at(i) == id;
    }
    return n;
}

void AlarmdefsModell::NachlesenPlanen() {
    if (m_nachlesenGeplant)
        return;
    m_nachlesenGeplant = true;
    QTimer::singleShot(NachlesenNachMs, this, [this] { FehlSeitenNachlesen(); });
}

void AlarmdefsModell::FehlSeitenNachlesen() {
    m_nachlesenGeplant = false;
    if (m_fehlSeiten.isEmpty())
        return;
    const QList<int> seiten = m_fehlSeiten.values();
    m_fehlSeiten.clear();
    // Asked for again without waiting: the rows fill in when they come.
    for (int seite : seiten) {
        if (m_seiten.contains(seite) || m_seitenTickets.contains(seite))
            continue;
        SeiteAnfordern(seite, false);
    }
}

const AlarmdefsModell::Zeile* AlarmdefsModell::ZeileHolen(int row) const {
    if (row < 0 || row >= m_anzahl)
        return nullptr;
    if (m_odbc)
        return m_odbc->ZeileBei(row);  // every row of the source shown is held: nothing is asked for
    const int seite = row / SeitenGroesse;
    auto* self = const_cast<AlarmdefsModell*>(this);
    if (seite != m_letzteAnsicht)
        self->AnsichtWechselt(seite);
    auto it = m_seiten.constFind(seite);
    if (it == m_seiten.constEnd()) {
        // Failed a moment ago: not asked for again on every paint.
        if (m_fehlSeiten.contains(seite))
            return nullptr;
        if (!m_seitenTickets.contains(seite))
            self->SeiteAnfordern(seite, true);
        // All that one turn of the event loop paints waits a frame's share in
        // all (a new connection not at all): what has not come by then shows
        // empty and fills in when it comes.
        const Datendienst::Ticket t = m_seitenTickets.value(seite);
        const int warten = m_kalt ? 0 : Takt::Rest(Takt::Runde());
        if (!t || warten <= 0)
            return nullptr;
        const auto a = m_dienst->AbwartenUngesperrt(t, warten);
        if (!a) {
            self->m_leerGezeigt.insert(seite);
            return nullptr;
        }
        // Cells of the page shown empty earlier in this paint are told now.
        self->ZeilenErhalten(*a, self->m_anfragen.take(t), m_leerGezeigt.contains(seite));
        it = m_seiten.constFind(seite);
        if (it == m_seiten.constEnd())
            return nullptr;
        const int von = seite * SeitenGroesse;
        emit self->headerDataChanged(Qt::Vertical, von, von + static_cast<int>(it->size()) - 1);
    } else if (m_seitenAlter.last() != seite) {
        m_seitenAlter.removeOne(seite);
        m_seitenAlter.append(seite);
    }
    const int i = row % SeitenGroesse;
    // A page read while the count had not reached its end yet holds fewer
    // rows than it has now: it is read again, its rows shown meanwhile.
    if (i >= it->size() && !m_seitenTickets.contains(seite) && !m_fehlSeiten.contains(seite))
        self->SeiteAnfordern(seite, true);
    return i < it->size() ? &it->at(i) : nullptr;
}

bool AlarmdefsModell::SeiteVoll(int seite) const {
    const auto it = m_seiten.constFind(seite);
    return it != m_seiten.constEnd() && it->size() == std::min(SeitenGroesse, m_anzahl - seite * SeitenGroesse);
}

void AlarmdefsModell::EndeVorauslesen() {
    const int letzte = (m_anzahl - 1) / SeitenGroesse;
    if (m_anzahl >= GrossAb && letzte > 0 && !SeiteVoll(letzte) && !m_seitenTickets.contains(letzte))
        SeiteAnfordern(letzte, false);
}

void AlarmdefsModell::AnsichtWechselt(int seite) {
    // Scrolling on page by page, the next page in that direction is read
    // before the view reaches it.
    const int schritt = seite - m_letzteAnsicht;
    m_letzteAnsicht = seite;
    const int weiter = seite + schritt;
    if ((schritt == 1 || schritt == -1) && weiter >= 0 && weiter * SeitenGroesse < m_anzahl &&
        !m_seiten.contains(weiter) && !m_seitenTickets.contains(weiter) && !m_fehlSeiten.contains(weiter))
        SeiteAnfordern(weiter, true);
}

void AlarmdefsModell::SeiteAnfordern(int seite, bool fuerAnsicht) {
    QVector<int> positionen;
    for (int p = seite * SeitenGroesse; p < std::min(m_anzahl, (seite + 1) * SeitenGroesse); ++p)
        positionen.append(p);
    ZeilenAnfordern(positionen, seite, 0);
    if (!fuerAnsicht)
        return;
    // A view that jumped on (a scroll bar dragged) no longer shows what it
    // asked for before: the oldest of its pages still on their way are given
    // up, so the worker turns to the rows shown now.
    m_ansichtSeiten.append({seite, m_seitenTickets.value(seite)});
    while (m_ansichtSeiten.size() > AnsichtHoechstens) {
        const auto [alt, t] = m_ansichtSeiten.takeFirst();
        if (!t || m_seitenTickets.value(alt) != t)
            continue;  // come meanwhile, or asked for anew
        m_dienst->Abbrechen(t);
        m_anfragen.remove(t);
        m_seitenTickets.remove(alt);
    }
}

int AlarmdefsModell::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_anzahl;
}

int AlarmdefsModell::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    // The 18 columns of the alarm table in their own order, whatever the table's order;
    // other columns are not shown.
    return AlarmFeld::Spalten;
}

QVariant AlarmdefsModell::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const Zeile* z = ZeileHolen(index.row());
    if (!z || index.column() >= z->Anzahl())
        return {};
    return z->Wert(index.column());
}

QVariant AlarmdefsModell::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount()) {
        // the name as the table spells it
        const QString name = AlarmRecordBau::SpaltenNamen().at(section);
        const QSqlRecord rec = record();
        for (int i = 0; i < rec.count(); ++i)
            if (rec.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
                return rec.fieldName(i);
        for (const QString& feld : m_feldNamen)
            if (feld.compare(name, Qt::CaseInsensitive) == 0)
                return feld;
        return name;
    }
    if (orientation == Qt::Vertical && section >= 0 && section < m_anzahl) {
        // A row whose page has not come yet says so in its header, in grey.
        const bool da = ZeileGeladen(section);
        if (role == Qt::DisplayRole)
            return da ? QVariant(section + 1) : QVariant(QStringLiteral("…"));
        if (role == Qt::ForegroundRole && !da)
            return QBrush(Qt::gray);
    }
    return {};
}

Qt::ItemFlags AlarmdefsModell::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

bool AlarmdefsModell::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.column() >= columnCount())
        return false;
    const QString kopf = QStringLiteral("Der Wert wurde nicht gespeichert. ");
    QVariant wert;
    if (const auto grund = AlarmdefsZugriff::WertPruefen(index.column(), value, &wert)) {
        Dialoge::aktuell().Meldung(nullptr, kopf + *grund);
        return false;
    }
    const Zeile* z = ZeileHolen(index.row());
    if (!z) {
        // The row has not come yet: the edit is written once its page has,
        // and refused visibly when it cannot be read; the window waits for neither.
        m_offeneEingaben.append({Schluessel(index.row()), index.row(), index.column(), wert, m_generation});
        ZeileLesen(index.row(), 0);
        return true;
    }
    return Eingeben(index.row(), index.column(), wert, *z);
}

bool AlarmdefsModell::Eingeben(int zeile, int spalte, const QVariant& wert, const Zeile& z) {
    // The row as this grid read it: the cell is written only while the row still holds it.
    QVariantList gelesen = z.Werte();
    Schreibauftrag a;
    Anfrage an;
    // These copies share the texts the worker read; once an answer taken below
    // has replaced the row they are their last hold: let go off this thread.
    const auto loslassen = qScopeGuard([&] {
        Freigabe::ImHintergrund(std::make_tuple(std::move(gelesen), std::move(a), std::move(an)));
    });
    const QVariant alt = gelesen.value(spalte);
    if (alt.isNull() == wert.isNull() && alt.toString() == wert.toString())
        return true;
    a.ident = gelesen.value(AlarmFeld::Ident).toString();
    // SQLite names the row by its rowid; a server by its number and values.
    if (m_schluessel == QLatin1String("rowid"))
        a.zeile = z.schluessel;
    a.spalten = {spalte};
    a.werte = {wert};
    AlarmRecord satz(AlarmFeld::Anzahl);
    for (int i = 0; i < AlarmFeld::Spalten; ++i)
        satz[i] = AlarmRecordBau::FeldText(i, gelesen.value(i));
    a.gelesen = satz;
    // The write goes in order behind the service's other requests; its result is
    // shown when it comes, at once when it comes within a frame.
    an.zweck = Anfrage::Zweck::Schreiben;
    an.generation = m_generation;
    an.auftrag = a;
    an.zeile = zeile;
    const Datendienst::Ticket t = m_dienst->Schreiben(a);
    m_anfragen.insert(t, an);
    // Not while another program's lock holds the file: the answer is told when it comes.
    if (const auto antwort = m_dienst->AbwartenUngesperrt(t, Datendienst::HoechstensWartenMs)) {
        m_anfragen.remove(t);
        return SchreibenErhalten(*antwort, an);
    }
    return true;
}

void AlarmdefsModell::EingabenWeiter() {
    const QString kopf = QStringLiteral("Der Wert wurde nicht gespeichert. ");
    QList<OffeneEingabe> offen;
    offen.swap(m_offeneEingaben);
    for (const OffeneEingabe& e : std::as_const(offen)) {
        // Found by its key: the source may have changed meanwhile.
        const int zeile = e.generation == m_generation ? e.zeile : ZeileMitSchluessel(e.schluessel, e.zeile);
        if (zeile < 0 || Schluessel(zeile) != e.schluessel) {
            Dialoge::aktuell().Meldung(nullptr, kopf + QStringLiteral("Die Zeile wird nicht mehr angezeigt."));
            continue;
        }
        const int seite = zeile / SeitenGroesse;
        if (ZeileGeladen(zeile)) {
            const Zeile z = *ZeileHolen(zeile);
            Eingeben(zeile, e.spalte, e.wert, z);
        } else if (m_fehlSeiten.contains(seite)) {
            Dialoge::aktuell().Meldung(nullptr, kopf + QStringLiteral("Die Zeile lässt sich nicht lesen."));
        } else {
            OffeneEingabe weiter = e;
            weiter.zeile = zeile;
            weiter.generation = m_generation;
            m_offeneEingaben.append(weiter);
            ZeileLesen(zeile, 0);
        }
    }
}

bool AlarmdefsModell::SchreibenErhalten(const Datendienst::Antwort& antwort, const Anfrage& an) {
    const Schreibergebnis& e = antwort.ergebnis;
    const Schreibauftrag& a = an.auftrag;
    const int zeile = an.zeile;
    const int spalte = a.spalten.value(0);
    // The grid row still shows the written row only within the same source.
    const bool hier = an.generation == m_generation && zeile < m_anzahl;
    if (m_odbc) {
        if (hier)
            m_odbc->Geschrieben(zeile, a.spalten, a.werte, e.geschrieben());
    } else if (hier && e.geschrieben() && spalte == AlarmFeld::Ident && m_schluessel != QLatin1String("rowid")) {
        // On a server the row's key is its Ident.
        m_reihenfolge[zeile] = Identschluessel::Nummer(a.werte.value(0));
    } else if (hier && e.geschrieben() && spalte == AlarmFeld::Ident) {
        // A new Ident may move the row to another rowid (Ident as the table's key):
        // followed when the service has said where, and read again then.
        SchluesselFolgen(a.zeile.toLongLong(), a.werte.value(0), zeile);
    }
    // Show what the database now holds, not what was typed.
    else if (hier)
        ZeilenNeuLesen(zeile, zeile);
    if (e.art == Schreibergebnis::Art::Geschrieben || e.art == Schreibergebnis::Art::Geaendert)
        emit ZelleGeschrieben(a, e);
    emit SchreibenBeantwortet(zeile, e.geschrieben());
    if (!e.geschrieben()) {
        Dialoge::aktuell().FehlerMeldung(nullptr, e.text, e.detail);
        return false;
    }
    return true;
}

bool AlarmdefsModell::SchreibenOffen(int zeile) const {
    for (const OffeneEingabe& e : m_offeneEingaben)
        if (e.zeile == zeile)
            return true;
    for (const Anfrage& an : m_anfragen)
        if (an.zweck == Anfrage::Zweck::Schreiben && an.zeile == zeile)
            return true;
    return false;
}

void AlarmdefsModell::NummerGewechselt(qlonglong alt, qlonglong neu) {
    if (alt == neu)
        return;
    if (m_odbc) {
        m_odbc->NummerGewechselt(alt, neu);
        return;
    }
    qint64 nachher = neu;
    if (m_schluessel == QLatin1String("rowid")) {
        // The rowid follows the number only where the number is the table's key.
        if (m_reihenfolge.contains(alt))
            SchluesselFolgen(alt, neu, -1);
        return;
    }
    for (qsizetype i = 0; i < m_reihenfolge.size(); ++i)
        if (m_reihenfolge.at(i) == alt) {
            m_reihenfolge[i] = nachher;
            const int seite = static_cast<int>(i / SeitenGroesse);
            Freigabe::ImHintergrund(m_seiten.take(seite));
            m_seitenTickets.remove(seite);  // a page on its way carries the old key
        }
}

AlarmdefsModell::Einfuegung AlarmdefsModell::EinfuegenPlanen(const QList<QStringList>& block, int zeile, int spalte,
                                                              int zeilen, int spalten) const {
    Einfuegung plan;
    if (block.isEmpty() || block.first().isEmpty())
        return plan;
    const int bis = std::min(zeile + zeilen, rowCount());
    const int rechts = std::min(spalte + spalten, std::min<int>(columnCount(), AlarmFeld::Spalten));
    for (int r = zeile; r < bis; ++r) {
        QVariantList gelesen;
        QVariant schluessel;
        // The window reads the rows first: a row not in memory is not waited for here.
        const Zeile* z = ZeileGeladen(r) ? ZeileHolen(r) : nullptr;
        if (!z) {
            plan.abgelehnt << QStringLiteral("Zeile %1: lässt sich nicht lesen.").arg(r + 1);
            continue;
        }
        gelesen = z->Werte();
        if (m_schluessel == QLatin1String("rowid"))
            schluessel = z->schluessel;
        Schreibauftrag a;
        a.ident = gelesen.value(AlarmFeld::Ident).toString();
        a.zeile = schluessel;
        const QStringList& quelle = block.at((r - zeile) % block.size());
        for (int c = spalte; c < rechts; ++c) {
            const QString text = quelle.at((c - spalte) % quelle.size());
            const QString wo = QStringLiteral("Zeile %1 (Alarm %2), %3: ")
                                   .arg(r + 1)
                                   .arg(a.ident, AlarmRecordBau::SpaltenNamen().at(c));
            QVariant wert;
            if (const auto grund = AlarmdefsZugriff::WertPruefen(c, text, &wert)) {
                plan.abgelehnt << wo + *grund;
                continue;
            }
            const QVariant alt = gelesen.value(c);
            if (alt.isNull() == wert.isNull() && alt.toString() == wert.toString()) {
                ++plan.unveraendert;
                continue;
            }
            // Renumbering many alarms at once is never meant by a paste.
            if (c == AlarmFeld::Ident) {
                plan.abgelehnt << wo + QStringLiteral("Die Alarmnummer wird beim Einfügen nicht geändert.");
                continue;
            }
            a.spalten << c;
            a.werte << wert;
        }
        if (a.spalten.isEmpty())
            continue;
        AlarmRecord satz(AlarmFeld::Anzahl);
        for (int i = 0; i < AlarmFeld::Spalten; ++i)
            satz[i] = AlarmRecordBau::FeldText(i, gelesen.value(i));
        a.gelesen = satz;
        plan.auftraege << a;
    }
    return plan;
}


void AlarmdefsModell::SchluesselFolgen(qint64 alt, const QVariant& neu, int zeile) {
    // One read on the worker, behind the write: whether the old rowid is still
    // there, and the rowid of the row that carries the new number now.
    Anfrage an;
    an.zweck = Anfrage::Zweck::Folgen;
    an.generation = m_generation;
    an.alt = alt;
    an.zeile = zeile;
    const QString sql = QStringLiteral("select (select count(*) from %1 where rowid = %2), rowid from %1 where %3 = ?")
                            .arg(Tabelle())
                            .arg(alt)
                            .arg(SpalteNr(AlarmFeld::Ident));
    const Datendienst::Ticket t = m_dienst->ZeilenLesen(sql, {neu});
    m_anfragen.insert(t, an);
    // Answered at once when it comes within a frame, as the write before it.
    if (const auto a = m_dienst->AbwartenUngesperrt(t, Datendienst::HoechstensWartenMs)) {
        m_anfragen.remove(t);
        FolgenErhalten(*a, an);
    }
}

void AlarmdefsModell::FolgenErhalten(const Datendienst::Antwort& a, const Anfrage& an) {
    if (an.generation != m_generation)
        return;  // another source: its keys were read afresh
    if (a.ok && a.zeilen.size() == 1 && a.zeilen.first().value(0).toLongLong() == 0) {
        const qint64 nachher = a.zeilen.first().value(1).toLongLong();
        for (qsizetype i = 0; i < m_reihenfolge.size(); ++i)
            if (m_reihenfolge.at(i) == an.alt) {
                m_reihenfolge[i] = nachher;
                if (an.zeile >= 0)
                    continue;  // read again in place below
                const int seite = static_cast<int>(i / SeitenGroesse);
                Freigabe::ImHintergrund(m_seiten.take(seite));
                m_seitenTickets.remove(seite);  // a page on its way carries the old key
                const int r = static_cast<int>(i);
                emit dataChanged(index(r, 0), index(r, columnCount() - 1));
            }
    }
    if (an.zeile >= 0 && an.zeile < m_anzahl)
        ZeilenNeuLesen(an.zeile, an.zeile);
}

const AlarmdefsModell::Zeile* AlarmdefsModell::ZeileAbwarten(int row, int ms) const {
    // Held: taken; otherwise only this wait is spent on it, not a paint's as well.
    if (ZeileGeladen(row))
        return ZeileHolen(row);
    const Datendienst::Ticket t = m_seitenTickets.value(row / SeitenGroesse);
    if (!t)
        return nullptr;  // failed a moment ago: the file is locked
    const auto a = m_dienst->AbwartenUngesperrt(t, ms);
    if (!a)
        return nullptr;
    auto* self = const_cast<AlarmdefsModell*>(this);
    const Anfrage an = self->m_anfragen.take(t);
    self->ZeilenErhalten(*a, an, true);
    auto it = m_seiten.constFind(row / SeitenGroesse);
    return it != m_seiten.constEnd() && row % SeitenGroesse < it->size() ? &it->at(row % SeitenGroesse) : nullptr;
}

bool AlarmdefsModell::ZeileLesen(int zeile, int warteMs) {
    if (ZeileGeladen(zeile))
        return true;
    if (m_odbc || zeile < 0 || zeile >= m_anzahl)
        return false;
    const int seite = zeile / SeitenGroesse;
    if (!m_seitenTickets.contains(seite)) {
        m_fehlSeiten.remove(seite);
        SeiteAnfordern(seite, false);
    }
    // Asked for by the view before: wanted now whatever the view shows next.
    m_ansichtSeiten.removeIf([seite](const std::pair<int, Datendienst::Ticket>& s) { return s.first == seite; });
    return warteMs > 0 && ZeileAbwarten(zeile, warteMs) != nullptr;
}

qint64 AlarmdefsModell::Schluessel(int zeile) const {
    if (m_odbc)
        return m_odbc->Schluessel(zeile);
    return zeile >= 0 && zeile < m_reihenfolge.size() ? m_reihenfolge.at(zeile) : -1;
}

bool AlarmdefsModell::ZeileGeladen(int zeile) const {
    if (m_odbc)
        return zeile < m_anzahl && m_odbc->ZeileBei(zeile) != nullptr;
    const auto it = m_seiten.constFind(zeile / SeitenGroesse);
    return zeile >= 0 && zeile < m_anzahl && it != m_seiten.constEnd() && zeile % SeitenGroesse < it->size();
}

int AlarmdefsModell::ZeileMitSchluessel(qint64 schluessel, int nahe) const {
    if (Schluessel(nahe) == schluessel)
        return nahe;
    if (m_odbc)
        return m_odbc->ZeileMitSchluessel(schluessel);
    return static_cast<int>(m_reihenfolge.indexOf(schluessel));
}

void AlarmdefsModell::ZeilenNeuLesen(int von, int bis) {
    von = std::max(von, 0);
    bis = std::min(bis, m_anzahl - 1);
    if (m_odbc) {
        QVector<int> positionen;
        for (int r = von; r <= bis; ++r)
            positionen << r;
        m_odbc->Nachlesen(positionen);
        return;
    }
    m_fehlSeiten.clear();  // asked for: read again
    // Pages outside the range, also those on their way, are read afresh when they are needed again.
    const int ersteSeite = bis < von ? 0 : von / SeitenGroesse, letzteSeite = bis < von ? -1 : bis / SeitenGroesse;
    QVector<QVector<Zeile>> weg;  // rows the worker read: let go there
    for (auto it = m_seiten.begin(); it != m_seiten.end();) {
        if (it.key() < ersteSeite || it.key() > letzteSeite) {
            m_seitenAlter.removeOne(it.key());
            weg.append(std::move(*it));
            it = m_seiten.erase(it);
        } else {
            ++it;
        }
    }
    if (!weg.isEmpty())
        Freigabe::ImHintergrund(std::move(weg));
    for (auto it = m_seitenTickets.begin(); it != m_seitenTickets.end();)
        it = it.key() < ersteSeite || it.key() > letzteSeite ? m_seitenTickets.erase(it) : std::next(it);
    if (bis < von)
        return;
    // Only the rows held are read again; the others come fresh with their page.
    QVector<int> positionen;
    for (int r = von; r <= bis; ++r) {
        const auto seite = m_seiten.constFind(r / SeitenGroesse);
        if (seite != m_seiten.constEnd() && r % SeitenGroesse < seite->size())
            positionen.append(r);
    }
    ZeilenAnfordern(positionen, -1, Datendienst::HoechstensWartenMs);
}

void AlarmdefsModell::ZeilenMitNummernNeuLesen(const QSet<qlonglong>& idents) {
    if (idents.isEmpty())
        return;
    if (m_odbc) {
        m_odbc->NummernNachlesen(idents);
        return;
    }
    // Only the rows kept in memory are read again, in one statement; the pages
    // stay and the view does not move.
    QVector<int> zeilen;
    for (auto it = m_seiten.cbegin(); it != m_seiten.cend(); ++it)
        for (int i = 0; i < it->size(); ++i)
            if (idents.contains(Identschluessel::Nummer(it->at(i).Wert(AlarmFeld::Ident))))
                zeilen << it.key() * SeitenGroesse + i;
    std::sort(zeilen.begin(), zeilen.end());
    // Not waited for: the rows go on showing what they held until the answer
    // comes, and the client that told of them may still hold the table.
    ZeilenAnfordern(zeilen, -1, 0);
}

void AlarmdefsModell::ZeileSuchen(qlonglong ident, int warteMs) {
    if (m_odbc) {
        m_odbc->Suchen(ident, warteMs);
        return;
    }
    // A server's description is answered before any source asked after it, and
    // may order the rows anew (digits as text): it is taken first, within the wait.
    if (m_beschreibTicket && warteMs > 0 && m_schluesselSpalte != QLatin1String("rowid")) {
        const QDeadlineTimer bis(warteMs);
        const Datendienst::Ticket t = m_beschreibTicket;
        if (const auto d = m_dienst->Abwarten(t, warteMs)) {
            m_anfragen.remove(t);
            BeschreibungErhalten(*d);
        }
        warteMs = static_cast<int>(std::max<qint64>(bis.remainingTime(), 0));
    }
    if (m_gesucht && m_gesucht->ticket)
        m_anfragen.remove(m_gesucht->ticket);
    // Looked for in the source asked for last, also while its order is still on its way.
    Quelle quelle = m_quelle;
    if (m_quellTicket)
        quelle = m_anfragen.value(m_quellTicket).quelle;
    // One statement says whether the table holds the number, where, and whether the source does.
    const QString drin = quelle.filter.isEmpty() ? QStringLiteral("1")
                                                 : QStringLiteral("case when (%1) then 1 else 0 end").arg(quelle.filter);
    Anfrage an;
    an.zweck = Anfrage::Zweck::Finden;
    an.ident = ident;
    an.quelle = quelle;
    const QString anfrage = QStringLiteral("select %1 as drin, %2, %3 from %4 where %5 = ? order by drin desc, %3")
                                .arg(drin, Spalte(QStringLiteral("Form")), m_schluesselSpalte, Tabelle(), Spalte(QStringLiteral("Ident")));
    Gesucht g;
    g.ident = ident;
    g.ticket = m_dienst->ZeilenLesen(anfrage, {ident});
    m_gesucht = g;
    m_anfragen.insert(g.ticket, an);
    if (warteMs <= 0)
        return;
    const QDeadlineTimer frist(warteMs);
    // The source asked for before comes first (it is answered before the look-up).
    if (m_quellTicket) {
        const Datendienst::Ticket t = m_quellTicket;
        if (const auto q = m_dienst->Abwarten(t, static_cast<int>(frist.remainingTime())))
            QuelleErhalten(*q, m_anfragen.take(t), true);
    }
    if (!m_gesucht || m_gesucht->ticket != g.ticket)
        return;  // answered meanwhile, or asked again for another source
    if (const auto a = m_dienst->Abwarten(g.ticket, static_cast<int>(frist.remainingTime()))) {
        m_anfragen.remove(g.ticket);
        FindenErhalten(*a, an);
    }
    // Not counted yet: the count takes its steps now, as long as the caller waits.
    while (m_gesucht && !m_gesucht->ticket && !m_vollstaendig && !frist.hasExpired() &&
           WeiterLesenJetzt(static_cast<int>(frist.remainingTime())))
        GesuchtWeiter();
}

void AlarmdefsModell::FindenErhalten(const Datendienst::Antwort& a, const Anfrage& an) {
    if (!m_gesucht || m_gesucht->ticket != a.ticket)
        return;  // a newer request replaced it
    m_gesucht->ticket = 0;
    if (a.abgebrochen)
        return;
    const qlonglong ident = an.ident;
    if (!a.ok || a.zeilen.isEmpty()) {
        m_gesucht.reset();
        emit ZeileGefunden(ident, -1, false, QString());
        return;
    }
    const QVector<QVariant>& erste = a.zeilen.first();
    m_gesucht->form = erste.value(1).toString();
    if (erste.value(0).toInt() != 1) {
        m_gesucht.reset();
        emit ZeileGefunden(ident, -1, true, erste.value(1).toString());
        return;
    }
    m_gesucht->schluessel = Identschluessel::Nummer(erste.value(2));
    m_gesucht->filter = an.quelle.filter;
    GesuchtWeiter();
}

void AlarmdefsModell::GesuchtWeiter() {
    if (!m_gesucht || m_gesucht->ticket || m_quellTicket)
        return;  // still on its way, or the source it is looked for in
    const qlonglong ident = m_gesucht->ident;
    // The source changed meanwhile: the row is looked for in the new one.
    if (m_gesucht->filter != m_quelle.filter) {
        ZeileSuchen(ident, 0);
        return;
    }
    const qsizetype r = m_reihenfolge.indexOf(m_gesucht->schluessel, 0);
    if (r >= 0) {
        const QString form = m_gesucht->form;
        m_gesucht.reset();
        emit ZeileGefunden(ident, static_cast<int>(r), true, form);
        return;
    }
    if (m_vollstaendig) {
        const QString form = m_gesucht->form;
        m_gesucht.reset();
        emit ZeileGefunden(ident, -1, true, form);
        return;
    }
    // Not counted yet: the count goes on by itself and looks again with each step.
    if (!m_weiterTicket)
        WeiterLesen(m_generation);
}

// Rows come through the data service, never through the table model's own query.
bool AlarmdefsModell::canFetchMore(const QModelIndex&) const { return false; }

void AlarmdefsModell::fetchMore(const QModelIndex&) {}

void AlarmdefsModell::sort(int column, Qt::SortOrder ordnung) { SortierenNach(column, ordnung); }
