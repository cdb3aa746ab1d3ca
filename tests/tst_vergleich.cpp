// Comparing and merging two alarm tables: this side written through Qt, the
// other side by the sqlite3 program (another column order, texts in number
// columns) or by psql on the throw-away server; taking over through the one
// write path, undo of a take-over, and the command's exit codes.
#include <QtTest>

#include <QPainter>
#include <QProcess>
#include <QScopeGuard>
#include <QFile>
#include <QStandardPaths>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "shell/Hauptfenster.h"
#include "editor/Bildflaeche.h"
#include "editor/Geisterpfeile.h"
#include "helpers/SkriptDialoge.h"
#include "helpers/TestDb.h"
#include "shell/Differenzansicht.h"
#include "shell/Hintergrundauftrag.h"
#include "shell/Verlauf.h"
#include "shell/frmVergleich.h"
#include "werkzeuge/Differenz.h"
#include "werkzeuge/Kopie.h"
#include "werkzeuge/Uebernahme.h"
#include "werkzeuge/Vergleich.h"
#include "werkzeuge/VergleichLauf.h"
#include "werkzeuge/VergleichSql.h"
#include "werkzeuge/Vergleichsseite.h"

namespace {
using Art = Vergleichszeile::Art;

// The arrow of one alarm; an empty text is NULL.
struct Pfeil {
    int ident;
    QString form, symbol, x, y;
    QString text = QStringLiteral("Störung");
};

QVariant Wert(const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); }

// This side: the columns in table order, written through Qt.
bool Anlegen(const QString& pfad, const QList<Pfeil>& pfeile) {
    TestDb t(pfad);
    if (!t.Ausfuehren(QStringLiteral("CREATE TABLE Alarmdefs (%1)").arg(QLatin1String(TestDb::Spalten))))
        return false;
    for (const Pfeil& p : pfeile)
        if (!t.Ausfuehren(QStringLiteral("insert into Alarmdefs values (?,1,0,'V',3,'0','100',2,7,1,?,?,?,?,?,150,0,1)"),
                          {p.ident, p.text, Wert(p.form), Wert(p.symbol), Wert(p.x), Wert(p.y)}))
            return false;
    return true;
}

// The other side by the sqlite3 program: another column order, positions
// stored as texts, NULL written as the program writes it.
bool Fremd(const QString& pfad, const QList<Pfeil>& pfeile, const QString& zusatz = {}) {
    QString sql = QStringLiteral(
        "create table Alarmdefs (X text, Y text, Symbol text, Form text, Alarmtext text, Ident integer, Type int, "
        "Acknowledge int, VarName text, BitNo int, Min text, Max text, Priority int, \"Group\" int, Helpindex int, "
        "Sensor1 int, Sensor2 int, Fault int);\n");
    const auto q = [](const QString& s) { return s.isEmpty() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(s); };
    for (const Pfeil& p : pfeile)
        sql += QStringLiteral("insert into Alarmdefs values (%1,%2,%3,%4,%5,%6,1,0,'V',3,'0','100',2,7,1,150,0,1);\n")
                   .arg(q(p.x), q(p.y), q(p.symbol), q(p.form), q(p.text))
                   .arg(p.ident);
    sql += zusatz;
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {pfad});
    p.write(sql.toUtf8());
    p.closeWriteChannel();
    return p.waitForFinished(30000) && p.exitCode() == 0;
}

