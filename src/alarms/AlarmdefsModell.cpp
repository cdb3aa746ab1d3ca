#include "alarms/AlarmdefsModell.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <algorithm>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "alarms/DatenbankFehler.h"
#include "alarms/DeutscheReihung.h"
#include "alarms/Dialoge.h"

AlarmdefsModell::AlarmdefsModell(QObject* parent, const QSqlDatabase& db, const QString& sDatenbank)
    : QSqlTableModel(parent, db), m_datenbank(sDatenbank) {
    const bool server = db.driverName() == QLatin1String("QPSQL");
    m_seitenweise = server || db.driverName() == QLatin1String("QSQLITE");
    // Keyset paging on the Ident on a server: its row addresses change with every update.
    m_schluessel = server ? AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Ident")) : QStringLiteral("rowid");
    // PostgreSQL folds a name without quotes to lower case.
    setTable(server ? AlarmdefsZugriff::Tabelle(db) : QStringLiteral("Alarmdefs"));
    setEditStrategy(QSqlTableModel::OnFieldChange);
    // Text columns sort in German order: Ü with U, ß with ss.
    DeutscheReihung::Anmelden(db);
    m_textReihung = DeutscheReihung::Zusatz(db);
}

bool AlarmdefsModell::IstZahlenSpalte(int spalte) { return AlarmdefsZugriff::IstZahlenSpalte(spalte); }
int AlarmdefsModell::SpaltenBreite(int spalte) { return AlarmdefsZugriff::SpaltenBreite(spalte); }

QString AlarmdefsModell::Spalte(const QString& name) const { return AlarmdefsZugriff::SpaltenName(database(), name); }
QString AlarmdefsModell::SpalteNr(int spalte) const { return Spalte(AlarmRecordBau::SpaltenNamen().at(spalte)); }

QString AlarmdefsModell::selectStatement() const {
    // Other drivers read through the table model too, but by the 18 names in their own order.
    QString sql = QStringLiteral("select %1 from %2").arg(AlarmdefsZugriff::SpaltenListe(database()), Tabelle());
    if (!m_waehlend.filter.isEmpty())
        sql += QStringLiteral(" where ") + m_waehlend.filter;
    if (m_waehlend.sortSpalte >= 0)
        sql += QStringLiteral(" order by ") + SpalteNr(m_waehlend.sortSpalte) +
               (m_waehlend.ordnung == Qt::DescendingOrder ? QStringLiteral(" desc") : QString());
    return sql;
}

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
    if (!m_seitenweise) {
        const QString alterFilter = filter();
        m_waehlend = neu;
        QSqlTableModel::setFilter(neu.filter);
        QSqlTableModel::setSort(neu.sortSpalte, neu.ordnung);
        if (QSqlTableModel::select()) {
            m_quelle = neu;
            m_gewaehlt = true;
            return true;
        }
        const QSqlError fehler = lastError();
        m_waehlend = m_quelle;
        QSqlTableModel::setFilter(alterFilter);
        QSqlTableModel::setSort(m_quelle.sortSpalte, m_quelle.ordnung);
        if (m_gewaehlt)
            QSqlTableModel::select();
        setLastError(fehler);
        return false;
    }

    // The row order is read first: a rejected statement leaves the rows shown before.
    QVector<qint64> reihenfolge;
    bool vollstaendig = true;
    if (neu.sortSpalte >= 0) {
        // A sorted source orders all rows once; paging then reads by rowid.
        QSqlQuery q(database());
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("select %3 from %1%2 order by %4").arg(Tabelle(), Bedingung(neu), m_schluessel, Reihung(neu)))) {
            setLastError(q.lastError());
            return false;
        }
        while (q.next())
            reihenfolge.append(q.value(0).toLongLong());
    } else {
        QSqlError fehler;
        if (!RowidsLesen(neu, false, ErsterTeil, &reihenfolge, &fehler)) {
            setLastError(fehler);
            return false;
        }
        vollstaendig = reihenfolge.size() < ErsterTeil;
    }

    beginResetModel();
    m_quelle = neu;
    m_gewaehlt = true;
    m_reihenfolge = std::move(reihenfolge);
    m_anzahl = static_cast<int>(m_reihenfolge.size());
    m_vollstaendig = vollstaendig;
    ++m_generation;
    m_seiten.clear();
    m_seitenAlter.clear();
    m_fehlSeiten.clear();
    endResetModel();
    setLastError(QSqlError());
    // The rest is counted in short steps once the first rows are on screen,
    // so the window stays responsive on a million rows.
    if (!m_vollstaendig)
        QTimer::singleShot(WeiterNachMs, this, [this, g = m_generation] { WeiterLesen(g); });
    return true;
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

