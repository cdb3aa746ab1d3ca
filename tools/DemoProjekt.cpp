#include "DemoProjekt.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "DemoBild.h"
#include "GifSchreiber.h"
#include "platform/Cp1252.h"
#include "platform/MRegistrierung.h"
#include "platform/WinUmgebung.h"

namespace {

const char* const KORVANT_SCHLUESSEL = "Software\\BELMARK GmbH\\Korvant\\4.0";
const char* const PROJEKTE_SCHLUESSEL = "SOFTWARE\\BELMARK GmbH\\Korvant\\4.0\\Projects";
const QString PROJEKTE_WIN = QStringLiteral("C:\\Projekte");
const QString DEMO_WIN = QStringLiteral("C:\\Projekte\\Demo");
const QString ZWEITES_PROJEKT = QStringLiteral("Wasserwerk");

using Eintraege = QList<QPair<QString, QString>>;
using Bereiche = QList<QPair<QString, Eintraege>>;

bool Melden(QString* fehler, const QString& text) {
    if (fehler)
        *fehler = text;
    return false;
}

// Profile files as the HMI environment writes them: Windows-1252, CRLF.
bool IniSchreiben(const QString& sDatei, const Bereiche& bereiche, QString* fehler) {
    std::string text;
    for (const auto& [bereich, eintraege] : bereiche) {
        text += "[" + bereich.toStdString() + "]\r\n";
        for (const auto& [schluessel, wert] : eintraege)
            text += schluessel.toStdString() + "=" + wert.toStdString() + "\r\n";
        text += "\r\n";
    }
    const std::string ansi = Cp1252::AusUtf8(text);
    QSaveFile f(sDatei);
    if (!f.open(QIODevice::WriteOnly) || f.write(ansi.data(), static_cast<qint64>(ansi.size())) < 0 || !f.commit())
        return Melden(fehler, QStringLiteral("Die Datei %1 lässt sich nicht schreiben.").arg(sDatei));
    return true;
}

bool OrdnerAnlegen(const QString& sOrdner, QString* fehler) {
    if (!QDir().mkpath(sOrdner))
        return Melden(fehler, QStringLiteral("Der Ordner %1 lässt sich nicht anlegen.").arg(sOrdner));
    return true;
}

// The registry writer addresses the prefix named by WINEPREFIX; it is set for
// the generation only and restored afterwards.
class PrefixWahl {
public:
    explicit PrefixWahl(const QString& prefix) : m_hatte(qEnvironmentVariableIsSet("WINEPREFIX")),
                                                 m_alt(qgetenv("WINEPREFIX")) {
        qputenv("WINEPREFIX", QFile::encodeName(prefix));
    }
    ~PrefixWahl() {
        if (m_hatte)
            qputenv("WINEPREFIX", m_alt);
        else
            qunsetenv("WINEPREFIX");
    }

private:
    bool m_hatte;
    QByteArray m_alt;
};

bool RegistrierungSchreiben(const QString& prefix, QString* fehler) {
    using namespace MRegistrierung;
    PrefixWahl wahl(prefix);
    const std::string projekte = PROJEKTE_SCHLUESSEL;
    const bool ok =
        RegSchreibeWert(HKLM, KORVANT_SCHLUESSEL, "path", RegWert(std::string("C:\\Programme\\Korvant")), TYP_SZ) &&
        RegSchreibeWert(HKLM, projekte + "\\Demo", "Path", RegWert(DEMO_WIN.toStdString()), TYP_SZ) &&
        RegSchreibeWert(HKLM, projekte + "\\Demo", "PrjType", RegWert(std::int32_t(1)), TYP_DWORD) &&
        RegSchreibeWert(HKLM, projekte + "\\" + ZWEITES_PROJEKT.toStdString(), "Path",
                        RegWert((PROJEKTE_WIN + "\\" + ZWEITES_PROJEKT).toStdString()), TYP_SZ) &&
        RegSchreibeWert(HKLM, projekte + "\\" + ZWEITES_PROJEKT.toStdString(), "PrjType", RegWert(std::int32_t(3)),
                        TYP_DWORD) &&
        RegSchreibeWert(HKCU, KORVANT_SCHLUESSEL, "DefaultProjectsPath", RegWert(PROJEKTE_WIN.toStdString()), TYP_SZ);
    if (!ok)
        return Melden(fehler, QStringLiteral("Die Registrierung im Prefix %1 lässt sich nicht schreiben.").arg(prefix));
    return true;
}

bool PrefixAnlegen(const QString& prefix, QString* fehler) {
    for (const QString& o : {QStringLiteral("/drive_c/windows"), QStringLiteral("/drive_c/Programme/Korvant"),
                             QStringLiteral("/drive_c/Projekte"), QStringLiteral("/dosdevices")})
        if (!OrdnerAnlegen(prefix + o, fehler))
            return false;
    // Drive links as Wine makes them: c: is the prefix's drive_c, z: the root.
    const QList<QPair<QString, QString>> links = {{QStringLiteral("c:"), QStringLiteral("../drive_c")},
                                                  {QStringLiteral("z:"), QStringLiteral("/")}};
    for (const auto& [name, ziel] : links) {
        const QString link = prefix + QStringLiteral("/dosdevices/") + name;
        QFile::remove(link);
        if (!QFile::link(ziel, link))
            return Melden(fehler, QStringLiteral("Die Laufwerksverknüpfung %1 lässt sich nicht anlegen.").arg(link));
    }
    return true;
}

bool KorvantIniSchreiben(const QString& prefix, QString* fehler) {
    return IniSchreiben(prefix + QStringLiteral("/drive_c/windows/Korvant.ini"),
                        {{QStringLiteral("Special"), {{QStringLiteral("ClientServer"), QStringLiteral("0")},
                                                      {QStringLiteral("Unsigned"), QStringLiteral("0")}}},
                         {QStringLiteral("Files 3.0"), {{QStringLiteral("AutoOpen"), QStringLiteral("1")},
                                                        {QStringLiteral("BackUp"), QStringLiteral("1")}}},
                         {QStringLiteral("Desktop 3.0"), {{QStringLiteral("AutoRestore"), QStringLiteral("0")},
                                                          {QStringLiteral("FormDesigner"), QStringLiteral("8")},
                                                          {QStringLiteral("Formatierung"), QStringLiteral("1")},
                                                          {QStringLiteral("DeleteKVI"), QStringLiteral("0")}}},
                         {QStringLiteral("FormDesigner"),
                          {{QStringLiteral("8"), QStringLiteral("C:\\Programme\\Microsoft Visual Studio\\VB98\\VB6.EXE")}}}},
                        fehler);
}

bool KviSchreiben(const QString& sDatei, const QString& name, const QString& pfadWin, const QString& kommentar,
                  QString* fehler) {
    return IniSchreiben(sDatei,
                        {{QStringLiteral("properties"), {{QStringLiteral("comment"), kommentar},
                                                         {QStringLiteral("Developer"), QStringLiteral("Jürgen Maß")},
                                                         {QStringLiteral("Customer"), QStringLiteral("Zweckverband Abwasser Süd")}}},
                         {QStringLiteral("Config"), {{QStringLiteral("DesignerProject"), name + QStringLiteral(".vbp")},
                                                     {QStringLiteral("Database"), name},
                                                     {QStringLiteral("Path"), pfadWin},
                                                     {QStringLiteral("ProjectDB"), name + QStringLiteral(".kvs")},
                                                     {QStringLiteral("CurrentLCID"), QStringLiteral("1031")},
                                                     {QStringLiteral("index1"), name + QStringLiteral(".kvs")}}},
                         {QStringLiteral("design"), {{QStringLiteral("FormDesigner"), QStringLiteral("8")},
                                                     {QStringLiteral("RuntimeSystem"), QStringLiteral("1")}}},
                         {QStringLiteral("alarm_server"), {{QStringLiteral("alarmpath"), pfadWin},
                                                           {QStringLiteral("database"), name + QStringLiteral(".kvs")}}},
                         {QStringLiteral("trend_server"), {{QStringLiteral("trendpath"), pfadWin + QStringLiteral("\\Trend")},
                                                           {QStringLiteral("database"), name + QStringLiteral("Trend.kvs")},
                                                           {QStringLiteral("historypath"), pfadWin + QStringLiteral("\\Trend\\Historie")}}}},
                        fehler);
}

// ---- pictures ----

const std::array<const char*, 12> BILD_NAMEN = {"Uebersicht", "Zulauf",     "Vorklaerung", "Belebung",
                                                "Nachklaerung", "Schlamm",  "Faulturm",    "Gasspeicher",
                                                "Geblaese",   "Filtration", "Ablauf",      "Energie"};

QString BildName(int i) {
    if (i < static_cast<int>(BILD_NAMEN.size()))
        return QString::fromLatin1(BILD_NAMEN[static_cast<std::size_t>(i)]);
    return QStringLiteral("Anlage%1").arg(i + 1);
}

// ---- symbols ----

// An arrow whose tip is the image's top-left corner: that corner is the arrow's position.
QImage Pfeil(const QColor& farbe, bool leer) {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    QPolygonF form;
    form << QPointF(1, 1) << QPointF(20, 6) << QPointF(14, 11) << QPointF(30, 27) << QPointF(27, 30)
         << QPointF(11, 14) << QPointF(6, 20);
    p.setPen(QPen(QColor(0, 0, 0), 1.5));
    p.setBrush(leer ? QBrush(Qt::NoBrush) : QBrush(farbe));
    p.drawPolygon(form);
    return img;
}

struct Symbol {
    QString datei;
    QColor farbe;
};

QList<Symbol> Symbole() {
    return {{QStringLiteral("PfeilRot.gif"), QColor(220, 30, 30)},
            {QStringLiteral("PfeilGelb.gif"), QColor(245, 200, 0)},
            {QStringLiteral("PfeilGruen.gif"), QColor(30, 170, 50)},
            {QStringLiteral("PfeilBlau.gif"), QColor(30, 90, 220)},
            {QStringLiteral("PfeilRot.bmp"), QColor(220, 30, 30)},
            {QStringLiteral("PfeilViolett.bmp"), QColor(140, 40, 170)}};
}

bool SymboleSchreiben(const QString& ordner, QString* fehler) {
    QList<Symbol> alle = Symbole();
    alle.append({QStringLiteral("PfeilLeer.gif"), QColor()});
    for (const Symbol& s : alle) {
        const QImage img = Pfeil(s.farbe, !s.farbe.isValid());
        const QString datei = ordner + QLatin1Char('/') + s.datei;
        bool ok;
        if (s.datei.endsWith(QLatin1String(".gif"))) {
            ok = GifSchreiber::Schreiben(img, datei);
        } else {
            // a BMP has no transparency: the arrow lies on white, as such symbols always did
            QImage weiss(img.size(), QImage::Format_RGB32);
            weiss.fill(Qt::white);
            QPainter(&weiss).drawImage(0, 0, img);
            ok = weiss.save(datei, "BMP");
        }
        if (!ok)
            return Melden(fehler, QStringLiteral("Das Symbol %1 lässt sich nicht schreiben.").arg(datei));
    }
    return true;
}

// ---- the alarm database ----

const std::array<const char*, 18> MELDUNGEN = {
    "Störung Motorschutz",      "Übertemperatur Wicklung",   "Füllstand zu hoch",
    "Füllstand zu niedrig",     "Druck zu hoch",             "Laufrückmeldung fehlt",
    "Endlage AUF nicht erreicht", "Endlage ZU nicht erreicht", "Frequenzumrichter gestört",
    "Not-Aus betätigt",         "Drehzahlwächter ausgelöst", "Sauerstoffgehalt unterschritten",
    "Rückmeldung fehlt",        "Wartungsintervall überschritten", "Leckage erkannt",
    "Sicherung ausgelöst",      "Grenzwert überschritten",   "Schaltschrank Übertemperatur"};

// The tags an alarm of a picture may name, as UTF-8 for the row texts.
struct Kennzeichen {
    std::string kennzeichen, bezeichnung;
};
std::vector<Kennzeichen> KennzeichenVon(const QList<DemoBild::Teil>& teile) {
    std::vector<Kennzeichen> k;
    for (const DemoBild::Teil& t : teile)
        k.push_back({t.kennzeichen.toStdString(), DemoBild::Bezeichnung(t.art).toStdString()});
    return k;
}

class Sqlite {
public:
    ~Sqlite() {
        if (m_stmt)
            sqlite3_finalize(m_stmt);
        if (m_db)
            sqlite3_close(m_db);
    }
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

bool Ausfuehren(sqlite3* db, const char* sql, const QString& datei, QString* fehler) {
    char* meldung = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &meldung) != SQLITE_OK) {
        const QString grund = QString::fromUtf8(meldung ? meldung : "");
        sqlite3_free(meldung);
        return Melden(fehler, QStringLiteral("Die Alarmdatenbank %1 lässt sich nicht anlegen: %2").arg(datei, grund));
    }
    return true;
}