QString Sqlite(const QString& pfad, const QString& sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {pfad, sql});
    // a check by correlated counts over thousands of rows takes long on a busy machine
    p.waitForFinished(300000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

const Vergleichszeile* Zeile(const Vergleichsergebnis& e, const QString& ident) {
    for (const Vergleichszeile& z : e.zeilen)
        if (z.ident == ident)
            return &z;
    return nullptr;
}

// psql on the throw-away server; the output without headers.
QString Psql(const QString& datenbank, const QString& sql) {
    QProcess p;
    p.start(QStringLiteral("psql"), {"-X", "-q", "-t", "-A", "-v", "ON_ERROR_STOP=1", "-d", datenbank, "-c", sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed() + QString::fromUtf8(p.readAllStandardError()).trimmed();
}

QString ServerAdresse(const QString& datenbank) {
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT", "5432"), datenbank);
}

QString Programm() { return QCoreApplication::applicationDirPath() + QStringLiteral("/tavero"); }

int Aufruf(const QStringList& argumente, QString* aus = nullptr) {
    QProcess p;
    p.start(Programm(), argumente);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    if (aus)
        *aus = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitCode();
}

const QList<Pfeil> kHier = {
    {1, "Kessel", "Pfeil.gif", "10", "20"},   // moved there
    {2, "Kessel", "Pfeil.gif", "10", "20"},   // other picture there
    {3, "Kessel", "Pfeil.gif", "10", "20"},   // other symbol there
    {4, "Kessel", "Pfeil.gif", "", ""},       // position set there
    {5, "Kessel", "Pfeil.gif", "30", "40"},   // position cleared there
    {6, "Kessel", "Pfeil.gif", "1", "1"},     // only here
    {8, "Kessel", "Pfeil.gif", "5", "5"},     // other text there
    {9, "Kessel", "Pfeil.gif", "5", "5"},     // twice there
    {10, "Kessel", "Pfeil.gif", "7", "7"},    // the same
};
const QList<Pfeil> kDort = {
    {1, "Kessel", "Pfeil.gif", "15", "25"},
    {2, "Turbine", "Pfeil.gif", "10", "20"},
    {3, "Kessel", "Standard\\Rot.gif", "10", "20"},
    {4, "Kessel", "Pfeil.gif", "50", "60"},
    {5, "Kessel", "Pfeil.gif", "", ""},
    {7, "Kessel", "Pfeil.gif", "2", "2"},
    {8, "Kessel", "Pfeil.gif", "5", "5", "Störung Ventil"},
    {9, "Kessel", "Pfeil.gif", "5", "5"},
    {9, "Turbine", "Pfeil.gif", "6", "6"},
    {10, "Kessel", "Pfeil.gif", "7", "7"},
};
// The comparison written as plain SQL by the sqlite3 program: values as a
// record shows them (NULL empty, 10.0 as 10, Symbol as its file name),
// numbers of several rows listed whole, the kinds decided per unit of
// picture and position and of symbol. One line per alarm, "kind|Ident|Form,
// Symbol, X, Y here|there|before|other columns|note", grouped as the list is.
QStringList SchlichterVergleich(const QString& hier, const QString& dort, const QString& basis) {
    const auto n = [](const QString& v) {
        return QStringLiteral("case typeof(%1) when 'null' then '' when 'real' then case when %1 = cast(%1 as integer) then "
                              "cast(cast(%1 as integer) as text) else cast(%1 as text) end else cast(%1 as text) end")
            .arg(v);
    };
    const QStringList rest{"Type", "Acknowledge", "VarName", "BitNo", "Min", "Max", "Priority", "Group", "Helpindex",
                           "Alarmtext", "Sensor1", "Sensor2", "Fault"};
    // Symbol shown as its file name
    const auto sicht = [&](const QString& name, const QString& tabelle) {
        QString s = QStringLiteral("create temp view %1 as select r, id, f, s, replace(s, rtrim(s, replace(s, '\\', '')), '') sd, "
                                   "x, y, * from (select rowid r, cast(Ident as integer) id, %2 f, %3 s, %4 x, %5 y")
                        .arg(name, n("Form"), n("Symbol"), n("X"), n("Y"));
        for (const QString& sp : rest)
            s += QStringLiteral(", %1 \"%2\"").arg(n(QStringLiteral("\"%1\"").arg(sp)), sp);
        return s + QStringLiteral(" from %1);\n").arg(tabelle);
    };
    const bool drei = !basis.isEmpty();
    QString sql = QStringLiteral("attach '%1' as d;\n").arg(dort);
    if (drei)
        sql += QStringLiteral("attach '%1' as b;\n").arg(basis);
    sql += sicht("hv", "main.Alarmdefs") + sicht("dv", "d.Alarmdefs") + sicht("bv", drei ? "b.Alarmdefs" : "main.Alarmdefs where 0");
    for (const QString v : {"h", "d", "b"})
        sql += QStringLiteral("create temp table %1c as select id, count(*) n, min(r) r0 from %1v group by id;\n").arg(v);
    QString andere = "''";
    for (const QString& sp : rest)
        andere += QStringLiteral(" || case when h.\"%1\" <> d.\"%1\" then '%1, ' else '' end").arg(sp);
    // a unit differs here and there; changed here, there since the earlier state
    sql += QStringLiteral(
        "create temp table m as select h.id, h.f hf, h.sd hs, h.x hx, h.y hy, d.f df, d.sd ds, d.x dx, d.y dy, "
        "coalesce(b.f, '') bf, coalesce(b.sd, '') bs, coalesce(b.x, '') bx, coalesce(b.y, '') by, rtrim(%1, ', ') andere, "
        "h.f <> d.f or h.x <> d.x or h.y <> d.y hdP, b.r is not null and (h.f <> b.f or h.x <> b.x or h.y <> b.y) hbP, "
        "b.r is not null and (d.f <> b.f or d.x <> b.x or d.y <> b.y) dbP, h.s <> d.s hdS, b.r is not null and h.s <> b.s hbS, "
        "b.r is not null and d.s <> b.s dbS, h.f <> d.f bild, (h.x = '' or h.y = '') leerH, (d.x = '' or d.y = '') leerD "
        "from hc join dc on dc.id = hc.id and hc.n = 1 and dc.n = 1 join hv h on h.r = hc.r0 join dv d on d.r = dc.r0 "
        "left join bc on bc.id = hc.id and bc.n = 1 left join bv b on b.r = bc.r0;\n")
               .arg(andere);
    sql += QStringLiteral(
        "select * from (select case when (hdP and hbP and dbP) or (hdS and hbS and dbS) then 0 "
        "when (hdP and not hbP) or (hdS and not hbS) then case when hdP and not hbP and bild then 1 "
        "when hdS and not hbS then 2 when leerH and not leerD then 4 when leerD and not leerH then 5 else 3 end "
        "when hdP or hdS then 6 when andere <> '' then 7 end kind, id, hf, hs, hx, hy, df, ds, dx, dy, bf, bs, bx, by, andere, '' "
        "from m) where kind is not null "
        "union all select 8, h.id, h.f, h.sd, h.x, h.y, '', '', '', '', '', '', '', '', '', '' from hc join hv h on h.r = hc.r0 "
        "where hc.n = 1 and hc.id not in (select id from dc) "
        "union all select 9, d.id, '', '', '', '', d.f, d.sd, d.x, d.y, '', '', '', '', '', '' from dc join dv d on d.r = dc.r0 "
        "where dc.n = 1 and dc.id not in (select id from hc) "
        "union all select 10, i.id, h.f, h.sd, h.x, h.y, d.f, d.sd, d.x, d.y, '', '', '', '', '', "
        "'Zeilen mit dieser Nummer: ' || coalesce(hc.n, 0) || ' hier, ' || coalesce(dc.n, 0) || ' dort' "
        "from (select id from hc union select id from dc) i left join hc on hc.id = i.id left join dc on dc.id = i.id "
        "left join hv h on h.r = hc.r0 left join dv d on d.r = dc.r0 where hc.n > 1 or dc.n > 1 order by 1, 2;\n");
    return Sqlite(hier, sql).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The same lines from a comparison's result.
QStringList Zeilen(const Vergleichsergebnis& e) {
    QStringList zeilen;
    for (const Vergleichszeile& z : e.zeilen) {
        QStringList f{QString::number(static_cast<int>(z.art)), z.ident};
        for (const AlarmRecord* r : {&z.hier, &z.dort, &z.basis})
            for (int s : {AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y})
                f << r->value(s);
        f << z.andereSpalten.join(QStringLiteral(", ")) << z.hinweis;
        zeilen << f.join(QLatin1Char('|'));
    }
    return zeilen;
}

// The main window as far as the comparison window needs it.
class Haupt : public Hauptfenster {
public:
    AlarmAuswahl* auswahl = nullptr;
    QStringList gezeigt, status;
    AlarmAuswahl* mgobjAuswahl() const override { return auswahl; }
    void StatusText(int, const QString& text) override { status << text; }
    void StatusMeldung(const QString& text, const QString&) override { status << text; }
    QString StatusTextLesen(int) const override { return status.value(status.size() - 1); }
    void ToolButtonDruecken(const QString&) override {}
    QSize AussenGroesseTwips() const override { return {}; }
    QWidget* KindFensterEinfuegen(QWidget* f) override { return f; }
    void BildfensterZeigen() override {}
    void AuswahlGescheitert(const QString&, const QString&) override {}
    bool AlarmAnzeigen(const QString& ident) override {
        gezeigt << ident;
        return true;
    }
    void PfeilMenuZeigen(const QPoint&) override {}
    void AlarmMenuZeigen(const QPoint&) override {}
};

QPixmap Schwarz(const QString&) {
    QPixmap p(16, 16);
    p.fill(Qt::black);
    return p;
}
}  // namespace

class TstVergleich : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Pfad(const QString& name) const { return m_dir.filePath(name); }
    int m_stumm = -1;

private slots:
    void twoWayListsEachKindOnce() {
        const QString hier = Pfad("hier2.kvs"), dort = Pfad("dort2.kvs");
        QVERIFY(Anlegen(hier, kHier));
        QVERIFY(Fremd(dort, kDort));
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        const QList<std::pair<QString, Art>> erwartet = {
            {"1", Art::Verschoben},      {"2", Art::AnderesBild}, {"3", Art::AnderesSymbol},
            {"4", Art::PositionGesetzt}, {"5", Art::PositionGeloescht}, {"6", Art::NurHier},
            {"7", Art::NurDort},         {"8", Art::AndereSpalten},     {"9", Art::NichtEindeutig}};
        QCOMPARE(e.zeilen.size(), erwartet.size());
        for (const auto& [ident, art] : erwartet) {
            const Vergleichszeile* z = Zeile(e, ident);
            QVERIFY2(z, qPrintable(ident));
            QVERIFY2(z->art == art, qPrintable(ident + ": " + Vergleichszeile::ArtName(z->art)));
        }
        QCOMPARE(Zeile(e, "1")->Text(), QStringLiteral("Alarm 1: X 10 → 15, Y 20 → 25"));
        QCOMPARE(Zeile(e, "3")->dortSymbol, QStringLiteral("Standard\\Rot.gif"));
        QCOMPARE(Zeile(e, "8")->andereSpalten, QStringList{"Alarmtext"});
        QVERIFY(!Zeile(e, "8")->Uebernehmbar() && !Zeile(e, "9")->Uebernehmbar() && !Zeile(e, "7")->Uebernehmbar());
        QCOMPARE(e.Uebernehmbar(), 5);
        QVERIFY(e.Text().contains(QStringLiteral("nicht eindeutig: 1")));
    }

    void threeWayKeepsOwnChangesAndMarksConflicts() {
        const QString basis = Pfad("basis3.kvs"), hier = Pfad("hier3.kvs"), dort = Pfad("dort3.kvs");
        QVERIFY(Anlegen(basis, {{1, "K", "P.gif", "1", "1"}, {2, "K", "P.gif", "1", "1"}, {3, "K", "P.gif", "1", "1"},
                                {4, "K", "P.gif", "1", "1"}, {5, "K", "P.gif", "1", "1"}}));
        QVERIFY(Anlegen(hier, {{1, "K", "P.gif", "1", "1"},     // changed there only: offered
                               {2, "K", "P.gif", "9", "9"},     // changed here only: kept
                               {3, "K", "P.gif", "5", "5"},     // both the same way: no difference
                               {4, "K", "P.gif", "6", "6"},     // both differently: conflict
                               {5, "K", "P.gif", "7", "7"}}));  // position here, symbol there: symbol offered
        QVERIFY(Fremd(dort, {{1, "K", "P.gif", "2", "3"}, {2, "K", "P.gif", "1", "1"}, {3, "K", "P.gif", "5", "5"},
                             {4, "L", "P.gif", "8", "8"}, {5, "K", "Q.gif", "1", "1"}}));
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, basis});
        QCOMPARE(e.zeilen.size(), 4);
        QVERIFY(Zeile(e, "1")->art == Art::Verschoben && Zeile(e, "1")->Uebernehmbar());
        QVERIFY(Zeile(e, "2")->art == Art::NurHierGeaendert && !Zeile(e, "2")->Uebernehmbar());
        QVERIFY(!Zeile(e, "3"));
        const Vergleichszeile* k = Zeile(e, "4");
        QVERIFY(k->art == Art::Konflikt && !k->Uebernehmbar());
        QCOMPARE(k->Text(), QStringLiteral("Alarm 4: Form hier K, dort L, vorher K, X hier 6, dort 8, vorher 1, "
                                           "Y hier 6, dort 8, vorher 1"));
        const Vergleichszeile* s = Zeile(e, "5");
        QVERIFY(s->art == Art::AnderesSymbol);
        QCOMPARE(s->spalten, QList<int>{AlarmFeld::Symbol});
    }

    // Pairs written by Python's sqlite3 module (own column orders, numbers as
    // text, untyped and floating columns, duplicates, rows on one side only):
    // the queries over the ATTACHed files list exactly what reading every row lists.
    void sqlitePairGivesTheSameListAsReadingEveryRow_data() {
        QTest::addColumn<int>("seed");
        QTest::addColumn<bool>("ungewoehnlich");
        for (int seed : {1, 2, 3, 4, 5, 6})
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed << false;
        QTest::newRow("numbers as unusual text") << 7 << true;
    }
    void sqlitePairGivesTheSameListAsReadingEveryRow() {
        QFETCH(int, seed);
        QFETCH(bool, ungewoehnlich);
        const QString skript = QFINDTESTDATA("daten/vergleichspaar.py");
        if (skript.isEmpty() || QStandardPaths::findExecutable("python3").isEmpty())
            QSKIP("python3 or the pair generator is missing");
        const QString basis = Pfad(QStringLiteral("py%1-basis.db").arg(seed)), hier = Pfad(QStringLiteral("py%1-hier.db").arg(seed)),
                      dort = Pfad(QStringLiteral("py%1-dort.db").arg(seed));
        for (const QString& datei : {basis, hier, dort})
            QFile::remove(datei);
        QStringList argumente{skript, QString::number(seed), basis, hier, dort};
        if (ungewoehnlich)
            argumente << "--ident-text-ungewoehnlich";
        QProcess p;
        p.start("python3", argumente);
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
        const auto inhalt = [](const QString& datei) { QFile f(datei); f.open(QIODevice::ReadOnly); return f.readAll(); };
        const QByteArray vorher[3] = {inhalt(basis), inhalt(hier), inhalt(dort)};
        for (const QString& stand : {QString(), basis}) {
            const Vergleichsergebnis sql = Vergleich::Vergleichen({hier, dort, stand});
            Vergleich::Angaben jede{hier, dort, stand};
            jede.zeilenweise = true;
            const Vergleichsergebnis zeilen = Vergleich::Vergleichen(jede);
            QVERIFY(!zeilen.zeilen.isEmpty());
            QCOMPARE(sql.Text(), zeilen.Text());
            QCOMPARE(sql.Csv(), zeilen.Csv());
            QCOMPARE(sql.zeilenHier, zeilen.zeilenHier);
            QCOMPARE(sql.zeilenDort, zeilen.zeilenDort);
            QCOMPARE(sql.zeilenBasis, zeilen.zeilenBasis);
            QCOMPARE(Uebernahme::Auftraege(sql.zeilen).size(), Uebernahme::Auftraege(zeilen.zeilen).size());
        }
        // numbers written as plain text are matched by the queries; others by reading every row
        Vergleichsseite seiten[3];
        QCOMPARE(VergleichSql::Lesen({hier, dort, basis}, [] { return false; }, {}, seiten), !ungewoehnlich);
        QCOMPARE(inhalt(basis), vorher[0]);
        QCOMPARE(inhalt(hier), vorher[1]);
        QCOMPARE(inhalt(dort), vorher[2]);
    }

    // Pairs and their earlier state written by the sqlite3 program alone
    // (own column orders, Ident as text, X as floating values, NULLs, numbers
    // on two rows): the list, both ways, is what a plain SQL comparison lists.
    void pairMadeBySqlite3ListsWhatPlainSqlFinds_data() {
        QTest::addColumn<int>("saat");
        QTest::addColumn<int>("zeilen");
        QTest::newRow("3000 rows") << 1 << 3000;
        QTest::newRow("800 rows") << 2 << 800;
        QTest::newRow("30000 rows") << 7 << 30000;
    }
    void pairMadeBySqlite3ListsWhatPlainSqlFinds() {
        QFETCH(int, saat);
        QFETCH(int, zeilen);
        const QString skript = QFINDTESTDATA("daten/vergleichspaar.sql");
        QVERIFY(!skript.isEmpty());
        const QString name = QStringLiteral("sql%1-").arg(saat);
        const QString basis = Pfad(name + "basis.db"), hier = Pfad(name + "hier.db"), dort = Pfad(name + "dort.db");
        QFile f(skript);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QProcess p;
        p.start(QStringLiteral("sqlite3"), {basis});
        p.write(QStringLiteral("attach '%1' as hier; attach '%2' as dort; create temp table saat as select %3 as s, %4 as n;\n")
                    .arg(hier, dort)
                    .arg(saat)
                    .arg(zeilen)
                    .toUtf8() +
                f.readAll());
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
        for (const QString& stand : {QString(), basis}) {
            const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, stand});
            const QStringList erwartet = SchlichterVergleich(hier, dort, stand);
            QVERIFY(erwartet.size() > zeilen / 4);
            const QStringList liste = Zeilen(e);
            for (qsizetype i = 0; i < std::min(liste.size(), erwartet.size()); ++i)
                QCOMPARE(liste.at(i), erwartet.at(i));
            QCOMPARE(liste.size(), erwartet.size());
            // every kind met
            for (int art = stand.isEmpty() ? 1 : 0; art < Vergleichszeile::ArtAnzahl; ++art)
                if (stand.isEmpty() ? art != static_cast<int>(Art::NurHierGeaendert) : true)
                    QVERIFY2(e.Anzahl(static_cast<Art>(art)) > 0, qPrintable(Vergleichszeile::ArtName(static_cast<Art>(art))));
        }
    }

    void takeOverWritesOnlyWhatWasReadAndRefusesChangedRows() {
        const QString hier = Pfad("hier4.kvs"), dort = Pfad("dort4.kvs");
        QVERIFY(Anlegen(hier, kHier));
        QVERIFY(Fremd(dort, kDort));
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        // someone moves alarm 1 after the comparison: nothing at all is written
        Sqlite(hier, "update Alarmdefs set X = 11 where Ident = 1");
        const QString vorher = Sqlite(hier, "select group_concat(Ident||Form||Symbol||ifnull(X,'-')||ifnull(Y,'-'), ' ') from Alarmdefs");
        Uebernahme::Ergebnis u = Uebernahme::Ausfuehren(hier, Uebernahme::Auftraege(e.zeilen));
        QVERIFY(!u.geschrieben);
        QCOMPARE(u.abgelehnt, QStringList{"Alarm 1: inzwischen geändert, X jetzt 11 statt 10"});
        QCOMPARE(Sqlite(hier, "select group_concat(Ident||Form||Symbol||ifnull(X,'-')||ifnull(Y,'-'), ' ') from Alarmdefs"), vorher);
        // after a new comparison all five go in
        const Vergleichsergebnis neu = Vergleich::Vergleichen({hier, dort, {}});
        u = Uebernahme::Ausfuehren(hier, Uebernahme::Auftraege(neu.zeilen));
        QVERIFY2(u.geschrieben, qPrintable(u.text));
        QCOMPARE(u.anzahl, 5);
        QCOMPARE(Sqlite(hier, "select Form||Symbol||ifnull(X,'-')||ifnull(Y,'-') from Alarmdefs where Ident in (1,2,3,4,5) order by Ident"),
                 QStringLiteral("KesselPfeil.gif1525\nTurbinePfeil.gif1020\nKesselStandard\\Rot.gif1020\nKesselPfeil.gif5060\nKesselPfeil.gif--"));
        QCOMPARE(Sqlite(hier, "select typeof(X) from Alarmdefs where Ident = 1"), QStringLiteral("integer"));
        QCOMPARE(Vergleich::Vergleichen({hier, dort, {}}).Uebernehmbar(), 0);
    }

    // A table whose Ident column is declared as text (its numbers stored as
    // texts): the take-over finds its rows by number all the same and names
    // only the row changed since the comparison.
    void takeOverFindsRowsOfATextIdentColumn() {
        const QString hier = Pfad("hier-text.kvs"), dort = Pfad("dort-text.kvs");
        QVERIFY(Fremd(hier, kHier,
                      "create table n (X text, Y text, Symbol text, Form text, Alarmtext text, Ident text, Type int, "
                      "Acknowledge int, VarName text, BitNo int, Min text, Max text, Priority int, \"Group\" int, Helpindex int, "
                      "Sensor1 int, Sensor2 int, Fault int); insert into n select * from Alarmdefs; drop table Alarmdefs; "
                      "alter table n rename to Alarmdefs;"));
        QCOMPARE(Sqlite(hier, "select distinct typeof(Ident) from Alarmdefs"), QStringLiteral("text"));
        QVERIFY(Anlegen(dort, kDort));
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        Sqlite(hier, "update Alarmdefs set X = '11' where Ident = '1'");
        Uebernahme::Ergebnis u = Uebernahme::Ausfuehren(hier, Uebernahme::Auftraege(e.zeilen));
        QVERIFY(!u.geschrieben);
        QCOMPARE(u.abgelehnt, QStringList{"Alarm 1: inzwischen geändert, X jetzt 11 statt 10"});
        u = Uebernahme::Ausfuehren(hier, Uebernahme::Auftraege(Vergleich::Vergleichen({hier, dort, {}}).zeilen));
        QVERIFY2(u.geschrieben, qPrintable(u.text));
        QCOMPARE(u.anzahl, 5);
        QCOMPARE(Vergleich::Vergleichen({hier, dort, {}}).Uebernehmbar(), 0);
    }

    void takeOverIsOneUndoStep() {
        const QString hier = Pfad("hier5.kvs"), dort = Pfad("dort5.kvs");
        QVERIFY(Anlegen(hier, kHier));
        QVERIFY(Fremd(dort, kDort));
        AlarmAuswahl auswahl;
        auswahl.setAlarmDatenbank(hier);
        Verlauf verlauf;
        verlauf.Verbinden(&auswahl);
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        const QString vorher = Sqlite(hier, "select group_concat(ifnull(Form,'-')||ifnull(X,'-')||ifnull(Y,'-'), ' ') from Alarmdefs");
        const auto schreiben = [&](const QList<Schreibauftrag>& a) { return auswahl.ZeilenSchreiben(a, Uebernahme::Beschreibung(a.size())); };
        QVERIFY(Uebernahme::Ausfuehren(hier, Uebernahme::Auftraege(e.zeilen), schreiben).geschrieben);
        QCOMPARE(verlauf.Stapel()->count(), 1);
        QCOMPARE(verlauf.Stapel()->undoText(), Uebernahme::Beschreibung(5));
        verlauf.Stapel()->undo();
        QCOMPARE(Sqlite(hier, "select group_concat(ifnull(Form,'-')||ifnull(X,'-')||ifnull(Y,'-'), ' ') from Alarmdefs"), vorher);
        verlauf.Stapel()->redo();
        QCOMPARE(Vergleich::Vergleichen({hier, dort, {}}).Uebernehmbar(), 0);
    }

    void takeOverOfAPairMadeBySqlite3EqualsItsOwnUpdateFrom() {
        // Both sides made by the sqlite3 program alone (another column order on
        // each, the numbers as text on the other side, numbers held twice): the
        // take-over leaves the table as sqlite3's own UPDATE ... FROM does, undo
        // gives back every row as it was, redo the take-over again. The step
        // counts as a large one, so its rows are kept whole and sorted at undo.
        const QString hier = Pfad("hier-sqlite3.kvs"), dort = Pfad("dort-sqlite3.kvs"), referenz = Pfad("referenz-sqlite3.kvs");
        const QString spalten = QStringLiteral(
            "Ident, Type, Acknowledge, VarName, BitNo, Min, Max, Priority, \"Group\", Helpindex, Alarmtext, Form, Symbol, X, Y, "
            "Sensor1, Sensor2, Fault");
        QCOMPARE(Sqlite(hier, QStringLiteral(
            "create table Alarmdefs (\"Group\" int, Fault int, Y integer, X integer, Ident integer, Alarmtext text, Form text, "
            "Symbol text, Type int, Acknowledge int, VarName text, BitNo int, Min text, Max text, Priority int, Helpindex int, "
            "Sensor1 int, Sensor2 int);"
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
            "insert into Alarmdefs (%1) select 5000 + i, 1, 0, 'V' || i, 3, '0', '100', 2, i % 5, null, 'Störung ' || i, "
            "'Bild' || (i % 17), case when i % 7 = 0 then null else 'Pfeil.gif' end, "
            "case when i % 13 = 0 then null else i * 53 % 1200 end, case when i % 11 = 0 then null else i * 37 % 900 end, "
            "null, null, null from n;"
            "insert into Alarmdefs (%1) select Ident, Type, Acknowledge, VarName, BitNo, Min, Max, Priority, \"Group\", "
            "Helpindex, Alarmtext, Form, Symbol, 1, 1, Sensor1, Sensor2, Fault from Alarmdefs where Ident in (5100, 5200);"
            "select count(*) from Alarmdefs;").arg(spalten)),
                 QStringLiteral("3002"));
        QCOMPARE(Sqlite(dort, QStringLiteral(
            "create table Alarmdefs (Symbol text, Ident text, Fault int, Sensor2 int, Sensor1 int, Y integer, X integer, "
            "Form text, Alarmtext text, Helpindex int, \"Group\" int, Priority int, Max text, Min text, BitNo int, VarName text, "
            "Acknowledge int, Type int);"
            "attach '%2' as h;"
            "insert into Alarmdefs (%1) select cast(Ident as text), Type, Acknowledge, VarName, BitNo, Min, Max, Priority, "
            "\"Group\", Helpindex, Alarmtext, Form, Symbol, X, Y, Sensor1, Sensor2, Fault from h.Alarmdefs order by Ident desc;"
            "update Alarmdefs set X = X + 9 where cast(Ident as int) % 10 = 3;"
            "update Alarmdefs set Form = 'Bild99', X = 5, Y = 6 where cast(Ident as int) % 50 = 7;"
            "update Alarmdefs set X = null, Y = null where cast(Ident as int) % 60 = 11;"
            "update Alarmdefs set Symbol = 'PfeilRot.gif' where cast(Ident as int) % 70 = 13 and Symbol is not null;"
            "update Alarmdefs set Alarmtext = Alarmtext || ' (neu)' where cast(Ident as int) % 40 = 1;"
            "update Alarmdefs set X = 2 where Ident = '5300';"
            "insert into Alarmdefs (%1) select Ident, Type, Acknowledge, VarName, BitNo, Min, Max, Priority, \"Group\", "
            "Helpindex, Alarmtext, Form, Symbol, 3, Y, Sensor1, Sensor2, Fault from Alarmdefs where Ident = '5300';"
            "select count(*) from Alarmdefs;").arg(spalten, hier)),
                 QStringLiteral("3003"));
        QVERIFY(QFile::copy(hier, referenz));
        const QString zeilen = QStringLiteral(
            "select count(*) from Alarmdefs; select quote(Ident), quote(Form), quote(Symbol), quote(X), quote(Y), "
            "quote(Alarmtext), quote(\"Group\"), quote(VarName) from Alarmdefs order by rowid");
        const QString vorher = Sqlite(hier, zeilen);
        QCOMPARE(Sqlite(referenz, QStringLiteral(
            "attach '%1' as d;"
            "create temp table eh(i integer primary key);"
            "insert into eh select Ident from main.Alarmdefs group by 1 having count(*) = 1;"
            "create temp table od(i integer primary key, f, s, x, y);"
            "insert into od select cast(Ident as integer), Form, Symbol, X, Y from d.Alarmdefs where cast(Ident as integer) in "
            "(select cast(Ident as integer) from d.Alarmdefs group by 1 having count(*) = 1);"
            "update main.Alarmdefs as h set Form = o.f, Symbol = o.s, X = o.x, Y = o.y from temp.od as o "
            "where o.i = h.Ident and h.Ident in (select i from temp.eh) "
            "and (h.Form is not o.f or h.Symbol is not o.s or h.X is not o.x or h.Y is not o.y);"
            "select changes();").arg(dort)).toInt() > 300, true);
        const QString nachher = Sqlite(referenz, zeilen);
        QVERIFY(nachher != vorher);

        AlarmAuswahl auswahl;
        auswahl.setAlarmDatenbank(hier);
        Verlauf verlauf;
        verlauf.Verbinden(&auswahl);
        const qsizetype gross = Verlauf::GrosserSchrittZeilen;
        Verlauf::GrosserSchrittZeilen = 10;
        const auto zurueck = qScopeGuard([gross] { Verlauf::GrosserSchrittZeilen = gross; });
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        // numbers held twice are listed, never taken over
        for (const QString& doppelt : {QStringLiteral("5100"), QStringLiteral("5200"), QStringLiteral("5300")})
            QVERIFY(!Zeile(e, doppelt) || !Zeile(e, doppelt)->Uebernehmbar());
        const auto schreiben = [&](const QList<Schreibauftrag>& a) { return auswahl.ZeilenSchreiben(a, Uebernahme::Beschreibung(a.size())); };
        QVERIFY(Uebernahme::Ausfuehren(hier, Uebernahme::Auftraege(e.zeilen), schreiben).geschrieben);
        QCOMPARE(Sqlite(hier, zeilen), nachher);
        QCOMPARE(verlauf.Stapel()->count(), 1);
        verlauf.Stapel()->undo();
        QCOMPARE(Sqlite(hier, zeilen), vorher);
        verlauf.Stapel()->redo();
        QCOMPARE(Sqlite(hier, zeilen), nachher);
    }

    // Undo and redo find the rows of a bulk step by the keys it wrote through,
    // also after another program compacted or rebuilt the table (no index on
    // Ident): a key that now names another alarm never writes that alarm.
    void undoOfATakeOverFindsItsRowsAfterTheTableWasCompacted() {
        const QString hier = Pfad("hier-vacuum.kvs"), dort = Pfad("dort-vacuum.kvs");
        QList<Pfeil> pfeileHier{{50, "Kessel", "Pfeil.gif", "1", "1"}}, pfeileDort;
        for (int i = 100; i < 300; ++i) {
            const QString p = QString::number(i);
            pfeileHier << Pfeil{i, "Kessel", "Pfeil.gif", p, p};
            pfeileDort << Pfeil{i, "Kessel", "Pfeil.gif", i % 2 ? p : QString::number(i + 1000), p};
        }
        QVERIFY(Fremd(hier, pfeileHier));
        QVERIFY(Anlegen(dort, pfeileDort));
        AlarmAuswahl auswahl;
        auswahl.setAlarmDatenbank(hier);
        Verlauf verlauf;
        verlauf.Verbinden(&auswahl);
        const char* stand = "select group_concat(Ident||'/'||Form||'/'||X||'/'||Y, ' ') from "
                            "(select * from Alarmdefs where Ident >= 100 order by Ident, Form)";
        const QString vorher = Sqlite(hier, stand);
        const auto schreiben = [&](const QList<Schreibauftrag>& a) { return auswahl.ZeilenSchreiben(a, Uebernahme::Beschreibung(a.size())); };
        const Uebernahme::Ergebnis u = Uebernahme::Ausfuehren(hier, Uebernahme::Auftraege(Vergleich::Vergleichen({hier, dort, {}}).zeilen), schreiben);
        QVERIFY2(u.geschrieben, qPrintable(u.text));
        QCOMPARE(u.anzahl, 100);
        const QString nachher = Sqlite(hier, stand);
        const QString rowid = Sqlite(hier, "select rowid from Alarmdefs where Ident = 101");
        // another program deletes a row, adds a second row of number 120 on another picture and compacts the file
        Sqlite(hier, "delete from Alarmdefs where Ident = 50; insert into Alarmdefs (Ident, Form, Symbol, X, Y, Alarmtext) "
                     "values (120, 'Turbine', 'Pfeil.gif', '9', '9', 'Störung'); vacuum;");
        QVERIFY2(Sqlite(hier, "select rowid from Alarmdefs where Ident = 101") != rowid, "VACUUM kept the keys");
        const QString turbine = QStringLiteral("120/Turbine/9/9");
        verlauf.Stapel()->undo();
        QCOMPARE(verlauf.Stapel()->index(), 0);
        QString erwartet = vorher;
        QCOMPARE(Sqlite(hier, stand), erwartet.replace(QStringLiteral("120/Kessel/120/120"), QStringLiteral("120/Kessel/120/120 ") + turbine));
        // rebuilt in reverse order: every key now names another alarm
        Sqlite(hier, "create table neu as select * from Alarmdefs order by Ident desc; drop table Alarmdefs; "
                     "alter table neu rename to Alarmdefs;");
        verlauf.Stapel()->redo();
        QCOMPARE(verlauf.Stapel()->index(), 1);
        erwartet = nachher;
        QCOMPARE(Sqlite(hier, stand), erwartet.replace(QStringLiteral("120/Kessel/1120/120"), QStringLiteral("120/Kessel/1120/120 ") + turbine));
        // a row changed meanwhile stops the undo; nothing else is written
        Sqlite(hier, "update Alarmdefs set X = 5 where Ident = 200");
        const QString geaendert = Sqlite(hier, stand);
        SkriptDialoge dialoge;
        dialoge.wahlAntworten = {0};  // keep the step
        verlauf.Zuruecknehmen();
        QCOMPARE(Sqlite(hier, stand), geaendert);
        QCOMPARE(verlauf.Stapel()->index(), 1);
    }

    // A take-over finds each row by the key the comparison read (a table
    // without an index on Ident is not searched once a row); where the table
    // was rebuilt meanwhile and a key names another alarm, the row is found by
    // its number and no other alarm is written.
    void takeOverAfterTheTableWasRebuiltWritesTheComparedAlarms() {
        const QString hier = Pfad("hier-neu-gebaut.kvs"), dort = Pfad("dort-neu-gebaut.kvs");
        QList<Pfeil> pfeileHier, pfeileDort;
        for (int i = 100; i < 160; ++i) {
            const QString p = QString::number(i);
            pfeileHier << Pfeil{i, "Kessel", "Pfeil.gif", p, p};
            pfeileDort << Pfeil{i, "Kessel", "Pfeil.gif", i % 3 ? p : QString::number(i + 1000), p};
        }
        QVERIFY(Fremd(hier, pfeileHier));
        QVERIFY(Anlegen(dort, pfeileDort));
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        const QList<Schreibauftrag> auftraege = Uebernahme::Auftraege(e.zeilen);
        QCOMPARE(auftraege.size(), 20);
        for (const Schreibauftrag& a : auftraege)
            QVERIFY2(a.zeile.isValid(), qPrintable(a.ident));
        const char* stand = "select group_concat(Ident||'/'||X||'/'||Y, ' ') from (select * from Alarmdefs order by Ident)";
        QString erwartet = Sqlite(dort, stand);
        // rebuilt in reverse order: every key the comparison read now names another alarm
        Sqlite(hier, "create table neu as select * from Alarmdefs order by Ident desc; drop table Alarmdefs; "
                     "alter table neu rename to Alarmdefs;");
        const Uebernahme::Ergebnis u = Uebernahme::Ausfuehren(hier, auftraege);
        QVERIFY2(u.geschrieben, qPrintable(u.text));
        QCOMPARE(u.anzahl, 20);
        QCOMPARE(Sqlite(hier, stand), erwartet);
    }

    void badInputSaysWhyAndWritesNothing_data() {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("missing columns") << "spalten" << "fehlen die Spalten X, Y";
        QTest::newRow("no database") << "keine" << "keine.kvs";
        QTest::newRow("same file twice") << "zweimal" << "dieselbe Datenbank";
        QTest::newRow("missing file") << "fehlt" << "fehlt.kvs";
        QTest::newRow("silent server") << "stumm" << "127.0.0.1";
    }
    void badInputSaysWhyAndWritesNothing() {
        QFETCH(QString, fall);
        QFETCH(QString, meldung);
        const QString hier = Pfad("hier6-" + fall + ".kvs");
        QVERIFY(Anlegen(hier, kHier));
        QString dort = Pfad(fall + ".kvs");
        if (fall == "spalten") {
            QVERIFY(Fremd(dort, kDort, "create table t as select * from Alarmdefs; drop table Alarmdefs; "
                                       "create table Alarmdefs as select Ident, Type, Acknowledge, VarName, BitNo, Min, Max, "
                                       "Priority, \"Group\", Helpindex, Alarmtext, Form, Symbol, Sensor1, Sensor2, Fault from t;"));
        } else if (fall == "keine") {
            QFile f(dort);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Ident;Form\n1;Kessel\n");
        } else if (fall == "stumm") {
            // a port that takes the connection and never answers, as a server that went away
            m_stumm = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t n = sizeof a;
            ::bind(m_stumm, reinterpret_cast<sockaddr*>(&a), n);
            ::listen(m_stumm, 4);
            ::getsockname(m_stumm, reinterpret_cast<sockaddr*>(&a), &n);
            dort = QStringLiteral("postgresql://tavero@127.0.0.1:%1/alarme").arg(ntohs(a.sin_port));
        } else if (fall == "zweimal") {
            dort = m_dir.path() + "/./" + QFileInfo(hier).fileName();
        }
        const QByteArray inhalt = [&] { QFile f(hier); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        try {
            Vergleich::Vergleichen({hier, dort, {}});
            QFAIL("no error");
        } catch (const AlarmdefsFehler& f) {
            QVERIFY2(f.Text().contains(meldung), qPrintable(f.Text()));
        }
        QString aus;
        QCOMPARE(Aufruf({"--vergleich", hier, dort, "--uebernehmen"}, &aus), 2);
        QVERIFY2(aus.contains(meldung), qPrintable(aus));
        QFile f(hier);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), inhalt);
        if (m_stumm >= 0)
            ::close(m_stumm);
        m_stumm = -1;
    }

    void textInNumberColumnIsRefusedOnTakeOver() {
        const QString hier = Pfad("hier7.kvs"), dort = Pfad("dort7.kvs");
        QVERIFY(Anlegen(hier, {{1, "K", "P.gif", "1", "1"}, {2, "K", "P.gif", "1", "1"}}));
        QVERIFY(Fremd(dort, {{1, "K", "P.gif", "links", "1"}, {2, "K", "P.gif", "3", "3"}}));
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        QCOMPARE(Zeile(e, "1")->Text(), QStringLiteral("Alarm 1: X 1 → links"));
        const Uebernahme::Ergebnis u = Uebernahme::Ausfuehren(hier, Uebernahme::Auftraege(e.zeilen));
        QVERIFY(!u.geschrieben);
        QCOMPARE(u.abgelehnt.size(), 1);
        QVERIFY2(u.text.contains("Nichts wurde geschrieben"), qPrintable(u.text));
        QCOMPARE(Sqlite(hier, "select group_concat(X||Y, ' ') from Alarmdefs"), QStringLiteral("11 11"));
    }

    void commandExitCodes() {
        const QString hier = Pfad("hier8.kvs"), dort = Pfad("dort8.kvs"), gleich = Pfad("gleich8.kvs"), csv = Pfad("u.csv");
        QVERIFY(Anlegen(hier, kHier));
        QVERIFY(Fremd(dort, kDort));
        QVERIFY(Fremd(gleich, kHier));
        QString aus;
        QCOMPARE(Aufruf({"--vergleich", hier, gleich}, &aus), 0);
        QVERIFY2(aus.contains("Keine Unterschiede."), qPrintable(aus));
        QCOMPARE(Aufruf({"--vergleich", hier, dort, "--csv", csv}, &aus), 1);
        QVERIFY2(aus.contains("  Alarm 1: X 10 → 15, Y 20 → 25\n"), qPrintable(aus));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("Pfeil verschoben (X/Y);1;Kessel;Pfeil.gif;10;20;Kessel;Pfeil.gif;15;25"));
        QCOMPARE(Aufruf({"--vergleich", hier}, &aus), 2);
        QCOMPARE(Aufruf({"--vergleich", hier, dort, "--basis"}, &aus), 2);
        QCOMPARE(Aufruf({"--vergleich", hier, dort, "--uebernehmen"}, &aus), 1);
        QVERIFY2(aus.contains("5 Alarme übernommen."), qPrintable(aus));
        // the placements are the same now; text, duplicate and the alarms of one side are left as they are
        QCOMPARE(Aufruf({"--vergleich", hier, dort}, &aus), 1);
        QVERIFY2(aus.contains("4 Unterschiede, 0 davon übernehmbar."), qPrintable(aus));
    }

    void cancelledComparisonEndsWithoutResult() {
        const QString hier = Pfad("hier9.kvs"), dort = Pfad("dort9.kvs");
        QVERIFY(Anlegen(hier, {}));
        QVERIFY(Fremd(dort, {}, "with recursive n(i) as (select 1 union all select i+1 from n where i < 400000) "
                               "insert into Alarmdefs (Ident, Form, X, Y) select i, 'K', i % 1000, 5 from n;"));
        VergleichLauf lauf;
        QSignalSpy fertig(&lauf, &VergleichLauf::Fertig);
        QSignalSpy abgebrochen(&lauf, &VergleichLauf::Abgebrochen);
        QVERIFY(lauf.Starten({hier, dort, {}}));
        QVERIFY(!lauf.Starten({hier, dort, {}}));
        lauf.Abbrechen();
        QVERIFY(abgebrochen.wait(20000));
        QCOMPARE(fertig.count(), 0);
        QTRY_VERIFY(!lauf.Laeuft());
        // and runs to its end when left alone
        QVERIFY(lauf.Starten({hier, dort, {}}));
        QVERIFY(fertig.wait(60000));
        QCOMPARE(fertig.first().first().value<Vergleichsergebnis>().Anzahl(Art::NurDort), 400000);
    }

    void serverTableComparedAndTakenOver() {
        if (qEnvironmentVariableIsEmpty("PGHOST") || !QSqlDatabase::isDriverAvailable("QPSQL"))
            QSKIP("no throw-away PostgreSQL server (the test script starts one with pg_virtualenv)");
        const QString name = QStringLiteral("tavero_vergleich_%1").arg(QCoreApplication::applicationPid());
        Psql("postgres", "drop database if exists " + name);
        QCOMPARE(Psql("postgres", "create database " + name), QString());
        const QString uri = ServerAdresse(name);
        const QString quelle = Pfad("quelle12.kvs"), dort = Pfad("dort12.kvs");
        QVERIFY(Anlegen(quelle, kHier));
        QVERIFY(Fremd(dort, kDort));
        const Kopie::Ergebnis k = Kopie::Kopieren(quelle, uri, false);
        QVERIFY2(k.kopiert, qPrintable(k.text + k.detail));
        // another client moves alarm 10 on the server before the comparison, alarm 2 after it
        QCOMPARE(Psql(name, "update \"Alarmdefs\" set \"X\" = 70 where \"Ident\" = 10"), QString());
        Vergleichsergebnis e = Vergleich::Vergleichen({uri, dort, {}});
        QCOMPARE(e.zeilen.size(), 10);
        QVERIFY(Zeile(e, "10")->art == Art::Verschoben);
        QCOMPARE(Zeile(e, "10")->Text(), QStringLiteral("Alarm 10: X 70 → 7"));
        QCOMPARE(Psql(name, "update \"Alarmdefs\" set \"Form\" = 'Halle' where \"Ident\" = 2"), QString());
        Uebernahme::Ergebnis u = Uebernahme::Ausfuehren(uri, Uebernahme::Auftraege(e.zeilen));
        QVERIFY(!u.geschrieben);
        QCOMPARE(u.abgelehnt, QStringList{"Alarm 2: inzwischen geändert, Form jetzt Halle statt Kessel"});
        QCOMPARE(Psql(name, "select \"X\" from \"Alarmdefs\" where \"Ident\" = 1"), QStringLiteral("10"));
        e = Vergleich::Vergleichen({uri, dort, {}});
        u = Uebernahme::Ausfuehren(uri, Uebernahme::Auftraege(e.zeilen));
        QVERIFY2(u.geschrieben, qPrintable(u.text + u.detail));
        QCOMPARE(u.anzahl, 6);
        QCOMPARE(Psql(name, "select string_agg(coalesce(\"Form\",'-')||coalesce(\"X\"::text,'-'), ' ' order by \"Ident\") "
                            "from \"Alarmdefs\" where \"Ident\" <= 5 or \"Ident\" = 10"),
                 QStringLiteral("Kessel15 Turbine10 Kessel10 Kessel50 Kessel- Kessel7"));
        // the command compares a file with the server too
        QString aus;
        QCOMPARE(Aufruf({"--vergleich", dort, uri}, &aus), 1);
        QVERIFY2(aus.contains("0 davon übernehmbar"), qPrintable(aus));
        Psql("postgres", "drop database if exists " + name + " with (force)");
    }

    // Both sides made by Python's sqlite3 module, with a column order of their
    // own: the take-over leaves this side exactly as sqlite3's own UPDATE ...
    // FROM over the two files does (the placement of every alarm whose number
    // is unique on both sides), row for row, with the same count.
    void takeOverMatchesSqlite3sOwnUpdateFrom() {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        const QString hier = Pfad("py-hier.kvs"), dort = Pfad("py-dort.kvs"), selbst = Pfad("py-sqlite3.kvs");
        const QString skript = QFINDTESTDATA("helpers/zwei_seiten.py");
        QVERIFY(!skript.isEmpty());
        QProcess py;
        py.start(python, {skript, hier, dort});
        QVERIFY(py.waitForFinished(120000));
        QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
        QVERIFY(QFile::copy(hier, selbst));

        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        const QList<Schreibauftrag> auftraege = Uebernahme::Auftraege(e.zeilen);
        QVERIFY(auftraege.size() > 800);
        const Uebernahme::Ergebnis u = Uebernahme::Ausfuehren(hier, auftraege);
        QVERIFY2(u.geschrieben, qPrintable(u.text + u.detail));

        const QString eindeutig = QStringLiteral("(select count(*) from main.Alarmdefs where Ident = a.Ident) = 1 and "
                                                 "(select count(*) from d.Alarmdefs where Ident = a.Ident) = 1");
        const QString anders = QStringLiteral("(a.Form is not b.Form or a.Symbol is not b.Symbol or a.X is not b.X or a.Y is not b.Y)");
        const QString geaendert = Sqlite(selbst, QStringLiteral("attach '%1' as d; update Alarmdefs as a set Form = b.Form, "
                                                                "Symbol = b.Symbol, X = b.X, Y = b.Y from d.Alarmdefs as b "
                                                                "where b.Ident = a.Ident and %2 and %3; select changes();")
                                                     .arg(dort, anders, eindeutig));
        QCOMPARE(QString::number(u.anzahl), geaendert);
        const QString alles = QStringLiteral("select rowid, * from Alarmdefs order by rowid");
        const QString ergebnis = Sqlite(hier, alles);
        QCOMPARE(ergebnis.count(QLatin1Char('\n')), 5999);
        QVERIFY(ergebnis == Sqlite(selbst, alles));
    }

    // A pair made by the sqlite3 program alone: Ident declared as text, another
    // column order, positions as reals and texts, numbers on two rows. The
    // take-over leaves the table exactly as sqlite3's own UPDATE ... FROM does,
    // and each written row reports the values it held before (the undo's).
    void takeOverOfAPairMadeBySqlite3AloneMatchesItsOwnUpdate() {
        const QString hier = Pfad("cli-hier.kvs"), dort = Pfad("cli-dort.kvs"), selbst = Pfad("cli-sqlite3.kvs"),
                      vorher = Pfad("cli-vorher.kvs");
        Sqlite(hier, QStringLiteral(
            "create table Alarmdefs (Alarmtext text, X, Sensor1 int, Ident text, Form text, Y numeric, Symbol text, Type int, "
            "Acknowledge int, VarName text, BitNo int, Min text, Max text, Priority int, \"Group\" int, Helpindex int, "
            "Sensor2 int, Fault int);"
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 4000) "
            "insert into Alarmdefs select 'Meldung ' || i, case when i % 11 = 0 then (i % 900) + 0.5 when i % 17 = 0 then null "
            "when i % 29 = 0 then cast(i % 900 as text) else i % 900 end, 0, cast(i * 7 as text), 'Bild' || (i % 5), i % 600, "
            "'Pfeil.gif', 1, 0, 'V', 0, '0', '100', 1, 1, 1, 0, 0 from n;"
            "insert into Alarmdefs select Alarmtext || ' doppelt', X, Sensor1, Ident, Form, Y, Symbol, Type, Acknowledge, VarName, "
            "BitNo, Min, Max, Priority, \"Group\", Helpindex, Sensor2, Fault from Alarmdefs where cast(Ident as int) % 97 = 0;"));
        QVERIFY(QFile::copy(hier, dort));
        Sqlite(dort, QStringLiteral(
            "update Alarmdefs set X = cast(X as int) + 5 where cast(Ident as int) % 3 = 0 and X is not null;"
            "update Alarmdefs set Form = 'Bild9' where cast(Ident as int) % 10 = 1;"
            "update Alarmdefs set X = null, Y = null where cast(Ident as int) % 13 = 2;"
            "update Alarmdefs set Symbol = 'Standard\\Rot.gif' where cast(Ident as int) % 19 = 4;"
            "update Alarmdefs set Alarmtext = Alarmtext || ' neu' where cast(Ident as int) % 23 = 0;"
            "delete from Alarmdefs where cast(Ident as int) % 31 = 5;"));
        QVERIFY(QFile::copy(hier, selbst));
        QVERIFY(QFile::copy(hier, vorher));

        const QList<Schreibauftrag> auftraege = Uebernahme::Auftraege(Vergleich::Vergleichen({hier, dort, {}}).zeilen);
        QVERIFY(auftraege.size() > 1500);
        Sammelergebnis s;
        const Uebernahme::Ergebnis u = Uebernahme::Ausfuehren(hier, auftraege, [&](const QList<Schreibauftrag>& a) {
            return s = AlarmdefsZugriff::SchreibenAlle(hier, a);
        });
        QVERIFY2(u.geschrieben, qPrintable(u.text + u.abgelehnt.join(QLatin1Char('\n')) + u.detail));

        const QString eindeutig = QStringLiteral("a.Ident in (select Ident from main.Alarmdefs group by Ident having count(*) = 1) and "
                                                 "a.Ident in (select Ident from d.Alarmdefs group by Ident having count(*) = 1)");
        const QString anders = QStringLiteral("(a.Form is not b.Form or a.Symbol is not b.Symbol or a.X is not b.X or a.Y is not b.Y)");
        const QString geaendert = Sqlite(selbst, QStringLiteral("attach '%1' as d; update Alarmdefs as a set Form = b.Form, "
                                                                "Symbol = b.Symbol, X = b.X, Y = b.Y from d.Alarmdefs as b "
                                                                "where b.Ident = a.Ident and %2 and %3; select changes();")
                                                     .arg(dort, anders, eindeutig));
        QCOMPARE(QString::number(u.anzahl), geaendert);
        const QString alles = QStringLiteral("select rowid, quote(X), quote(Y), * from Alarmdefs order by rowid");
        QVERIFY(Sqlite(hier, alles) == Sqlite(selbst, alles));

        // each written row by its key: what it held before, column by column
        QCOMPARE(s.zeilen.size(), u.anzahl);
        QHash<QString, QStringList> alt;
        for (const QString& z : Sqlite(vorher, QStringLiteral("select rowid, Ident, Form, Symbol, X, Y from Alarmdefs")).split(QLatin1Char('\n')))
            alt.insert(z.section(QLatin1Char('|'), 0, 0), z.split(QLatin1Char('|')));
        const QHash<int, int> stelle{{AlarmFeld::Form, 2}, {AlarmFeld::Symbol, 3}, {AlarmFeld::X, 4}, {AlarmFeld::Y, 5}};
        for (const Schreibergebnis& e : std::as_const(s.zeilen)) {
            const QStringList zeile = alt.value(e.schluessel.toString());
            QCOMPARE(zeile.value(1), e.ident);
            for (int i = 0; i < e.spalten.size(); ++i)
                QCOMPARE(e.vorher.at(i).toString(), zeile.value(stelle.value(e.spalten.at(i))));
        }
    }

    void ghostArrowsAreDrawnWhereTheOtherSideSaysAndPickOnDoubleClick() {
        QPixmap bild(400, 300);
        bild.fill(Qt::white);
        Bildflaeche flaeche;
        flaeche.BildSetzen(bild);
        flaeche.show();
        Geisterpfeile geister(&flaeche, Schwarz);
        Geisterpfeile::Geist g{"12", "Kessel", {100, 50}, "P.gif", QPoint(200, 150), false, "Alarm 12"};
        Geisterpfeile::Geist k{"13", "Kessel", {300, 40}, "P.gif", std::nullopt, true, "Alarm 13"};
        Geisterpfeile::Geist fremd{"14", "Turbine", {20, 250}, "P.gif", std::nullopt, false, {}};
        // the layer is drawn on a worker: the first frame orders it, a later one shows it
        const auto gezeichnet = [&] {
            flaeche.grab();
            const bool bereit = QTest::qWaitFor([&] { return geister.EbeneBereit(); }, 20000);
            return bereit ? flaeche.grab().toImage() : QImage();
        };
        geister.Setzen({g, k, fremd});
        geister.FormSetzen("Kessel");
        for (double zoom : {1.0, 2.0}) {
            flaeche.ZoomSetzen(zoom);
            const QImage b = gezeichnet();
            QVERIFY(!b.isNull());
            const auto bei = [&](int x, int y) { return b.pixelColor(QPoint(int(x * zoom), int(y * zoom))); };
            // pale: the black symbol at 40 % on white, neither black nor white
            const QColor blass = bei(112, 54);
            QVERIFY2(blass.lightness() > 100 && blass.lightness() < 200, qPrintable(blass.name()));
            QCOMPARE(bei(300 + 8, 40 + 8).lightness(), blass.lightness());
            // dashed outline: blue on the ghost, red on the conflict (somewhere at the corner)
            const auto ecke = [&](int x, int y, bool rot) {
                for (int dx = -1; dx <= 1; ++dx)
                    for (int dy = -1; dy <= 1; ++dy) {
                        const QColor c = b.pixelColor(QPoint(int(x * zoom) + dx, int(y * zoom) + dy));
                        if (rot ? c.red() > c.blue() + 60 : c.blue() > c.red() + 60)
                            return true;
                    }
                return false;
            };
            QVERIFY(ecke(100, 50, false));
            QVERIFY(ecke(300, 40, true));
            QVERIFY(!ecke(200, 200, false));
            // the thin line to this side's arrow: its middle is not white
            QVERIFY(bei(158, 108) != QColor(Qt::white));
            // the other picture's ghost is not drawn here
            QCOMPARE(bei(28, 258), QColor(Qt::white));
        }
        flaeche.ZoomSetzen(1.0);
        QSignalSpy spy(&geister, &Geisterpfeile::GeistDoppelklick);
        QTest::mouseDClick(&flaeche, Qt::LeftButton, {}, QPoint(105, 55));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QStringLiteral("12"));
        QTest::mouseDClick(&flaeche, Qt::LeftButton, {}, QPoint(250, 250));
        QCOMPARE(spy.count(), 1);
        geister.FormSetzen("Turbine");
        QCOMPARE(geister.Gezeigt().size(), 1u);
        // the kept layer follows the picture and new ghosts: nothing of the old ones stays
        QImage b = gezeichnet();
        QVERIFY(b.pixelColor(28, 258) != QColor(Qt::white));
        QCOMPARE(b.pixelColor(112, 54), QColor(Qt::white));
        fremd.pos = {60, 200};
        geister.Setzen({g, k, fremd});
        b = gezeichnet();
        QCOMPARE(b.pixelColor(28, 258), QColor(Qt::white));
        QVERIFY(b.pixelColor(68, 208) != QColor(Qt::white));
    }

    // The window's thread never draws the layer: after a change the frame shows
    // the previous ghosts until the worker's layer arrives; a layer ordered for
    // ghosts replaced meanwhile is dropped, never shown.
    void ghostLayerComesFromAWorkerAndAStaleOneIsDropped() {
        QPixmap bild(400, 300);
        bild.fill(Qt::white);
        Bildflaeche flaeche;
        flaeche.BildSetzen(bild);
        flaeche.show();
        Geisterpfeile geister(&flaeche, Schwarz);
        QSignalSpy gezeichnet(&geister, &Geisterpfeile::EbeneGezeichnet);
        const Geisterpfeile::Geist a{"1", "Kessel", {100, 50}, "P.gif", std::nullopt, false, {}};
        const Geisterpfeile::Geist b{"1", "Kessel", {250, 200}, "P.gif", std::nullopt, false, {}};
        const Geisterpfeile::Geist c{"1", "Kessel", {50, 220}, "P.gif", std::nullopt, false, {}};
        const auto da = [](const QImage& i, const Geisterpfeile::Geist& g) { return i.pixelColor(g.pos + QPoint(8, 8)) != QColor(Qt::white); };
        geister.FormSetzen("Kessel");
        geister.Setzen({a});
        QVERIFY(!da(flaeche.grab().toImage(), a));
        QVERIFY(!geister.EbeneBereit());
        QVERIFY(gezeichnet.wait(20000));
        QVERIFY(da(flaeche.grab().toImage(), a));
        // b is ordered, then replaced by c before it arrives: a stays until c's layer is there
        geister.Setzen({b});
        QImage i = flaeche.grab().toImage();
        QVERIFY(da(i, a) && !da(i, b));
        geister.Setzen({c});
        i = flaeche.grab().toImage();
        QVERIFY(da(i, a) && !da(i, c));
        QVERIFY(QTest::qWaitFor([&] { return geister.EbeneBereit(); }, 20000));
        i = flaeche.grab().toImage();
        QVERIFY(da(i, c));
        QVERIFY(!da(i, a));
        QVERIFY(!da(i, b));
        QCOMPARE(gezeichnet.count(), 2);
        // another picture shows none of this one's ghosts while its own are drawn
        geister.FormSetzen("Turbine");
        QVERIFY(!da(flaeche.grab().toImage(), c));
    }

    // A large set is sorted by picture on a worker: the ghosts shown stay until
    // it is taken, a set replaced meanwhile is dropped, and the one taken still
    // marks its conflicts, picks its alarm on a double click and follows a
    // moved arrow of this side.
    void aLargeGhostSetIsSortedOnAWorkerAndAStaleOneIsDropped() {
        QPixmap bild(400, 300);
        bild.fill(Qt::white);
        Bildflaeche flaeche;
        flaeche.BildSetzen(bild);
        flaeche.show();
        Geisterpfeile geister(&flaeche, Schwarz);
        geister.FormSetzen("Kessel");
        geister.Setzen({{"1", "Kessel", {100, 50}, "P.gif", std::nullopt, false, {}}});
        QCOMPARE(geister.Gezeigt().size(), 1u);
        const auto satz = [](const Geisterpfeile::Geist& hier) {
            std::vector<Geisterpfeile::Geist> g;
            for (int i = 0; i <= int(Geisterpfeile::SofortHoechstens); ++i)
                g.push_back({QString::number(1000 + i), QStringLiteral("Bild %1").arg(i % 7), {i % 300, i % 200}, "P.gif", std::nullopt, false, {}});
            g.push_back(hier);
            return g;
        };
        const Geisterpfeile::Geist b{"2", "Kessel", {250, 200}, "P.gif", QPoint(300, 250), false, {}};
        const Geisterpfeile::Geist c{"3", "Kessel", {50, 220}, "P.gif", QPoint(60, 100), true, {}};
        QSignalSpy uebernommen(&geister, &Geisterpfeile::SatzUebernommen);
        geister.Setzen(satz(b));
        geister.Setzen(satz(c));
        QVERIFY(geister.SatzUnterwegs());
        QVERIFY(!geister.EbeneBereit());
        QCOMPARE(geister.Gezeigt().size(), 1u);
        QCOMPARE(geister.Gezeigt().front().ident, QStringLiteral("1"));
        QVERIFY(uebernommen.wait(20000));
        // both answers are in: the one for b came too late and was dropped
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(uebernommen.count(), 1);
        QCOMPARE(geister.Gezeigt().size(), 1u);
        QCOMPARE(geister.Gezeigt().front().ident, QStringLiteral("3"));
        flaeche.grab();
        QVERIFY(QTest::qWaitFor([&] { return geister.EbeneBereit(); }, 20000));
        const QImage i = flaeche.grab().toImage();
        QVERIFY(i.pixelColor(58, 228) != QColor(Qt::white));
        QCOMPARE(i.pixelColor(108, 58), QColor(Qt::white));
        const QColor rand = i.pixelColor(50, 220);
        QVERIFY2(rand.red() > rand.blue() + 60, qPrintable(rand.name()));
        QSignalSpy spy(&geister, &Geisterpfeile::GeistDoppelklick);
        QTest::mouseDClick(&flaeche, Qt::LeftButton, {}, QPoint(55, 225));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QStringLiteral("3"));
        // this side's arrow of alarm 3 moves: the line to it is drawn anew
        PfeilBild a;
        a.Ident = "3";
        a.Left = 60;
        a.Top = 100;
        a.Width = a.Height = 16;
        a.Visible = true;
        a.Picture = Schwarz("P.gif");
        flaeche.imgPfeil.resize(1);
        flaeche.imgPfeil.push_back(a);
        const QRect vorher = flaeche.imgPfeil[1].Rechteck();
        flaeche.imgPfeil[1].Left = 300;
        flaeche.PfeilNeuZeichnen(1, vorher);
        QVERIFY(!geister.EbeneBereit());
    }

    // Held out: a pair made by the sqlite3 program alone (the columns in
    // another order, Ident as text, X and Y as reals), with more moved alarms
    // than are taken at once. Once the set is sorted on a worker, each ghost of
    // the picture shown lies where the other file's X/Y (read back by the
    // sqlite3 program) say, and none where this side's arrow is.
    void ghostsOfALargeSqlite3PairLandWhereItsPositionsSay() {
        const QString hier = Pfad("geister-gross-hier.kvs"), dort = Pfad("geister-gross-dort.kvs");
        const QString anlegen = QStringLiteral(
            "create table Alarmdefs (Symbol text, Y real, Alarmtext text, Form text, X real, Ident text, Type int, Acknowledge int, "
            "VarName text, BitNo int, Min text, Max text, Priority int, \"Group\" int, Helpindex int, Sensor1 int, Sensor2 int, Fault int);"
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 24000) "
            "insert into Alarmdefs select 'P.gif', 30 + (i / 2000) * 40, 'Alarm ' || i, "
            "case when i % 2000 = 0 then 'Halle' else 'Lager ' || (i % 5) end, 20 + (i * 13) % 700, cast(1000 + i as text), "
            "1, 0, 'V' || i, 3, '0', '100', 2, 7, 1, 150, 0, 1 from n;");
        Sqlite(hier, anlegen);
        Sqlite(dort, anlegen + QStringLiteral("update Alarmdefs set X = X + 30.0, Y = Y + 12.0 where (cast(Ident as integer) / 2000) % 2 = 0 "
                                              "or cast(Ident as integer) % 2 = 0;"));
        QCOMPARE(Sqlite(dort, QStringLiteral("select count(*), typeof(X), typeof(Ident) from Alarmdefs")), QStringLiteral("24000|real|text"));
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        std::vector<Geisterpfeile::Geist> geister;
        for (const Vergleichszeile& z : e.zeilen)
            geister.push_back({z.ident, z.dort.value(AlarmFeld::Form),
                               {z.dort.value(AlarmFeld::X).toInt(), z.dort.value(AlarmFeld::Y).toInt()}, z.dort.value(AlarmFeld::Symbol),
                               QPoint(z.hier.value(AlarmFeld::X).toInt(), z.hier.value(AlarmFeld::Y).toInt()), false, {}});
        QVERIFY(geister.size() > Geisterpfeile::SofortHoechstens);
        QList<std::pair<QPoint, QPoint>> soll;  // the other side's place, and this side's
        const QString abfrage = QStringLiteral("attach '%1' as d; select d.X, d.Y, h.X, h.Y from Alarmdefs h join d.Alarmdefs d using (Ident) "
                                               "where d.Form = 'Halle' and d.X <> h.X order by h.Ident").arg(dort);
        for (const QString& zeile : Sqlite(hier, abfrage).split(QLatin1Char('\n'))) {
            const QStringList t = zeile.split(QLatin1Char('|'));
            QCOMPARE(t.size(), 4);
            soll.append({QPoint(int(t[0].toDouble()), int(t[1].toDouble())), QPoint(int(t[2].toDouble()), int(t[3].toDouble()))});
        }
        QVERIFY(soll.size() >= 5);
        QPixmap bild(800, 600);
        bild.fill(Qt::white);
        Bildflaeche flaeche;
        flaeche.BildSetzen(bild);
        flaeche.show();
        Geisterpfeile ghosts(&flaeche, Schwarz);
        ghosts.FormSetzen("Halle");
        QSignalSpy uebernommen(&ghosts, &Geisterpfeile::SatzUebernommen);
        ghosts.Setzen(std::move(geister));
        QVERIFY(ghosts.Gezeigt().empty());
        QVERIFY(uebernommen.wait(20000));
        QCOMPARE(ghosts.Gezeigt().size(), std::size_t(soll.size()));
        flaeche.grab();
        QVERIFY(QTest::qWaitFor([&] { return ghosts.EbeneBereit(); }, 20000));
        const QImage b = flaeche.grab().toImage();
        for (const auto& [da, hierPos] : std::as_const(soll)) {
            const QColor c = b.pixelColor(da + QPoint(8, 8));
            QVERIFY2(c.lightness() > 100 && c.lightness() < 200, qPrintable(c.name()));
            QCOMPARE(b.pixelColor(hierPos + QPoint(8, 8)), QColor(Qt::white));
        }
    }

    // A pair written by Python's sqlite3 module alone: the columns in another
    // order, Ident stored as text, a symbol of another size and colour. The
    // ghosts land where the other file's X/Y (read back by the sqlite3
    // program) say, at 100 %, after a zoom of 150 %, and their lines follow
    // this side's arrow when it moves; a double click on one picks its alarm.
    void ghostsOfAnIndependentPairLandWhereItsPositionsSay() {
        const QString hier = Pfad("geister-py-hier.kvs"), dort = Pfad("geister-py-dort.kvs");
        const QString python = QStringLiteral(R"(
import random, sqlite3, sys
random.seed(4711)
spalten = ('Alarmtext text, Ident text, Y integer, Form text, Fault int, X integer, Symbol text, Type int, '
           'Acknowledge int, VarName text, BitNo int, Min text, Max text, Priority int, "Group" int, '
           'Helpindex int, Sensor1 int, Sensor2 int')
seiten = {sys.argv[1]: [], sys.argv[2]: []}
for i in range(12):
    x, y = 40 + 100 * (i % 6) + random.randint(0, 30), 40 + 130 * (i // 6) + random.randint(0, 30)
    seiten[sys.argv[1]].append((str(501 + i), x, y + 260))
    # every second alarm moved on the other side, one of them to another picture
    seiten[sys.argv[2]].append((str(501 + i), x, y if i % 2 == 0 else y + 260))
for pfad, zeilen in seiten.items():
    db = sqlite3.connect(pfad)
    db.execute('create table Alarmdefs (%s)' % spalten)
    for ident, x, y in zeilen:
        form = 'Lager' if pfad == sys.argv[2] and ident == '511' else 'Halle'
        db.execute('insert into Alarmdefs (Alarmtext, Ident, Y, Form, Fault, X, Symbol, Type, Acknowledge, VarName, '
                   'BitNo, Min, Max, Priority, "Group", Helpindex, Sensor1, Sensor2) '
                   'values (?, ?, ?, ?, 1, ?, ?, 1, 0, ?, 3, ?, ?, 2, 7, 1, 150, 0)',
                   ('Füllstand ' + ident, ident, y, form, x, 'Gruen.gif', 'V' + ident, '0', '100'))
    db.commit()
)");
        QProcess py;
        py.start(QStringLiteral("python3"), {QStringLiteral("-c"), python, hier, dort});
        QVERIFY(py.waitForFinished(60000));
        QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
        std::vector<Geisterpfeile::Geist> geister;
        for (const Vergleichszeile& z : e.zeilen) {
            Geisterpfeile::Geist g{z.ident, z.dort.value(AlarmFeld::Form), {z.dort.value(AlarmFeld::X).toInt(), z.dort.value(AlarmFeld::Y).toInt()},
                                   z.dort.value(AlarmFeld::Symbol), QPoint(z.hier.value(AlarmFeld::X).toInt(), z.hier.value(AlarmFeld::Y).toInt()),
                                   false, {}};
            geister.push_back(g);
        }
        // where the ghosts must be, as the sqlite3 program reads the other file
        QList<std::pair<QString, QPoint>> soll;
        const QString abfrage = QStringLiteral("select h.Ident, d.X, d.Y from Alarmdefs h join d.Alarmdefs d using (Ident) "
                                               "where d.Form = 'Halle' and d.Y <> h.Y order by h.Ident");
        for (const QString& zeile : Sqlite(hier, QStringLiteral("attach '%1' as d; %2").arg(dort, abfrage)).split(QLatin1Char('\n'))) {
            const QStringList t = zeile.split(QLatin1Char('|'));
            QCOMPARE(t.size(), 3);
            soll.append({t[0], QPoint(t[1].toInt(), t[2].toInt())});
        }
        QCOMPARE(soll.size(), 5);
        QCOMPARE(e.zeilen.size(), 6);

        QPixmap bild(700, 600);
        bild.fill(Qt::white);
        Bildflaeche flaeche;
        flaeche.BildSetzen(bild);
        flaeche.show();
        Geisterpfeile ghosts(&flaeche, [](const QString&) {
            QPixmap p(12, 20);
            p.fill(QColor(0, 100, 0));
            return p;
        });
        ghosts.FormSetzen("Halle");
        ghosts.Setzen(geister);
        QCOMPARE(ghosts.Gezeigt().size(), 5u);
        const auto gezeichnet = [&] {
            flaeche.grab();
            return QTest::qWaitFor([&] { return ghosts.EbeneBereit(); }, 20000) ? flaeche.grab().toImage() : QImage();
        };
        const auto blassGruen = [](const QColor& c) { return c != QColor(Qt::white) && c.green() > c.red() + 20 && c.green() < 240; };
        // a thin line passes within a pixel of p
        const auto linie = [](const QImage& b, QPoint p) {
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    if (b.pixelColor(p + QPoint(dx, dy)) != QColor(Qt::white))
                        return true;
            return false;
        };
        for (double zoom : {1.0, 1.5}) {
            flaeche.ZoomSetzen(zoom);
            const QImage b = gezeichnet();
            QVERIFY(!b.isNull());
            for (const auto& [ident, pos] : std::as_const(soll)) {
                const QColor c = b.pixelColor(((QPointF(pos) + QPointF(6, 10)) * zoom).toPoint());
                QVERIFY2(blassGruen(c), qPrintable(ident + QLatin1Char(' ') + c.name()));
                // no ghost where this side's arrow is (none on the box here), but the line passes between
                QCOMPARE(b.pixelColor(((QPointF(pos) + QPointF(10, 10 + 260)) * zoom).toPoint()), QColor(Qt::white));
                QVERIFY(linie(b, ((QPointF(pos) + QPointF(6, 10 + 130)) * zoom).toPoint()));
            }
        }
        flaeche.ZoomSetzen(1.0);
        QVERIFY(!gezeichnet().isNull());
        QVERIFY(flaeche.UntergrundGesetzt());
        // this side's arrow of the first moved alarm on the box, then moved aside: its line follows
        const auto& [ident, pos] = soll.first();
        PfeilBild a;
        a.Ident = ident;
        a.Left = pos.x();
        a.Top = pos.y() + 260;
        a.Width = 12;
        a.Height = 20;
        a.Visible = true;
        a.Picture = QPixmap(12, 20);
        a.Picture.fill(Qt::black);
        flaeche.imgPfeil.resize(1);
        flaeche.imgPfeil.push_back(a);
        const QRect vorher = flaeche.imgPfeil[1].Rechteck();
        flaeche.imgPfeil[1].Left = pos.x() + 300;
        flaeche.PfeilNeuZeichnen(1, vorher);
        QVERIFY(!ghosts.EbeneBereit());
        const QImage b = gezeichnet();
        const QPoint mitteNeu = (QPoint(pos.x() + 300 + 6, pos.y() + 260 + 10) + pos + QPoint(6, 10)) / 2;
        QVERIFY(linie(b, mitteNeu));
        QVERIFY(!linie(b, pos + QPoint(6, 10 + 130)));
        QVERIFY(blassGruen(b.pixelColor(pos + QPoint(6, 10))));
        QSignalSpy spy(&ghosts, &Geisterpfeile::GeistDoppelklick);
        QTest::mouseDClick(&flaeche, Qt::LeftButton, {}, soll.last().second + QPoint(3, 3));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), soll.last().first);
    }

    // The blended copy of the picture is bounded: a picture too large at the
    // zoom gets it at 100 %, scaled as the picture is; a picture too large
    // even at 100 % gets the ghosts as a layer over the box. Either way each
    // ghost is where its X/Y say.
    void ghostsOnLargePicturesStayInPlaceWithinTheCopysBound() {
        const Geisterpfeile::Geist g{"7", "Gross", {2000, 1800}, "P.gif", QPoint(2000, 2100), false, {}};
        const auto ausschnitt = [](Bildflaeche& f, QPoint wo) {
            QImage i(40, 40, QImage::Format_ARGB32_Premultiplied);
            i.fill(Qt::magenta);
            QPainter p(&i);
            f.render(&p, QPoint(), QRegion(QRect(wo, QSize(40, 40))));
            return i;
        };
        const auto blass = [](const QColor& c) { return c.lightness() > 100 && c.lightness() < 200; };
        {
            QPixmap bild(2500, 2500);
            bild.fill(Qt::white);
            Bildflaeche flaeche;
            flaeche.BildSetzen(bild);
            Geisterpfeile geister(&flaeche, Schwarz);
            geister.FormSetzen("Gross");
            geister.Setzen({g});
            QVERIFY(geister.Eingeblendet());
            for (double zoom : {1.0, 2.0}) {
                flaeche.ZoomSetzen(zoom);
                const QPoint wo = (QPointF(g.pos) * zoom).toPoint() - QPoint(12, 12);
                ausschnitt(flaeche, wo);
                QVERIFY(QTest::qWaitFor([&] { return geister.EbeneBereit(); }, 30000));
                QVERIFY(flaeche.UntergrundGesetzt());
                const QImage i = ausschnitt(flaeche, wo);
                QVERIFY2(blass(i.pixelColor(QPoint(12, 12) + QPoint(8, 8) * zoom)), qPrintable(i.pixelColor(20, 20).name()));
                QCOMPARE(i.pixelColor(4, 4), QColor(Qt::white));
            }
            // closed: the plain picture again
            geister.Setzen({});
            QVERIFY(!flaeche.UntergrundGesetzt());
            // ghosts that go first take their copy with them; a box that goes first takes its ghosts
            auto* weitere = new Geisterpfeile(&flaeche, Schwarz);
            weitere->FormSetzen("Gross");
            weitere->Setzen({g});
            ausschnitt(flaeche, g.pos * 2);
            QVERIFY(QTest::qWaitFor([&] { return weitere->EbeneBereit(); }, 30000));
            QVERIFY(flaeche.UntergrundGesetzt());
            delete weitere;
            QVERIFY(!flaeche.UntergrundGesetzt());
            QCOMPARE(ausschnitt(flaeche, g.pos * 2 - QPoint(12, 12)).pixelColor(20, 20), QColor(Qt::white));
            auto* box = new Bildflaeche;
            box->BildSetzen(bild);
            auto* mit = new Geisterpfeile(box, Schwarz);
            mit->FormSetzen("Gross");
            mit->Setzen({g});
            ausschnitt(*box, g.pos);
            QVERIFY(QTest::qWaitFor([&] { return mit->EbeneBereit(); }, 30000));
            delete box;
        }
        QPixmap riesig(4000, 3001);
        riesig.fill(Qt::white);
        Bildflaeche flaeche;
        flaeche.BildSetzen(riesig);
        Geisterpfeile geister(&flaeche, Schwarz);
        geister.FormSetzen("Gross");
        geister.Setzen({g});
        QVERIFY(!geister.Eingeblendet());
        ausschnitt(flaeche, g.pos - QPoint(12, 12));
        QVERIFY(QTest::qWaitFor([&] { return geister.EbeneBereit(); }, 30000));
        const QImage i = ausschnitt(flaeche, g.pos - QPoint(12, 12));
        QVERIFY(!flaeche.UntergrundGesetzt());
        QVERIFY(blass(i.pixelColor(20, 20)));
        QCOMPARE(i.pixelColor(4, 4), QColor(Qt::white));
    }

    // A box too large for one layer over it (a picture above the bound) gets
    // the ghosts of the part in view drawn on a worker: a part scrolled into
    // view shows its ghosts once that layer is back, never drawn by the
    // window's thread in the repaint itself, each where its X/Y say.
    void ghostsOfAHugeBoxAreDrawnOnAWorkerForThePartInView() {
        QPixmap bild(4200, 3000);
        bild.fill(Qt::white);
        QScrollArea rahmen;
        rahmen.resize(640, 480);
        auto* flaeche = new Bildflaeche;
        flaeche->BildSetzen(bild);
        rahmen.setWidget(flaeche);
        rahmen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rahmen));
        Geisterpfeile geister(flaeche, Schwarz);
        const Geisterpfeile::Geist nah{"1", "Riesig", {100, 80}, "P.gif", std::nullopt, false, {}};
        const Geisterpfeile::Geist fern{"2", "Riesig", {3900, 2700}, "P.gif", QPoint(3800, 2750), true, {}};
        geister.FormSetzen("Riesig");
        geister.Setzen({nah, fern});
        QVERIFY(!geister.Eingeblendet());
        QVERIFY(qint64(flaeche->width()) * flaeche->height() > 12'000'000);
        const auto blass = [](const QColor& c) { return c.lightness() > 100 && c.lightness() < 200; };
        const auto sicht = [&] { return rahmen.viewport()->grab().toImage(); };
        // the middle of a ghost's symbol in the view: its X/Y less the scroll
        const auto bei = [&](const Geisterpfeile::Geist& g) {
            return g.pos + QPoint(8, 8) - QPoint(rahmen.horizontalScrollBar()->value(), rahmen.verticalScrollBar()->value());
        };
        sicht();
        QVERIFY(QTest::qWaitFor([&] { return geister.EbeneBereit(); }, 30000));
        QImage b = sicht();
        QVERIFY2(blass(b.pixelColor(bei(nah))), qPrintable(b.pixelColor(bei(nah)).name()));
        QCOMPARE(b.pixelColor(bei(nah) + QPoint(60, 0)), QColor(Qt::white));
        // the far corner scrolled into view: its ghost comes with the worker's layer, not with the repaint
        rahmen.horizontalScrollBar()->setValue(fern.pos.x() - 200);
        rahmen.verticalScrollBar()->setValue(fern.pos.y() - 200);
        b = sicht();
        QVERIFY(!geister.EbeneBereit());
        QCOMPARE(b.pixelColor(bei(fern)), QColor(Qt::white));
        QVERIFY(QTest::qWaitFor([&] { return geister.EbeneBereit(); }, 30000));
        b = sicht();
        // a conflict: red outline around the pale symbol, at the other side's place
        QVERIFY2(blass(b.pixelColor(bei(fern))), qPrintable(b.pixelColor(bei(fern)).name()));
        QCOMPARE(b.pixelColor(bei(fern) - QPoint(8, 8)), QColor(220, 0, 0));
        QCOMPARE(b.pixelColor(bei(fern) + QPoint(60, 0)), QColor(Qt::white));
    }

    void differenceViewChoosesLinesAndSkipsHeadings() {
        const QString hier = Pfad("hier10.kvs"), dort = Pfad("dort10.kvs"), basis = Pfad("basis10.kvs");
        QVERIFY(Anlegen(basis, {{1, "K", "P.gif", "1", "1"}, {2, "K", "P.gif", "1", "1"}, {3, "K", "P.gif", "1", "1"}}));
        QVERIFY(Anlegen(hier, {{1, "K", "P.gif", "1", "1"}, {2, "K", "P.gif", "4", "4"}, {3, "K", "P.gif", "1", "1"}}));
        QVERIFY(Fremd(dort, {{1, "K", "P.gif", "2", "2"}, {2, "K", "P.gif", "5", "5"}, {3, "L", "P.gif", "1", "1"}}));
        const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, basis});
        Differenzansicht ansicht;
        ansicht.Setzen(Differenz::AusVergleich(e));
        ansicht.show();
        DifferenzModell* m = ansicht.Modell();
        QCOMPARE(m->rowCount(), 6);  // three headings, three lines
        QCOMPARE(m->GewaehlteSichtbare().size(), 2);  // the conflict cannot be chosen
        const int konflikt = m->RowVon(0);
        QCOMPARE(m->Zeilen().at(0).gruppe, QStringLiteral("Konflikte"));
        QCOMPARE(m->data(m->index(konflikt, DifferenzModell::Alt), Qt::DisplayRole).toString(), QStringLiteral("4, 4"));
        QCOMPARE(m->data(m->index(konflikt, DifferenzModell::Neu), Qt::DisplayRole).toString(), QStringLiteral("5, 5"));
        QCOMPARE(m->data(m->index(konflikt, DifferenzModell::Vorher), Qt::DisplayRole).toString(), QStringLiteral("1, 1"));
        QVERIFY(!(m->flags(m->index(konflikt, 0)) & Qt::ItemIsUserCheckable));
        QTest::mouseClick(ansicht.cmdKeine, Qt::LeftButton);
        QVERIFY(m->GewaehlteSichtbare().isEmpty());
        QTest::mouseClick(ansicht.cmdAlle, Qt::LeftButton);
        QCOMPARE(m->GewaehlteSichtbare().size(), 2);
        // keys: F8 goes from line to line over the headings, Enter picks
        ansicht.Liste()->setFocus();
        ansicht.Liste()->setCurrentIndex(m->index(0, 0));
        QTest::keyClick(ansicht.Liste(), Qt::Key_F8);
        QCOMPARE(ansicht.AktuelleZeile(), 0);
        QTest::keyClick(ansicht.Liste(), Qt::Key_F8);
        QCOMPARE(ansicht.AktuelleZeile(), 1);
        QTest::keyClick(ansicht.Liste(), Qt::Key_Space);
        QCOMPARE(m->GewaehlteSichtbare().size(), 1);
        QSignalSpy spy(&ansicht, &Differenzansicht::AlarmGewaehlt);
        QTest::keyClick(ansicht.Liste(), Qt::Key_Return);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), m->Zeilen().at(1).ident);
        // the import's lines: old from the row as read, new from the values
        Schreibauftrag a;
        a.ident = "7";
        a.spalten = {AlarmFeld::X, AlarmFeld::Y};
        a.werte = {12, QVariant()};
        AlarmRecord r(AlarmFeld::Anzahl);
        r[AlarmFeld::X] = "3";
        r[AlarmFeld::Y] = "4";
        a.gelesen = r;
        QCOMPARE(Differenz::AusAuftrag(a).Text(), QStringLiteral("Alarm 7: X 3 → 12, Y 4 → leer"));
    }

    // Both sides written by the sqlite3 program, a row count where writing takes
    // a while. The take-over runs as a background job: cancelled (Esc, or while
    // another program holds the write lock) it writes nothing and leaves no
    // step; run through, it writes every row in one step that undo takes back.
    void takeOverRunsInTheBackgroundAndCancelWritesNothing() {
        const QString hier = Pfad("hier-gross.kvs"), dort = Pfad("dort-gross.kvs");
        const QString erzeugen = QStringLiteral(
            "create table Alarmdefs (%1);"
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 8000) "
            "insert into Alarmdefs (Ident, Alarmtext, Form, Symbol, X, Y) "
            "select i, 'Störung ' || i, 'Bild' || (i % 7), 'Standard\\Pfeil.gif', i % 1000, i % 700 from n;")
                                     .arg(QLatin1String(TestDb::Spalten));
        Sqlite(hier, erzeugen);
        QVERIFY(QFile::copy(hier, dort));
        Sqlite(dort, "update Alarmdefs set X = X + 5 where Ident % 4 = 0; update Alarmdefs set Form = 'Anderes' where Ident % 1000 = 1");
        const QString zustand = QStringLiteral("select sum(X), sum(Form = 'Anderes') from Alarmdefs");
        const QString vorher = Sqlite(hier, zustand);
        // counted by the sqlite3 program itself
        const QString unterschiede = QStringLiteral("attach '%1' as dort; select count(*) from Alarmdefs a join dort.Alarmdefs b "
                                                    "using (Ident) where a.X is not b.X or a.Form is not b.Form")
                                         .arg(dort);
        SkriptDialoge dialoge;
        AlarmAuswahl auswahl;
        auswahl.setAlarmDatenbank(hier);
        Verlauf verlauf;
        verlauf.Verbinden(&auswahl);
        Haupt haupt;
        haupt.auswahl = &auswahl;
        frmVergleich f(haupt, nullptr);
        f.show();
        f.txtDort->setText(dort);
        QSignalSpy fertig(&f.Lauf(), &VergleichLauf::Fertig);
        QVERIFY(f.Vergleichen());
        QVERIFY(fertig.wait(60000));
        const qsizetype angeboten = f.Ergebnis()->Uebernehmbar();
        QCOMPARE(QString::number(angeboten), Sqlite(hier, unterschiede));
        QSignalSpy beendet(&f, &frmVergleich::UebernahmeBeendet);
        // Esc in the window stops it
        QVERIFY(f.Uebernehmen(frmVergleich::Umfang::Alle));
        QVERIFY(f.Uebernahmeauftrag());
        QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(beendet.wait(60000));
        QCOMPARE(beendet.takeFirst().first().toBool(), false);
        QCOMPARE(Sqlite(hier, zustand), vorher);
        QCOMPARE(verlauf.Stapel()->count(), 0);
        QVERIFY(haupt.status.last().contains(QStringLiteral("abgebrochen")));
        QCOMPARE(f.Ergebnis()->Uebernehmbar(), angeboten);
        {
            // another program holds the write lock: the job waits for it, is cancelled meanwhile, writes nothing
            TestDb sperre(hier);
            QVERIFY(sperre.Ausfuehren("BEGIN IMMEDIATE"));
            QVERIFY(f.Uebernehmen(frmVergleich::Umfang::Alle));
            QTest::qWait(50);
            f.Uebernahmeauftrag()->Abbrechen();
            QVERIFY(sperre.Ausfuehren("ROLLBACK"));
        }
        QVERIFY(beendet.wait(60000));
        QCOMPARE(beendet.takeFirst().first().toBool(), false);
        QCOMPARE(Sqlite(hier, zustand), vorher);
        QCOMPARE(verlauf.Stapel()->count(), 0);
        // run through: every offered row, one step
        QVERIFY(f.Uebernehmen(frmVergleich::Umfang::Alle));
        QVERIFY(beendet.wait(60000));
        QCOMPARE(beendet.takeFirst().first().toBool(), true);
        QCOMPARE(verlauf.Stapel()->count(), 1);
        QCOMPARE(f.Ergebnis()->Uebernehmbar(), 0);
        QCOMPARE(Sqlite(hier, unterschiede), QStringLiteral("0"));
        verlauf.Stapel()->undo();
        QCOMPARE(Sqlite(hier, zustand), vorher);
        QCOMPARE(Vergleich::Vergleichen({hier, dort, {}}).Uebernehmbar(), angeboten);
    }

    void windowComparesInTheBackgroundAndTakesOverAsOneStep() {
        const QString hier = Pfad("hier11.kvs"), dort = Pfad("dort11.kvs");
        QVERIFY(Anlegen(hier, kHier));
        QVERIFY(Fremd(dort, kDort));
        SkriptDialoge dialoge;
        AlarmAuswahl auswahl;
        auswahl.setAlarmDatenbank(hier);
        Verlauf verlauf;
        verlauf.Verbinden(&auswahl);
        Haupt haupt;
        haupt.auswahl = &auswahl;
        frmVergleich f(haupt, nullptr);
        f.show();
        // no other database named: a message, nothing started
        QVERIFY(!f.Vergleichen());
        QCOMPARE(dialoge.meldungen.size(), 1);
        f.txtDort->setText(dort);
        QSignalSpy fertig(&f.Lauf(), &VergleichLauf::Fertig);
        QTest::mouseClick(f.cmdVergleichen, Qt::LeftButton);
        QVERIFY(fertig.wait(20000));
        QVERIFY(f.Ergebnis().has_value());
        QCOMPARE(f.Ergebnis()->zeilen.size(), 9);
        // Enter on a line picks its alarm
        QTreeView* liste = f.lvwDifferenzen->Liste();
        liste->setFocus();
        liste->setCurrentIndex(liste->model()->index(0, 0));
        f.lvwDifferenzen->Weiter(1);
        QTest::keyClick(liste, Qt::Key_Return);
        QCOMPARE(haupt.gezeigt.size(), 1);
        // filtered by picture and kind
        f.cboArt->setCurrentIndex(f.cboArt->findText(Vergleichszeile::ArtName(Art::Verschoben)));
        QCOMPARE(f.lvwDifferenzen->Modell()->SichtbareZeilen(), 1);
        f.cboArt->setCurrentIndex(0);
        QVERIFY(f.cmdAlleUebernehmen->isEnabled());
        QSignalSpy uebernommen(&f, &frmVergleich::UebernahmeBeendet);
        QTest::mouseClick(f.cmdAlleUebernehmen, Qt::LeftButton);
        // written in the background: no second take-over meanwhile
        QVERIFY(!f.cmdAlleUebernehmen->isEnabled());
        QVERIFY(uebernommen.wait(20000));
        QCOMPARE(uebernommen.first().first().toBool(), true);
        QCOMPARE(verlauf.Stapel()->count(), 1);
        QCOMPARE(haupt.status.last(), QStringLiteral("5 Alarme übernommen."));
        QCOMPARE(f.Ergebnis()->Uebernehmbar(), 0);
        QCOMPARE(f.Ergebnis()->zeilen.size(), 4);
        verlauf.Stapel()->undo();
        QCOMPARE(Vergleich::Vergleichen({hier, dort, {}}).Uebernehmbar(), 5);
    }
};

QTEST_MAIN(TstVergleich)
#include "tst_vergleich.moc"