bool AlarmdefsModell::RowidsLesen(const Quelle& q, bool weiter, int hoechstens, QVector<qint64>* aus,
                                  QSqlError* fehler) const {
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
    QSqlQuery sql(database());
    sql.setForwardOnly(true);
    if (!sql.exec(QStringLiteral("select %4 from %1%2 order by %4 limit %3")
                      .arg(Tabelle(), bedingung.isEmpty() ? QString() : QStringLiteral(" where ") + bedingung)
                      .arg(hoechstens + schonDa)
                      .arg(m_schluessel))) {
        *fehler = sql.lastError();
        return false;
    }
    for (int i = 0; sql.next(); ++i)
        if (i >= schonDa)
            aus->append(sql.value(0).toLongLong());
    return true;
}

void AlarmdefsModell::WeiterLesen(int generation) {
    if (generation != m_generation || m_vollstaendig)
        return;
    QVector<qint64> teil;
    QSqlError fehler;
    if (!RowidsLesen(m_quelle, true, WeitererTeil, &teil, &fehler)) {
        // The rows read so far stay; the counting goes on once the lock is gone.
        if (!m_aufgehalten) {
            m_aufgehalten = true;
            emit ListeUnvollstaendig(
                QStringLiteral("Die Alarmliste ist unvollständig (%1 gelesen): %2 Es wird weiter gelesen.")
                    .arg(Anzahltext::Zeilen(m_anzahl))
                    .arg(DatenbankFehler::Deuten(fehler, m_datenbank).text));
        }
        QTimer::singleShot(NachlesenNachMs, this, [this, generation] { WeiterLesen(generation); });
        return;
    }
    if (!teil.isEmpty()) {
        beginInsertRows(QModelIndex(), m_anzahl, m_anzahl + static_cast<int>(teil.size()) - 1);
        m_reihenfolge += teil;
        m_anzahl = static_cast<int>(m_reihenfolge.size());
        endInsertRows();
    }
    m_vollstaendig = teil.size() < WeitererTeil;
    if (!m_vollstaendig)
        QTimer::singleShot(0, this, [this, generation] { WeiterLesen(generation); });
    else if (m_aufgehalten) {
        m_aufgehalten = false;
        emit ListeVollstaendig(m_anzahl);
    }
}

bool AlarmdefsModell::AllesGelesen() const { return m_vollstaendig; }

