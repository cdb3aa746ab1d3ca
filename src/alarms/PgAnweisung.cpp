#include "alarms/PgAnweisung.h"

#include <QAtomicInteger>
#include <QHash>
#include <QThread>
#include <QMetaType>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QStringList>

#include "alarms/PgVerbindung.h"

namespace {
QAtomicInteger<int> g_anweisungen;

// The type the driver gives a column of this server type; Unknown where it
// would give something else than a number, a truth value or text.
int QtTyp(Oid typ) {
    switch (typ) {
    case 16:  // bool
        return QMetaType::Bool;
    case 20:  // int8
        return QMetaType::LongLong;
    case 21:  // int2
    case 23:  // int4
        return QMetaType::Int;
    case 25:    // text
    case 1042:  // char(n)
    case 1043:  // varchar
        return QMetaType::QString;
    default:
        return QMetaType::UnknownType;
    }
}

// The driver's ? placeholders as the protocol's $1, $2, …; quoted names and
// texts are left as they are.
QByteArray Nummeriert(const QString& sql) {
    QString aus;
    aus.reserve(sql.size() + 32);
    QChar in;  // the quote being inside, or none
    int n = 0;
    for (const QChar c : sql) {
        if (!in.isNull()) {
            if (c == in)
                in = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            in = c;
        } else if (c == QLatin1Char('?')) {
            aus += QLatin1Char('$') + QString::number(++n);
            continue;
        }
        aus += c;
    }
    return aus.toUtf8();
}

// The statements prepared on one connection, a child of its driver; cleared
// when the driver stands for another connection than the one they were made on.
class Ablage : public QObject {
public:
    PGconn* verbindung = nullptr;
    int prozess = 0;
    QHash<QString, std::shared_ptr<PgAnweisung>> anweisungen;  // none: the driver's own way
};

QSqlError Fehler(PGconn* verbindung, const PGresult* r, const char* was) {
    const char* text = r ? PQresultErrorMessage(r) : nullptr;
    const char* code = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    return QSqlError(QString::fromLatin1(was),
                     QString::fromUtf8(text && *text ? text : PQerrorMessage(verbindung)).trimmed(),
                     QSqlError::StatementError, code ? QString::fromLatin1(code) : QString());
}
}  // namespace

PgAnweisung::PgAnweisung(const QSqlDatabase& db, PGconn* verbindung, QByteArray name)
    : m_treiber(db.driver()), m_verbindung(verbindung), m_name(std::move(name)) {}

PgAnweisung::~PgAnweisung() {
    // The server lets the prepared statement go with its connection; here only the last answer is freed.
    Freigeben();
}

void PgAnweisung::Freigeben() {
    if (m_ergebnis)
        PQclear(m_ergebnis);
    m_ergebnis = nullptr;
}

PgAnweisung* PgAnweisung::Fuer(const QSqlDatabase& db, const QString& sql, QSqlError* fehler) {
    const std::optional<PGconn*> libpq = PgVerbindung::Von(db);
    // Within a statement of the driver that is still being read, libpq takes no other.
    if (!libpq || !*libpq || PQstatus(*libpq) != CONNECTION_OK || PQtransactionStatus(*libpq) == PQTRANS_ACTIVE ||
        PQisBusy(*libpq) || db.driver()->thread() != QThread::currentThread())
        return nullptr;
    PGconn* c = *libpq;
    QSqlDriver* treiber = db.driver();
    Ablage* ablage = nullptr;
    for (QObject* kind : treiber->children())
        if (auto* a = dynamic_cast<Ablage*>(kind))
            ablage = a;
    if (!ablage) {
        ablage = new Ablage;
        ablage->setParent(treiber);
    }
    if (ablage->verbindung != c || ablage->prozess != PQbackendPID(c)) {
        ablage->anweisungen.clear();
        ablage->verbindung = c;
        ablage->prozess = PQbackendPID(c);
    }
    if (auto it = ablage->anweisungen.constFind(sql); it != ablage->anweisungen.cend())
        return it->get();
    QSqlError f;
    std::shared_ptr<PgAnweisung> a(Vorbereiten(db, c, sql, &f).release());
    if (f.isValid()) {
        if (fehler)
            *fehler = f;
        return nullptr;
    }
    ablage->anweisungen.insert(sql, a);
    return a.get();
}