bool DatenbankSchreiben(const QString& datei, int alarme, const QList<DemoBild>& bilder, unsigned seed,
                        QString* fehler) {
    QFile::remove(datei);
    Sqlite s;
    if (sqlite3_open_v2(QFile::encodeName(datei).constData(), &s.m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        return Melden(fehler, QStringLiteral("Die Alarmdatenbank %1 lässt sich nicht anlegen.").arg(datei));
    // a freshly made file: no journal needed while it is filled
    if (!Ausfuehren(s.m_db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;", datei, fehler) ||
        !Ausfuehren(s.m_db,
                    "CREATE TABLE Alarmdefs ("
                    "\"Ident\" INTEGER NOT NULL PRIMARY KEY, \"Type\" INTEGER, \"Acknowledge\" INTEGER, "
                    "\"VarName\" VARCHAR(255), \"BitNo\" INTEGER, \"Min\" VARCHAR(255), \"Max\" VARCHAR(255), "
                    "\"Priority\" INTEGER, \"Group\" INTEGER, \"Helpindex\" INTEGER, \"Alarmtext\" VARCHAR(255), "
                    "\"Form\" VARCHAR(255), \"Symbol\" VARCHAR(255), \"X\" INTEGER, \"Y\" INTEGER, "
                    "\"Sensor1\" INTEGER, \"Sensor2\" INTEGER, \"Fault\" INTEGER)",
                    datei, fehler) ||
        !Ausfuehren(s.m_db, "BEGIN", datei, fehler))
        return false;
    if (sqlite3_prepare_v2(s.m_db, "INSERT INTO Alarmdefs VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", -1,
                           &s.m_stmt, nullptr) != SQLITE_OK)
        return Melden(fehler, QStringLiteral("Die Alarmdatenbank %1 lässt sich nicht anlegen.").arg(datei));

    std::vector<std::string> formen;
    std::vector<std::vector<Kennzeichen>> mitSchild, ohneSchild;
    for (const DemoBild& b : bilder) {
        formen.push_back(b.name.toStdString());
        mitSchild.push_back(KennzeichenVon(b.teile));
        ohneSchild.push_back(KennzeichenVon(b.ohneSchild));
    }
    std::vector<Kennzeichen> arten;
    for (int a = 0; a < DemoBild::Arten(); ++a)
        arten.push_back({DemoBild::Kuerzel(a).toStdString(), DemoBild::Bezeichnung(a).toStdString()});
    const QList<Symbol> symbole = Symbole();
    std::vector<std::string> symbolWerte;
    for (const Symbol& sy : symbole)
        symbolWerte.push_back("Standard\\" + sy.datei.toStdString());

    std::mt19937 rng(seed);
    // the tags draw from a generator of their own, so every other column stays as it always was
    std::mt19937 kennRng(seed * 31u + 7u);
    auto zufall = [&rng](unsigned n) { return static_cast<int>(rng() % n); };
    char varName[64], text[256], minText[16], maxText[16];
    sqlite3_stmt* st = s.m_stmt;
    for (int i = 0; i < alarme; ++i) {
        const int ident = i + 1;
        const int teil = zufall(static_cast<unsigned>(arten.size()));
        const int meldung = zufall(MELDUNGEN.size());
        const int nummer = 100 + zufall(400);
        const int typ = zufall(3);
        const int bit = zufall(16);
        // an alarm without picture names a piece anywhere in the plant
        const Kennzeichen& art = arten[static_cast<std::size_t>(teil)];
        std::string kennzeichen = art.kennzeichen + std::to_string(nummer);
        const std::string* bezeichnung = &art.bezeichnung;
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        sqlite3_bind_int(st, 1, ident);
        sqlite3_bind_int(st, 2, typ);
        sqlite3_bind_int(st, 3, zufall(2));
        sqlite3_bind_int(st, 5, bit);
        if (typ == 2) {  // limit alarms carry their range
            std::snprintf(minText, sizeof minText, "%d", zufall(20));
            std::snprintf(maxText, sizeof maxText, "%d", 80 + zufall(1000));
            sqlite3_bind_text(st, 6, minText, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 7, maxText, -1, SQLITE_TRANSIENT);
        }
        sqlite3_bind_int(st, 8, 1 + zufall(5));
        sqlite3_bind_int(st, 9, 1 + zufall(12));
        sqlite3_bind_int(st, 10, 1000 + ident % 500);
        // about one alarm in seven has no picture yet
        if (!formen.empty() && zufall(100) >= 14) {
            const int b = zufall(static_cast<unsigned>(formen.size()));
            sqlite3_bind_text(st, 12, formen[static_cast<std::size_t>(b)].c_str(), -1, SQLITE_STATIC);
            // Most alarms of a picture belong to a piece labelled on it, some to one that is not.
            const auto& mit = mitSchild[static_cast<std::size_t>(b)];
            const auto& ohne = ohneSchild[static_cast<std::size_t>(b)];
            const bool beschriftet = kennRng() % 100 < 88;
            const auto& wahl = beschriftet || ohne.empty() ? mit : ohne;
            if (!wahl.empty()) {
                const Kennzeichen& k = wahl[kennRng() % wahl.size()];
                kennzeichen = k.kennzeichen;
                bezeichnung = &k.bezeichnung;
            }
            const int stand = zufall(100);
            if (stand >= 20) {  // the rest has no symbol yet
                const int sy = zufall(static_cast<unsigned>(symbolWerte.size()));
                const std::string& wert = symbolWerte[static_cast<std::size_t>(sy)];
                // a few old rows carry the bare file name, without the sub-folder
                const char* s12 = stand < 24 ? wert.c_str() + 9 : wert.c_str();
                sqlite3_bind_text(st, 13, s12, -1, SQLITE_STATIC);
                if (stand >= 28) {  // a symbol not yet placed has no position
                    const QSize g = bilder[b].groesse;
                    sqlite3_bind_int(st, 14, zufall(static_cast<unsigned>(qMax(1, g.width() - 32))));
                    sqlite3_bind_int(st, 15, zufall(static_cast<unsigned>(qMax(1, g.height() - 32))));
                }
            }
        }
        std::snprintf(text, sizeof text, "%s %s %s", bezeichnung->c_str(), kennzeichen.c_str(),
                      MELDUNGEN[static_cast<std::size_t>(meldung)]);
        std::snprintf(varName, sizeof varName, "%s_ST.%d", kennzeichen.c_str(), bit);
        sqlite3_bind_text(st, 4, varName, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 11, text, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 16, zufall(3) == 0 ? 0 : 100 + zufall(900));
        sqlite3_bind_int(st, 17, 0);
        sqlite3_bind_int(st, 18, zufall(10) == 0 ? 1 : 0);
        if (sqlite3_step(st) != SQLITE_DONE)
            return Melden(fehler, QStringLiteral("Die Alarmdatenbank %1 lässt sich nicht füllen: %2")
                                      .arg(datei, QString::fromUtf8(sqlite3_errmsg(s.m_db))));
    }
    sqlite3_finalize(s.m_stmt);
    s.m_stmt = nullptr;
    return Ausfuehren(s.m_db, "COMMIT", datei, fehler) &&
           Ausfuehren(s.m_db, "CREATE INDEX AlarmdefsForm ON Alarmdefs (\"Form\")", datei, fehler);
}

}  // namespace

QString DemoProjekt::Prefix(const QString& out) { return out + QStringLiteral("/prefix"); }
QString DemoProjekt::ProjektOrdner(const QString& out) { return Prefix(out) + QStringLiteral("/drive_c/Projekte/Demo"); }
QString DemoProjekt::Datenbank(const QString& out) { return ProjektOrdner(out) + QStringLiteral("/Demo.kvs"); }

QStringList DemoProjekt::BildNamen(int pictures) {
    QStringList namen;
    for (int i = 0; i < pictures; ++i)
        namen << BildName(i) + QStringLiteral(".bmp");
    return namen;
}

QStringList DemoProjekt::SymbolNamen() {
    QStringList namen;
    for (const Symbol& s : Symbole())
        namen << s.datei;
    return namen;
}

bool DemoProjekt::Erzeugen(const DemoOptionen& opt, QString* fehler) {
    if (opt.out.isEmpty())
        return Melden(fehler, QStringLiteral("Kein Zielordner angegeben."));
    if (opt.alarms < 0 || opt.pictures < 0)
        return Melden(fehler, QStringLiteral("Die Anzahl der Alarme und Bilder darf nicht negativ sein."));
    const QString out = QFileInfo(opt.out).absoluteFilePath();
    const QString prefix = Prefix(out);
    const QString projekt = ProjektOrdner(out);
    if (!OrdnerAnlegen(out, fehler) || !PrefixAnlegen(prefix, fehler) || !RegistrierungSchreiben(prefix, fehler) ||
        !KorvantIniSchreiben(prefix, fehler))
        return false;

    const QString bilderOrdner = projekt + QStringLiteral("/Bilder");
    const QString symbolOrdner = projekt + QStringLiteral("/Symbole/Standard");
    if (!OrdnerAnlegen(bilderOrdner, fehler) || !OrdnerAnlegen(symbolOrdner, fehler) ||
        !SymboleSchreiben(symbolOrdner, fehler))
        return false;
    QList<DemoBild> bilder;
    for (int i = 0; i < opt.pictures; ++i) {
        const DemoBild b(i, BildName(i), opt.seed, opt.bilderZeichnen);
        const QString ordner = bilderOrdner + QLatin1Char('/') + b.name;
        if (!OrdnerAnlegen(ordner, fehler))
            return false;
        const QString datei = ordner + QLatin1Char('/') + b.name + QStringLiteral(".bmp");
        QList<DemoBild::Schild> schilder;
        if (!b.Zeichnen(&schilder).save(datei, "BMP"))
            return Melden(fehler, QStringLiteral("Das Bild %1 lässt sich nicht schreiben.").arg(datei));
        // the true label boxes beside a drawn picture, to measure reading it against
        if (opt.bilderZeichnen && !DemoBild::SchilderSchreiben(DemoBild::SchilderDatei(datei), schilder))
            return Melden(fehler, QStringLiteral("Die Datei %1 lässt sich nicht schreiben.")
                                      .arg(DemoBild::SchilderDatei(datei)));
        bilder << b;
    }
    if (!DatenbankSchreiben(Datenbank(out), opt.alarms, bilder, opt.seed, fehler) ||
        !KviSchreiben(projekt + QStringLiteral("/Demo.kvi"), QStringLiteral("Demo"), DEMO_WIN,
                      QStringLiteral("Demo-Kläranlage mit Alarmbildern für Tavero"), fehler))
        return false;

    // the second registered project: a small water works sharing the pictures
    const QString zweiter = prefix + QStringLiteral("/drive_c/Projekte/") + ZWEITES_PROJEKT;
    if (!OrdnerAnlegen(zweiter, fehler) ||
        !DatenbankSchreiben(zweiter + QLatin1Char('/') + ZWEITES_PROJEKT + QStringLiteral(".kvs"), qMin(opt.alarms, 120),
                            bilder.mid(0, 2), opt.seed + 1, fehler) ||
        !KviSchreiben(zweiter + QLatin1Char('/') + ZWEITES_PROJEKT + QStringLiteral(".kvi"), ZWEITES_PROJEKT,
                      PROJEKTE_WIN + QLatin1Char('\\') + ZWEITES_PROJEKT, QStringLiteral("Wasserwerk Nord, Förderstufe"),
                      fehler))
        return false;
    // an older project known only by its information file in the projects folder
    const QString alt = prefix + QStringLiteral("/drive_c/Projekte/Altanlage");
    if (!OrdnerAnlegen(alt, fehler) ||
        !KviSchreiben(prefix + QStringLiteral("/drive_c/Projekte/Altanlage.kvi"), QStringLiteral("Altanlage"),
                      PROJEKTE_WIN + QStringLiteral("\\Altanlage"), QStringLiteral("Altanlage (Korvant 3)"), fehler))
        return false;

    // Tavero.ini names the folders in their Windows form, as the program keeps them.
    const QString programm = opt.programmOrdner.isEmpty()
                                 ? QString::fromStdString(WinUmgebung::ProgrammOrdner())
                                 : opt.programmOrdner;
    const QString taveroOrdner = programm + QStringLiteral("/Tavero");
    if (!OrdnerAnlegen(taveroOrdner, fehler))
        return false;
    Eintraege pfeile, bildEintraege;
    const QStringList symbolNamen = SymbolNamen();
    for (int i = 0; i < symbolNamen.size(); ++i)
        // one entry names its path: only the file name behind the last "\" counts
        pfeile << qMakePair(QStringLiteral("%1Symbol").arg(i + 1),
                            i == 1 ? DEMO_WIN + QStringLiteral("\\Symbole\\Standard\\") + symbolNamen[i]
                                   : symbolNamen[i]);
    const QStringList bildNamen = BildNamen(opt.pictures);
    for (int i = 0; i < bildNamen.size(); ++i)
        bildEintraege << qMakePair(QStringLiteral("%1Pic").arg(i + 1), bildNamen[i]);
    return IniSchreiben(taveroOrdner + QStringLiteral("/Tavero.ini"),
                        {{QStringLiteral("Grafik"),
                          {{QStringLiteral("AlarmPicturePath"), DEMO_WIN + QStringLiteral("\\Bilder")},
                           {QStringLiteral("PfeilPath"), DEMO_WIN + QStringLiteral("\\Symbole\\Standard")}}},
                         {QStringLiteral("Arrow"), pfeile},
                         {QStringLiteral("Picture"), bildEintraege}},
                        fehler);
}