bool AlarmdefsModell::ZeilenAn(const QVector<int>& positionen, QVector<Zeile>* aus, QString* fehler) const {
    aus->clear();
    if (positionen.isEmpty())
        return true;
    QStringList liste;
    liste.reserve(positionen.size());
    for (int p : positionen)
        liste.append(QString::number(m_reihenfolge.at(p)));
    QSqlQuery q(database());
    q.setForwardOnly(true);
    // The 18 columns by name: a table with other columns or another order still
    // gives each grid column its own (a cell edit of X never writes Y).
    if (!q.exec(QStringLiteral("select %3, %5 from %1 where %3 in (%2) order by %4")
                    .arg(Tabelle(), liste.join(QLatin1Char(',')), m_schluessel, Reihung(m_quelle),
                         AlarmdefsZugriff::SpaltenListe(database())))) {
        *fehler = q.lastError().text();
        return false;
    }
    const int spalten = columnCount();
    QHash<qint64, QVector<Zeile>> gelesen;
    while (q.next()) {
        Zeile z;
        z.rowid = q.value(0).toLongLong();
        z.werte.reserve(spalten);
        for (int i = 0; i < spalten; ++i)
            z.werte.append(q.value(i + 1));
        gelesen[z.rowid].append(std::move(z));
    }
    aus->reserve(positionen.size());
    for (int p : positionen) {
        const qint64 id = m_reihenfolge.at(p);
        const QVector<Zeile> zeilen = gelesen.value(id);
        // A row deleted meanwhile by another program shows as empty.
        Zeile z = zeilen.size() == 1 ? zeilen.first() : zeilen.value(zeilen.isEmpty() ? 0 : Vorkommen(p));
        z.rowid = id;
        z.werte.resize(spalten);
        aus->append(std::move(z));
    }
    return true;
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

bool AlarmdefsModell::SeiteLesen(int seite) const {
    QVector<int> positionen;
    for (int p = seite * SeitenGroesse; p < std::min<int>(m_reihenfolge.size(), (seite + 1) * SeitenGroesse); ++p)
        positionen.append(p);
    QVector<Zeile> zeilen;
    QString fehler;
    if (!ZeilenAn(positionen, &zeilen, &fehler)) {
        // Each cell of the page would wait for the lock again.
        m_fehlSeiten.insert(seite);
        if (!m_nachlesenGeplant) {
            m_nachlesenGeplant = true;
            QTimer::singleShot(NachlesenNachMs, const_cast<AlarmdefsModell*>(this),
                               [m = const_cast<AlarmdefsModell*>(this)] { m->FehlSeitenNachlesen(); });
        }
        return false;
    }
    m_seiten.insert(seite, std::move(zeilen));
    m_seitenAlter.append(seite);
    while (m_seitenAlter.size() > SeitenHoechstens)
        m_seiten.remove(m_seitenAlter.takeFirst());
    return true;
}

void AlarmdefsModell::FehlSeitenNachlesen() {
    m_nachlesenGeplant = false;
    if (m_fehlSeiten.isEmpty())
        return;
    const QList<int> seiten = m_fehlSeiten.values();
    m_fehlSeiten.clear();
    // Still locked: fail at once instead of waiting once more.
    const bool sqlite = database().driverName() == QLatin1String("QSQLITE");
    if (sqlite)
        QSqlQuery(database()).exec(QStringLiteral("pragma busy_timeout = 0"));
    QList<int> gelesen;
    for (int seite : seiten)
        if (!m_seiten.contains(seite) && SeiteLesen(seite))
            gelesen.append(seite);
    if (sqlite)
        QSqlQuery(database()).exec(QStringLiteral("pragma busy_timeout = %1").arg(AlarmdefsZugriff::WarteAufSperreMs));
    for (int seite : gelesen) {
        const int von = seite * SeitenGroesse;
        const int bis = std::min(m_anzahl, von + SeitenGroesse) - 1;
        if (bis >= von)
            emit dataChanged(index(von, 0), index(bis, columnCount() - 1));
    }
}

const AlarmdefsModell::Zeile* AlarmdefsModell::ZeileHolen(int row) const {
    if (row < 0 || row >= m_anzahl)
        return nullptr;
    const int seite = row / SeitenGroesse;
    auto it = m_seiten.constFind(seite);
    if (it == m_seiten.constEnd()) {
        if (m_fehlSeiten.contains(seite))
            return nullptr;
        if (!SeiteLesen(seite))
            return nullptr;
        it = m_seiten.constFind(seite);
    } else if (m_seitenAlter.last() != seite) {
        m_seitenAlter.removeOne(seite);
        m_seitenAlter.append(seite);
    }
    const int i = row % SeitenGroesse;
    return i < it->size() ? &it->at(i) : nullptr;
}

int AlarmdefsModell::rowCount(const QModelIndex& parent) const {
    if (!m_seitenweise)
        return QSqlTableModel::rowCount(parent);
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
    if (!m_seitenweise)
        return QSqlTableModel::data(index, role);
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const Zeile* z = ZeileHolen(index.row());
    if (!z || index.column() >= z->werte.size())
        return {};
    return z->werte.at(index.column());
}

QVariant AlarmdefsModell::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount()) {
        // the name as the table spells it
        const QString name = AlarmRecordBau::SpaltenNamen().at(section);
        const QSqlRecord rec = record();
        for (int i = 0; i < rec.count(); ++i)
            if (rec.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
                return rec.fieldName(i);
        return name;
    }
    if (!m_seitenweise)
        return QSqlTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
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
    // The row as this grid read it: the cell is written only while the row still holds it.
    QVariantList gelesen;
    QVariant schluessel;
    if (m_seitenweise) {
        const Zeile* z = ZeileHolen(index.row());
        if (!z) {
            Dialoge::aktuell().Meldung(nullptr, kopf + QStringLiteral("Die Zeile lässt sich nicht lesen."));
            return false;
        }
        gelesen = z->werte.toList();
        // SQLite names the row by its rowid; a server by its number and values.
        if (m_schluessel == QLatin1String("rowid"))
            schluessel = z->rowid;
    } else {
        for (int i = 0; i < columnCount(); ++i)
            gelesen << QSqlTableModel::data(this->index(index.row(), i));
    }
    const QVariant alt = gelesen.value(index.column());
    if (alt.isNull() == wert.isNull() && alt.toString() == wert.toString())
        return true;
    Schreibauftrag a;
    a.ident = gelesen.value(AlarmFeld::Ident).toString();
    a.zeile = schluessel;
    a.spalten = {index.column()};
    a.werte = {wert};
    AlarmRecord satz(AlarmFeld::Anzahl);
    for (int i = 0; i < AlarmFeld::Spalten; ++i)
        satz[i] = AlarmRecordBau::FeldText(i, gelesen.value(i));
    a.gelesen = satz;
    QSqlDatabase db = database();
    const Schreibergebnis e = AlarmdefsZugriff::Schreiben(db, m_datenbank, a);
    if (m_seitenweise && e.geschrieben() && index.column() == AlarmFeld::Ident && m_schluessel != QLatin1String("rowid")) {
        // On a server the row's key is its Ident.
        m_reihenfolge[index.row()] = wert.toLongLong();
    } else if (m_seitenweise && e.geschrieben() && index.column() == AlarmFeld::Ident &&
               !ZeileNochDa(schluessel.toLongLong())) {
        // A new Ident may move the row to another rowid (Ident as the table's key): follow it,
        // so the row keeps showing.
        QSqlQuery q(database());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("select rowid from %1 where %2 = ?").arg(Tabelle(), SpalteNr(index.column())));
        q.addBindValue(wert);
        if (q.exec() && q.next()) {
            const qint64 neu = q.value(0).toLongLong();
            if (!q.next())
                m_reihenfolge[index.row()] = neu;
        }
    }
    // Show what the database now holds, not what was typed.
    ZeilenNeuLesen(index.row(), index.row());
    if (e.art == Schreibergebnis::Art::Geschrieben || e.art == Schreibergebnis::Art::Geaendert)
        emit ZelleGeschrieben(a, e);
    if (!e.geschrieben()) {
        Dialoge::aktuell().FehlerMeldung(nullptr, e.text, e.detail);
        return false;
    }
    return true;
}