std::unique_ptr<PgAnweisung> PgAnweisung::Vorbereiten(const QSqlDatabase& db, PGconn* c, const QString& sql,
                                                      QSqlError* fehler) {
    const QByteArray name = "tavero_schreiben_" + QByteArray::number(g_anweisungen.fetchAndAddRelaxed(1));
    const QByteArray text = Nummeriert(sql);
    PGresult* r = PQprepare(c, name.constData(), text.constData(), 0, nullptr);
    const bool ok = r && PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok) {
        if (fehler)
            *fehler = Fehler(c, r, "Unable to prepare statement");
        PQclear(r);
        return nullptr;
    }
    PQclear(r);
    r = PQdescribePrepared(c, name.constData());
    if (!r || PQresultStatus(r) != PGRES_COMMAND_OK) {
        if (fehler)
            *fehler = Fehler(c, r, "Unable to prepare statement");
        PQclear(r);
        return nullptr;
    }
    std::unique_ptr<PgAnweisung> a(new PgAnweisung(db, c, name));
    a->m_sql = text;
    for (int i = 0; i < PQnfields(r); ++i) {
        const int typ = QtTyp(PQftype(r, i));
        if (typ == QMetaType::UnknownType) {
            PQclear(r);
            return nullptr;  // the driver reads that column its own way
        }
        a->m_typen << typ;
    }
    PQclear(r);
    return a;
}

bool PgAnweisung::Ausfuehren(const QVariantList& werte, QSqlError* fehler) {
    Freigeben();
    QList<QByteArray> texte;
    texte.reserve(werte.size());
    std::vector<const char*> zeiger;
    zeiger.reserve(werte.size());
    for (const QVariant& w : werte) {
        if (w.isNull()) {
            texte << QByteArray();
            zeiger.push_back(nullptr);
            continue;
        }
        texte << (w.typeId() == QMetaType::Bool ? QByteArray(w.toBool() ? "true" : "false") : w.toString().toUtf8());
        zeiger.push_back(texte.last().constData());
    }
    m_ergebnis = PQexecPrepared(m_verbindung, m_name.constData(), static_cast<int>(zeiger.size()), zeiger.data(),
                                nullptr, nullptr, 0);
    // The server has forgotten the statement (DISCARD ALL, a pooler that hands
    // the connection on): nothing ran, so it is prepared again and sent once
    // more; inside a transaction the error stands, as the transaction does not.
    const char* zustand = m_ergebnis ? PQresultErrorField(m_ergebnis, PG_DIAG_SQLSTATE) : nullptr;
    if (zustand && qstrcmp(zustand, "26000") == 0 && PQtransactionStatus(m_verbindung) == PQTRANS_IDLE) {
        PGresult* neu = PQprepare(m_verbindung, m_name.constData(), m_sql.constData(), 0, nullptr);
        const bool bereit = neu && PQresultStatus(neu) == PGRES_COMMAND_OK;
        PQclear(neu);
        if (bereit) {
            Freigeben();
            m_ergebnis = PQexecPrepared(m_verbindung, m_name.constData(), static_cast<int>(zeiger.size()), zeiger.data(),
                                        nullptr, nullptr, 0);
        }
    }
    // Notes the answer brought along are read from libpq's queue by the
    // driver, as after a statement of its own.
    if (m_treiber && !qobject_cast<QSqlDriver*>(m_treiber)->subscribedToNotifications().isEmpty())
        QMetaObject::invokeMethod(m_treiber, "_q_handleNotification", Qt::QueuedConnection);
    if (!m_ergebnis || PQresultStatus(m_ergebnis) != PGRES_TUPLES_OK) {
        if (fehler)
            *fehler = Fehler(m_verbindung, m_ergebnis, "Unable to execute statement");
        Freigeben();
        return false;
    }
    return true;
}

int PgAnweisung::Zeilen() const { return m_ergebnis ? PQntuples(m_ergebnis) : 0; }

QVariant PgAnweisung::Wert(int zeile, int spalte) const {
    const int typ = m_typen.value(spalte, QMetaType::QString);
    if (!m_ergebnis || PQgetisnull(m_ergebnis, zeile, spalte))
        return QVariant(QMetaType(typ));
    const char* text = PQgetvalue(m_ergebnis, zeile, spalte);
    switch (typ) {
    case QMetaType::Bool:
        return QVariant(text[0] == 't');
    case QMetaType::LongLong:
        return QVariant(QByteArray(text).toLongLong());
    case QMetaType::Int:
        return QVariant(QByteArray(text).toInt());
    default:
        return QVariant(QString::fromUtf8(text, PQgetlength(m_ergebnis, zeile, spalte)));
    }
}
