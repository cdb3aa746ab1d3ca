// The picture window: rebuilding the all-arrows display and one drag step,
// with 10,000 arrows on one picture against 10.
#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTableView>
#include <QTreeWidget>
#include <algorithm>
#include <QDir>
#include <functional>
#include <limits>
#include <utility>
#include <random>
#include <vector>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "Warten.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "Stillstand.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Dialoge.h"
#include "alarms/frmAlarmAuswahl.h"
#include "editor/Bildflaeche.h"
#include "editor/frmPicture.h"
#include "platform/WinUmgebung.h"
#include "shell/Verlauf.h"
#include "shell/frmMain.h"

namespace {

// Nothing may wait on a dialog while measuring.
class StilleDialoge final : public Dialoge {
public:
    void Meldung(QWidget*, const QString&, const QString&) override {}
    int Modal(QDialog*) override { return 0; }
    QString DateiOeffnen(QWidget*, const QString&, const QString&, const QString&, const QString&,
                         const QString&) override {
        return {};
    }
    QString DateiSpeichern(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int Wahl(QWidget*, const QString&, const QString&, const QStringList&, const QString&) override { return -1; }
    std::optional<QString> Eingabe(QWidget*, const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QAction* MenuZeigen(QMenu*, const QPoint&) override { return nullptr; }
    void ProzessBeenden() override {}
};

AlarmListeTyp Liste(int n, QSize bild) {
    std::mt19937 rng(7);
    const QStringList symbole = DemoProjekt::SymbolNamen();
    AlarmListeTyp l;
    l.reserve(n);
    for (int i = 0; i < n; ++i) {
        AlarmRecord r(AlarmFeld::Anzahl);
        r[AlarmFeld::Ident] = QString::number(i + 1);
        r[AlarmFeld::Alarmtext] = QStringLiteral("Störung Pumpe %1").arg(i + 1);
        r[AlarmFeld::Form] = QStringLiteral("Uebersicht");
        r[AlarmFeld::Symbol] = symbole.at(static_cast<int>(rng() % symbole.size()));
        r[AlarmFeld::X] = QString::number(rng() % static_cast<unsigned>(bild.width() - 32));
        r[AlarmFeld::Y] = QString::number(rng() % static_cast<unsigned>(bild.height() - 32));
        l << r;
    }
    return l;
}

struct Messung {
    double aufbauMs = 0;
    double schrittMs = 0;
    double bildMs = 0;  // one frame of the window, every arrow in view drawn
};

Messung Messen(frmMain& w, int n, double zoom = 1.0) {
    AlarmAuswahl* a = w.mgobjAuswahl();
    const AlarmListeTyp liste = Liste(n, QSize(1280, 914));
    a->setAlarmListe(liste);
    Messung m;
    std::vector<double> zeiten;
    QElapsedTimer t;
    for (int lauf = 0; lauf < 7; ++lauf) {
        t.start();
        a->setAktuellerAlarm(liste.at(n / 2));
        QCoreApplication::processEvents();  // the window is painted as well
        zeiten.push_back(t.nsecsElapsed() / 1e6);
    }
    m.aufbauMs = Median(zeiten);

    frmPicture* f = w.BildfensterFallsDa();
    f->ZoomSetzen(zoom, f->rect().center());
    zeiten.clear();
    QPixmap rahmen(f->size());
    for (int lauf = 0; lauf < 15; ++lauf) {
        t.start();
        f->render(&rahmen);
        zeiten.push_back(t.nsecsElapsed() / 1e6);
    }
    m.bildMs = Median(zeiten);

    // Drag the current alarm's arrow step by step, painting each step.
    int index = 1;
    while (index < f->PfeilAnzahl() && f->imgPfeil(index).Ident != liste.at(n / 2).at(AlarmFeld::Ident))
        ++index;
    f->FocusRect(static_cast<std::int16_t>(index));
    f->AnsichtZentrieren();
    QPoint p = f->Formbox->ZuSchirm(f->imgPfeil(index).Rechteck()).topLeft() + QPoint(5, 5);
    QMouseEvent druck(QEvent::MouseButtonPress, QPointF(p), QPointF(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f->Formbox, &druck);
    zeiten.clear();
    for (int schritt = 0; schritt < 200; ++schritt) {
        p += QPoint(schritt % 2 ? 1 : -1, schritt % 3 ? 1 : -1);
        QMouseEvent zug(QEvent::MouseMove, QPointF(p), QPointF(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        t.start();
        QApplication::sendEvent(f->Formbox, &zug);
        QCoreApplication::processEvents();
        zeiten.push_back(t.nsecsElapsed() / 1e6);
    }
    m.schrittMs = Median(zeiten);
    // The release is not measured: it writes into the database.
    QMouseEvent los(QEvent::MouseButtonRelease, QPointF(p), QPointF(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    a->setAktuellerAlarmReferenz(nullptr);  // nothing to write
    QApplication::sendEvent(f->Formbox, &los);
    f->ZoomSetzen(1.0, f->rect().center());
    return m;
}

// Undo of one arrow write against the write itself, on the demo of a million alarms.
void RueckgaengigMessen(const QString& arbeitsOrdner) {
    const QString out = GrosseDemo(arbeitsOrdner);
    if (out.isEmpty())
        return;
    const QString db = DemoProjekt::Datenbank(out);
    const auto [form, anzahl] = BildMitZehntausend(db);
    const auto liste = AlarmdefsZugriff::AlarmListeLesen(db, QString::fromStdString(form));
    if (!liste || liste->size() < 60)
        return;
    AlarmAuswahl a;
    a.setAlarmDatenbank(db);
    Verlauf verlauf;
    verlauf.Verbinden(&a);
    std::vector<double> schreiben, zurueck;
    QElapsedTimer t;
    for (int i = 0; i < 50; ++i) {
        const AlarmRecord& r = liste->at(i);
        Schreibauftrag auftrag;
        auftrag.ident = r.at(AlarmFeld::Ident);
        auftrag.spalten = {AlarmFeld::X, AlarmFeld::Y};
        auftrag.werte = {300 + i, 200 + i};
        auftrag.gelesen = r;
        t.start();
        const bool ok = a.ZeileSchreiben(auftrag, QStringLiteral("Pfeil verschieben")).geschrieben();
        schreiben.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        verlauf.Stapel()->undo();
        zurueck.push_back(t.nsecsElapsed() / 1e6);
        if (!ok || verlauf.Stapel()->canUndo())
            std::fprintf(stderr, "tavero-bench: Rückgängig von Alarm %s ging nicht\n", qPrintable(auftrag.ident));
    }
    BenchZeile("bildfenster_pfeil_schreiben", Median(schreiben), "ms");
    BenchZeile("bildfenster_pfeil_rueckgaengig", Median(zurueck), "ms");
    BenchZeile("bildfenster_rueckgaengig_verhaeltnis", Median(zurueck) / Median(schreiben), "x");
    (void)anzahl;
}

// From a row change in the grid until the picture window has painted every
// arrow, all-arrows mode, a picture of ten thousand alarms in a table of a
// million; against the plain sqlite3 read of the same rows.
void PickBisGemalt(const QString& arbeitsOrdner) {
    const QString out = GrosseDemo(arbeitsOrdner);
    if (out.isEmpty())
        return;
    const QString db = DemoProjekt::Datenbank(out);
    const auto [form, anzahl] = BildMitZehntausend(db);
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(out)));
    WinUmgebung::ProgrammOrdnerSetzen((out + QStringLiteral("/bin")).toStdString());
    frmMain w;
    w.resize(1400, 1000);
    w.show();
    w.Laden(db);
    gSingleMode = gContMode = FALSCH;
    gAllMode = WAHR;
    frmAlarmAuswahl* auswahl = w.mgobjAuswahl()->Fenster();
    QTreeWidget* baum = auswahl->TreeView1;
    const auto knoten = baum->findItems(QString::fromStdString(form), Qt::MatchExactly | Qt::MatchRecursive);
    if (knoten.isEmpty() || !auswahl->dbAlarme)
        return;
    baum->setCurrentItem(knoten.first());
    auswahl->TreeView1_Click();
    AlarmdefsModell* m = auswahl->dbAlarme;
    QElapsedTimer t;
    t.start();
    while (!m->AllesGelesen() && t.elapsed() < 60000)
        QCoreApplication::processEvents();
    QTableView* grid = auswahl->TDBAlarme;
    const QByteArray datei = QFile::encodeName(db);
    std::vector<double> pick, lesen;
    int pfeile = 0;
    for (int lauf = 0; lauf < 11; ++lauf) {
        t.start();
        grid->setCurrentIndex(m->index(1 + lauf % 2, 1));
        // a large picture's list is not waited for by the click: the pick ends when it comes
        while (auswahl->WahlUnterwegs() && t.elapsed() < 60000)
            QCoreApplication::processEvents();
        const QPixmap gemalt = w.BildfensterFallsDa()->Formbox->grab();
        pick.push_back(t.nsecsElapsed() / 1e6);
        pfeile = w.BildfensterFallsDa()->PfeilAnzahl() - 1;
        t.start();
        ListeDirekt(datei, form);
        lesen.push_back(t.nsecsElapsed() / 1e6);
    }
    BenchZeile("bildfenster_pick_bis_gemalt_pfeile", pfeile, "arrows");
    BenchZeile("bildfenster_pick_bis_gemalt", Median(pick), "ms");
    BenchZeile("bildfenster_pick_sqlite3_lesen", Median(lesen), "ms");
    BenchZeile("bildfenster_pick_bis_gemalt_verhaeltnis", Median(pick) / Median(lesen), "x");

    // Every alarm of the picture shown written at once (an import, "Alle annehmen"):
    // through the component, which brings grid, list and arrows up to date,
    // against the same write through the access class alone.
    const auto liste = AlarmdefsZugriff::AlarmListeLesen(db, QString::fromStdString(form));
    if (liste) {
        QList<Schreibauftrag> hin, zurueck;
        for (const AlarmRecord& r : *liste) {
            Schreibauftrag a;
            a.ident = r.at(AlarmFeld::Ident);
            a.spalten = {AlarmFeld::X};
            a.werte = {r.at(AlarmFeld::X).toInt() + 1};
            a.gelesen = r;
            hin << a;
            AlarmRecord danach = r;
            danach[AlarmFeld::X] = QString::number(r.at(AlarmFeld::X).toInt() + 1);
            a.werte = {r.at(AlarmFeld::X).toInt()};
            a.gelesen = danach;
            zurueck << a;
        }
        t.start();
        const bool mit = w.mgobjAuswahl()->ZeilenSchreiben(hin, QStringLiteral("Import")).geschrieben;
        QCoreApplication::processEvents();
        const double komponente = t.nsecsElapsed() / 1e6;
        t.start();
        const bool ohne = AlarmdefsZugriff::SchreibenAlle(db, zurueck).geschrieben;
        const double zugriff = t.nsecsElapsed() / 1e6;
        if (!mit || !ohne)
            std::fprintf(stderr, "tavero-bench: das Schreiben aller Alarme des Bildes ging nicht\n");
        BenchZeile("bildfenster_alle_schreiben_zeilen", hin.size(), "rows");
        BenchZeile("bildfenster_alle_schreiben_komponente", komponente, "ms");
        BenchZeile("bildfenster_alle_schreiben_zugriff", zugriff, "ms");
        BenchZeile("bildfenster_alle_schreiben_verhaeltnis", komponente / zugriff, "x");
    }
    gAllMode = FALSCH;
    (void)anzahl;
}



// A large picture's list arrives in the all-arrows mode: ten thousand arrows
// on a picture of 4000 x 3000. The longest pause of the window's thread from
// the list's arrival until the picture and every arrow are painted, as the
// window does it now and as it did before (the picture decoded on the
// window's thread, the first part of a thousand arrows), in the same run;
// and the parts of the pause before.
void GrossesBild(frmMain& w) {
    AlarmAuswahl* a = w.mgobjAuswahl();
    const QString ordner = QString::fromStdString(WinUmgebung::PfadAbbilden(a->BilderPath().toStdString()));
    const QSize groesse(4000, 3000);
    std::vector<AlarmListeTyp> listen;
    QString datei;
    for (const QString name : {QStringLiteral("Grossbild1"), QStringLiteral("Grossbild2")}) {
        QImage bild(groesse, QImage::Format_RGB32);
        bild.fill(QColor(0, 128, 128));
        QPainter p(&bild);
        p.setPen(QPen(Qt::white, 3));
        for (int x = 0; x < groesse.width(); x += 97)
            p.drawLine(x, 0, groesse.width() - x, groesse.height());
        p.end();
        QDir().mkpath(ordner + QLatin1Char('/') + name);
        datei = ordner + QLatin1Char('/') + name + QLatin1Char('/') + name + QStringLiteral(".bmp");
        bild.save(datei, "BMP");
        AlarmListeTyp l = Liste(10000, groesse);
        for (AlarmRecord& r : l)
            r[AlarmFeld::Form] = name;
        listen.push_back(l);
    }
    frmPicture* f = w.BildfensterFallsDa();
    if (!f)
        return;
    // One pick: the list arrives as the data service hands it over.
    auto waehlen = [&](int lauf, bool vergessen) {
        const AlarmListeTyp& l = listen.at(static_cast<std::size_t>(lauf % 2));
        if (vergessen)
            f->BilderVergessen();
        Stillstand s;
        QTimer::singleShot(0, [&] {
            a->setAlarmListe(l);
            a->setAktuellerAlarm(l.at(1000 + lauf));
        });
        Warten([f] { return f->BildFensterFertig(); }, 60000);
        Warten([] { return false; }, 200);
        const double ms = s.Ende();
        return std::make_pair(ms, s.PauseRechnend());
    };
    // the median pause, and how much of that one pause the thread computed
    auto reihe = [&](bool vergessen) {
        std::vector<std::pair<double, double>> z;
        for (int lauf = 0; lauf < 6; ++lauf)
            z.push_back(waehlen(lauf, vergessen));
        std::sort(z.begin(), z.end());
        return z.at(z.size() / 2);
    };
    // as before: the picture and symbols read and decoded at each pick on the
    // window's thread, the first thousand arrows with the pick, parts not
    // limited in time, the arrows cleared freed on the window's thread
    const qint64 ab = std::exchange(frmPicture::BildImHintergrundAb, std::numeric_limits<qint64>::max());
    const int teil = std::exchange(frmPicture::AufbauTeil, 1000);
    const int erster = std::exchange(frmPicture::ErsterAufbauTeil, 1000);
    const int teilMs = std::exchange(frmPicture::AufbauTeilMs, std::numeric_limits<int>::max());
    const std::size_t freigeben = std::exchange(frmPicture::FreigebenAb, std::numeric_limits<std::size_t>::max());
    const auto vorher = reihe(true);
    // the parts of the pause before
    QElapsedTimer t;
    std::vector<double> lesen, aufruf, malen;
    for (int lauf = 0; lauf < 5; ++lauf) {
        t.start();
        QPixmap pm;
        pm.load(datei);
        lesen.push_back(t.nsecsElapsed() / 1e6);
        f->BilderVergessen();
        const AlarmListeTyp& l = listen.at(static_cast<std::size_t>(lauf % 2));
        a->setAlarmListe(l);
        t.start();
        a->setAktuellerAlarm(l.at(2000 + lauf));
        aufruf.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        f->repaint();
        malen.push_back(t.nsecsElapsed() / 1e6);
        Warten([f] { return f->BildFensterFertig(); }, 60000);
    }
    frmPicture::BildImHintergrundAb = ab;
    frmPicture::AufbauTeil = teil;
    frmPicture::ErsterAufbauTeil = erster;
    frmPicture::AufbauTeilMs = teilMs;
    frmPicture::FreigebenAb = freigeben;
    const auto jetzt = reihe(true);
    const auto gleich = reihe(false);
    BenchZeile("bildfenster_grossbild_pick_pause_vorher", vorher.first, "ms");
    BenchZeile("bildfenster_grossbild_pick_pause_vorher_davon_gerechnet", vorher.second, "ms");
    BenchZeile("bildfenster_grossbild_pick_pause", jetzt.first, "ms");
    BenchZeile("bildfenster_grossbild_pick_pause_davon_gerechnet", jetzt.second, "ms");
    BenchZeile("bildfenster_grossbild_pick_pause_gleiches_bild", gleich.first, "ms");
    BenchZeile("bildfenster_grossbild_pick_pause_gleiches_bild_davon_gerechnet", gleich.second, "ms");
    BenchZeile("bildfenster_grossbild_pick_pause_verhaeltnis", jetzt.first / vorher.first, "x");
    BenchZeile("bildfenster_grossbild_vorher_bild_lesen", Median(lesen), "ms");
    BenchZeile("bildfenster_grossbild_vorher_pfeilactivate", Median(aufruf), "ms");
    BenchZeile("bildfenster_grossbild_vorher_erstes_malen", Median(malen), "ms");
}

}  // namespace

void BenchBildfenster(const QString& arbeitsOrdner, bool nurGrossbild) {
    const QString out = arbeitsOrdner + QStringLiteral("/bildfenster");
    DemoOptionen o;
    o.out = out;
    o.alarms = 20;
    o.pictures = 1;
    o.programmOrdner = out;
    o.bilderZeichnen = true;
    QString fehler;
    if (!DemoProjekt::Erzeugen(o, &fehler)) {
        std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(fehler));
        return;
    }
    const QByteArray altesPrefix = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(out)));
    WinUmgebung::ProgrammOrdnerSetzen(out.toStdString());
    StilleDialoge stille;
    Dialoge::setzen(&stille);
    {
        frmMain w;
        w.resize(1280, 1000);
        w.show();
        w.Laden(out + QStringLiteral("/keine.kvs"));  // the selection window stays closed
        gSingleMode = gContMode = FALSCH;
        gAllMode = WAHR;
        if (nurGrossbild) {
            Messen(w, 10);  // the picture window, made
            GrossesBild(w);
            gAllMode = FALSCH;
            Dialoge::setzen(nullptr);
            WinUmgebung::ProgrammOrdnerSetzen(std::string());
            qputenv("WINEPREFIX", altesPrefix);
            return;
        }
        const Messung wenige = Messen(w, 10);
        const Messung viele = Messen(w, 10000);
        BenchZeile("bildfenster_allmode_aufbau_10", wenige.aufbauMs, "ms");
        BenchZeile("bildfenster_allmode_aufbau_10000", viele.aufbauMs, "ms");
        BenchZeile("bildfenster_allmode_aufbau_verhaeltnis_10000_zu_10", viele.aufbauMs / wenige.aufbauMs, "x");
        BenchZeile("bildfenster_ziehschritt_10", wenige.schrittMs, "ms");
        BenchZeile("bildfenster_ziehschritt_10000", viele.schrittMs, "ms");
        BenchZeile("bildfenster_ziehschritt_verhaeltnis_10000_zu_10", viele.schrittMs / wenige.schrittMs, "x");
        const Messung gross = Messen(w, 10000, 4.0);
        BenchZeile("bildfenster_bild_10000_zoom100", viele.bildMs, "ms");
        BenchZeile("bildfenster_bild_10000_zoom400", gross.bildMs, "ms");
        BenchZeile("bildfenster_bild_verhaeltnis_zoom400_zu_100", gross.bildMs / viele.bildMs, "x");
        BenchZeile("bildfenster_ziehschritt_10000_zoom400", gross.schrittMs, "ms");
        // Each arrow's alarm number beside it: a frame against the frame without.
        w.BildfensterFallsDa()->Formbox->NummernSetzen(true);
        const Messung nummern = Messen(w, 10000);
        w.BildfensterFallsDa()->Formbox->NummernSetzen(false);
        BenchZeile("bildfenster_bild_10000_nummern", nummern.bildMs, "ms");
        BenchZeile("bildfenster_bild_verhaeltnis_nummern_zu_ohne", nummern.bildMs / viele.bildMs, "x");
        GrossesBild(w);
        gAllMode = FALSCH;
    }
    PickBisGemalt(arbeitsOrdner);
    RueckgaengigMessen(arbeitsOrdner);
    Dialoge::setzen(nullptr);
    WinUmgebung::ProgrammOrdnerSetzen(std::string());
    qputenv("WINEPREFIX", altesPrefix);
}