void AlarmdefsModell::NummerGewechselt(qlonglong alt, qlonglong neu) {
    if (!m_seitenweise || alt == neu)
        return;
    qint64 nachher = neu;
    if (m_schluessel == QLatin1String("rowid")) {
        // The rowid follows the number only where the number is the table's key.
        if (!m_reihenfolge.contains(alt) || ZeileNochDa(alt))
            return;
        QSqlQuery q(database());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("select rowid from %1 where %2 = ?").arg(Tabelle(), SpalteNr(AlarmFeld::Ident)));
        q.addBindValue(neu);
        if (!q.exec() || !q.next())
            return;
        nachher = q.value(0).toLongLong();
        if (q.next())
            return;
    }
    for (qsizetype i = 0; i < m_reihenfolge.size(); ++i)
        if (m_reihenfolge.at(i) == alt) {
            m_reihenfolge[i] = nachher;
            m_seiten.remove(static_cast<int>(i / SeitenGroesse));
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
        if (m_seitenweise) {
            const Zeile* z = ZeileHolen(r);
            if (!z) {
                plan.abgelehnt << QStringLiteral("Zeile %1: lässt sich nicht lesen.").arg(r + 1);
                continue;
            }
            gelesen = z->werte.toList();
            if (m_schluessel == QLatin1String("rowid"))
                schluessel = z->rowid;
        } else {
            for (int i = 0; i < columnCount(); ++i)
                gelesen << QSqlTableModel::data(index(r, i));
        }
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

bool AlarmdefsModell::ZeileNochDa(qint64 rowid) const {
    QSqlQuery q(database());
    q.setForwardOnly(true);
    return q.exec(QStringLiteral("select 1 from %1 where rowid = %2").arg(Tabelle()).arg(rowid)) && q.next();
}

void AlarmdefsModell::ZeilenNeuLesen(int von, int bis) {
    von = std::max(von, 0);
    bis = std::min(bis, m_anzahl - 1);
    if (!m_seitenweise) {
        for (int r = von; r <= bis; ++r)
            selectRow(r);
        return;
    }
    m_fehlSeiten.clear();  // asked for: read again
    if (bis < von) {
        m_seiten.clear();
        m_seitenAlter.clear();
        return;
    }
    // Pages outside the range are read afresh when they are needed again.
    const int ersteSeite = von / SeitenGroesse, letzteSeite = bis / SeitenGroesse;
    for (auto it = m_seiten.begin(); it != m_seiten.end();) {
        if (it.key() < ersteSeite || it.key() > letzteSeite) {
            m_seitenAlter.removeOne(it.key());
            it = m_seiten.erase(it);
        } else {
            ++it;
        }
    }
    QVector<int> positionen;
    for (int r = von; r <= bis; ++r)
        positionen.append(r);
    QVector<Zeile> gelesen;
    QString fehler;
    if (!ZeilenAn(positionen, &gelesen, &fehler))
        return;
    for (int r = von; r <= bis; ++r) {
        auto it = m_seiten.find(r / SeitenGroesse);
        if (it == m_seiten.end() || r % SeitenGroesse >= it->size())
            continue;
        (*it)[r % SeitenGroesse] = gelesen.at(r - von);
    }
    emit dataChanged(index(von, 0), index(bis, columnCount() - 1));
}

void AlarmdefsModell::ZeilenMitNummernNeuLesen(const QSet<qlonglong>& idents) {
    if (idents.isEmpty())
        return;
    if (!m_seitenweise) {
        for (int r = 0; r < QSqlTableModel::rowCount(); ++r)
            if (idents.contains(QSqlTableModel::data(index(r, AlarmFeld::Ident)).toLongLong()))
                selectRow(r);
        return;
    }
    // Only the rows kept in memory are read again, in one statement; the pages
    // stay and the view does not move.
    QVector<int> zeilen;
    for (auto it = m_seiten.cbegin(); it != m_seiten.cend(); ++it)
        for (int i = 0; i < it->size(); ++i)
            if (idents.contains(it->at(i).werte.value(AlarmFeld::Ident).toLongLong()))
                zeilen << it.key() * SeitenGroesse + i;
    QVector<Zeile> gelesen;
    QString fehler;
    if (zeilen.isEmpty() || !ZeilenAn(zeilen, &gelesen, &fehler))
        return;
    for (int i = 0; i < zeilen.size(); ++i) {
        const int r = zeilen.at(i);
        auto seite = m_seiten.find(r / SeitenGroesse);
        if (seite == m_seiten.end())
            continue;
        (*seite)[r % SeitenGroesse] = gelesen.at(i);
        emit dataChanged(index(r, 0), index(r, columnCount() - 1));
    }
}

int AlarmdefsModell::ZeileVon(qlonglong ident) {
    if (!m_seitenweise) {
        for (int r = 0;; ++r) {
            if (r >= QSqlTableModel::rowCount()) {
                if (!QSqlTableModel::canFetchMore())
                    return -1;
                QSqlTableModel::fetchMore();
                if (r >= QSqlTableModel::rowCount())
                    return -1;
            }
            if (QSqlTableModel::data(index(r, AlarmFeld::Ident)).toLongLong() == ident)
                return r;
        }
    }
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select %4 from %1 where %2 = ?%3 order by %4")
                  .arg(Tabelle(), Spalte(QStringLiteral("Ident")),
                       m_quelle.filter.isEmpty() ? QString() : QStringLiteral(" and (%1)").arg(m_quelle.filter),
                       m_schluessel));
    q.addBindValue(ident);
    if (!q.exec() || !q.next())
        return -1;
    const qint64 rowid = q.value(0).toLongLong();
    int r = static_cast<int>(m_reihenfolge.indexOf(rowid));
    // Not counted yet: the rest of the source is counted now.
    while (r < 0 && !m_vollstaendig) {
        const qsizetype vorher = m_reihenfolge.size();
        WeiterLesen(m_generation);
        if (m_reihenfolge.size() == vorher && !m_vollstaendig)
            return -1;  // held up by a lock
        r = static_cast<int>(m_reihenfolge.indexOf(rowid, vorher));
    }
    return r;
}

bool AlarmdefsModell::canFetchMore(const QModelIndex& parent) const {
    return m_seitenweise ? false : QSqlTableModel::canFetchMore(parent);
}

void AlarmdefsModell::fetchMore(const QModelIndex& parent) {
    if (!m_seitenweise)
        QSqlTableModel::fetchMore(parent);
}

void AlarmdefsModell::sort(int column, Qt::SortOrder ordnung) { SortierenNach(column, ordnung); }
