// The picture window: scroll arithmetic, the three display modes, arrow
// dragging with write-back and the two pop-up menus, on a real demo project.
#include <QtTest>

#include <atomic>
#include <memory>

#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QProcess>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QToolBar>
#include <QTableView>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include "DemoProjekt.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/AuswahlLayout.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/Datendienst.h"
#include "alarms/Fensterlage.h"
#include "alarms/frmAlarmAuswahl.h"
#include "editor/Bildflaeche.h"
#include "editor/BildlaufRechnung.h"
#include "editor/PfeilSteuerung.h"
#include "editor/PfeilText.h"
#include "editor/Pfeilliste.h"
#include "editor/frmPicture.h"
#include "helpers/SkriptDialoge.h"
#include "helpers/TestDb.h"
#include "platform/WinUmgebung.h"
#include "shell/Fenstermenue.h"
#include "shell/MenueBefehle.h"
#include "shell/Verlauf.h"
#include "shell/Werkzeugfenster.h"
#include "shell/frmPruefbericht.h"
#include "shell/frmMain.h"

namespace {

struct Zeile {
    QString form, symbol, x, y;
};

// Reads a row straight from the SQLite file.
Zeile zeileLesen(const QString& db, int ident) {
    TestDb t(db);
    const QList<QVariantList> r = t.Abfrage(
        QStringLiteral("select \"Form\", \"Symbol\", \"X\", \"Y\" from Alarmdefs where \"Ident\" = ?"), {ident});
    if (r.isEmpty())
        return {};
    return {r[0].value(0).toString(), r[0].value(1).toString(), r[0].value(2).toString(), r[0].value(3).toString()};
}

void sqlAusfuehren(const QString& db, const QString& sql) {
    TestDb t(db);
    QVERIFY(t.ok());
    QVERIFY2(t.Ausfuehren(sql), qPrintable(sql));
}

void bmpSchreiben(const QString& pfad, QSize groesse, QColor farbe) {
    QDir().mkpath(QFileInfo(pfad).path());
    QImage img(groesse, QImage::Format_RGB32);
    img.fill(farbe);
    QVERIFY(img.save(pfad, "BMP"));
}

// A 24-bit BMP written byte by byte, not by Qt: pictures made apart from the code under test.
void bmpVonHand(const QString& pfad, int breite, int hoehe, QRgb farbe) {
    QDir().mkpath(QFileInfo(pfad).path());
    const int zeile = (breite * 3 + 3) / 4 * 4;
    QByteArray d;
    auto u32 = [&d](quint32 v) { for (int i = 0; i < 4; ++i) d.append(char((v >> (8 * i)) & 0xff)); };
    auto u16 = [&d](quint16 v) { d.append(char(v & 0xff)); d.append(char(v >> 8)); };
    d.append("BM");
    u32(54 + zeile * hoehe); u32(0); u32(54);
    u32(40); u32(breite); u32(hoehe); u16(1); u16(24); u32(0); u32(zeile * hoehe); u32(2835); u32(2835); u32(0); u32(0);
    QByteArray reihe(zeile, 0);
    for (int x = 0; x < breite; ++x) {
        reihe[3 * x] = char(qBlue(farbe));
        reihe[3 * x + 1] = char(qGreen(farbe));
        reihe[3 * x + 2] = char(qRed(farbe));
    }
    for (int y = 0; y < hoehe; ++y)
        d.append(reihe);
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(d);
}

// A mouse move with an explicit button state, for the combinations QTest does not track.
void bewegen(QWidget* w, QPoint p, Qt::MouseButtons knoepfe) {
    QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, knoepfe, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// What the sqlite3 program reads from a file: the rows as another client sees them.
QString Sqlite3Lesen(const QString& datei, const QString& sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {datei, sql});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

}  // namespace

class TstBildfenster : public QObject {
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    QString m_out;
    SkriptDialoge* m_s = nullptr;
    frmMain* m_w = nullptr;

    QString db() const { return DemoProjekt::Datenbank(m_out); }
    QString projekt() const { return DemoProjekt::ProjektOrdner(m_out); }
    AlarmAuswahl* auswahl() const { return m_w->mgobjAuswahl(); }
    frmPicture* bild() const { return m_w->BildfensterFallsDa(); }

    // The main window started on the demo project; the selection window stays
    // closed (its database path is set after the start), alarms are picked
    // by assigning the component's values as the selection window does.
    void starten() {
        m_s = new SkriptDialoge;
        m_w = new frmMain;
        m_w->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_w));
        m_w->activateWindow();
        m_w->Laden(m_dir->filePath(QStringLiteral("noch keine.kvs")));
        auswahl()->setAlarmDatenbank(db());
        m_s->meldungen.clear();
        m_s->meldungsTitel.clear();
    }
    void waehlen(int ident) {
        AlarmRecord gefunden;
        const QString form = [&] {
            for (const QString& f : {"Uebersicht", "Zulauf", "Vorklaerung", "Gross", "Nirgends"}) {
                const auto l = AlarmdefsZugriff::AlarmListeLesen(db(), f);
                for (const AlarmRecord& r : l.value_or(AlarmListeTyp()))
                    if (r[AlarmFeld::Ident] == QString::number(ident))
                        return QString(f);
            }
            return QString();
        }();
        QVERIFY2(!form.isEmpty(), "Alarm ohne Bild");
        const AlarmListeTyp liste = *AlarmdefsZugriff::AlarmListeLesen(db(), form);
        for (const AlarmRecord& r : liste)
            if (r[AlarmFeld::Ident] == QString::number(ident))
                gefunden = r;
        auswahl()->setAlarmListe(liste);
        auswahl()->setAktuellerAlarm(gefunden);
        m_w->imgNeuDB = WAHR;
        m_w->imgNeu = WAHR;
    }
    void modus(const char* key) {
        QTest::mouseClick(m_w->tbToolBar->widgetForAction(m_w->ToolButton(QString::fromLatin1(key))), Qt::LeftButton);
    }
    // The reference point lies in the middle of the inner extent (to the rounding of a half).
    static bool mittig(int wert, int bezug, int innen) { return std::abs(wert + innen / 2.0 - bezug) <= 0.5; }
    // Centre of an arrow in Formbox coordinates.
    QPoint mitte(int i) const { return bild()->imgPfeil(i).Rechteck().center(); }
    const PfeilBild& pfeil(int i) const { return bild()->imgPfeil(i); }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        QSettings(QStringLiteral("VB and VBA Program Settings"), QStringLiteral("Tavero")).clear();
        m_dir = new QTemporaryDir;
        m_out = m_dir->filePath(QStringLiteral("demo"));
        DemoOptionen o;
        o.out = m_out;
        o.alarms = 60;
        o.pictures = 3;
        o.seed = 5;
        o.programmOrdner = m_dir->path();
        o.bilderZeichnen = false;
        QString fehler;
        QVERIFY2(DemoProjekt::Erzeugen(o, &fehler), qPrintable(fehler));
        qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(m_out)));
        WinUmgebung::ProgrammOrdnerSetzen(m_dir->path().toStdString());
        gSingleMode = gContMode = gAllMode = gStartOhneDB = FALSCH;
        // The lists of the examples: a BMP arrow and a third picture Kessel.
        QFile ini(m_dir->filePath(QStringLiteral("Tavero/Tavero.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Grafik]\r\nAlarmPicturePath=C:\\Projekte\\Demo\\Bilder\r\n"
                  "PfeilPath=C:\\Projekte\\Demo\\Symbole\\Standard\r\n"
                  "[Arrow]\r\n1Symbol=Pfeil_rechts.bmp\r\n2Symbol=PfeilRot.gif\r\n3Symbol=PfeilGelb.gif\r\n"
                  "[Picture]\r\n1Pic=Uebersicht.bmp\r\n2Pic=Zulauf.bmp\r\n3Pic=Kessel.bmp\r\n");
        ini.close();
        bmpSchreiben(projekt() + QStringLiteral("/Symbole/Standard/Pfeil_rechts.bmp"), QSize(24, 16), Qt::red);
        bmpSchreiben(projekt() + QStringLiteral("/Bilder/Kessel/Kessel.bmp"), QSize(900, 700), Qt::yellow);
        bmpSchreiben(projekt() + QStringLiteral("/Bilder/Gross/Gross.bmp"), QSize(2000, 1500), Qt::darkCyan);
        // Alarm 17 of the examples, and a few alarms on the large picture.
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Alarmtext\" = 'Motor heiss', \"Form\" = 'Uebersicht', "
                                           "\"Symbol\" = 'Standard\\PfeilRot.gif', \"X\" = 120, \"Y\" = 45 where \"Ident\" = 17"));
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Form\" = 'Gross', \"Symbol\" = 'Standard\\PfeilBlau.gif', "
                                           "\"X\" = 1000 + \"Ident\", \"Y\" = 700 where \"Ident\" in (30, 31, 32)"));
    }
    void cleanup() {
        delete m_w;
        m_w = nullptr;
        delete m_s;
        m_s = nullptr;
        WinUmgebung::ProgrammOrdnerSetzen(std::string());
        delete m_dir;
    }

    // --- scroll arithmetic --------------------------------------------------------

    void rangesDisableSmallPicturesAndHoldLargeOnes_data() {
        QTest::addColumn<double>("bild");
        QTest::addColumn<double>("innen");
        QTest::addColumn<bool>("aktiv");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("schritt");
        QTest::newRow("kleiner") << 300.0 << 719.0 << false << 0 << 0;
        QTest::newRow("genau so gross") << 702.0 << 719.0 << false << 0 << 0;  // E = 0
        QTest::newRow("ein Pixel mehr") << 703.0 << 719.0 << true << 1 << 702;
        QTest::newRow("gross") << 2000.0 << 719.0 << true << 1298 << 702;
        QTest::newRow("jenseits 16 Bit") << 50000.0 << 719.0 << true << 32767 << 702;
    }
    void rangesDisableSmallPicturesAndHoldLargeOnes() {
        QFETCH(double, bild);
        QFETCH(double, innen);
        QFETCH(bool, aktiv);
        QFETCH(int, maximum);
        QFETCH(int, schritt);
        const auto b = BildlaufRechnung::BereichBerechnen(bild, innen, 17, innen - 17);
        QCOMPARE(b.aktiv, aktiv);
        QCOMPARE(b.maximum, maximum);
        if (aktiv)
            QCOMPARE(b.grosserSchritt, schritt);
    }

    void centringIsClampedAtBothEnds() {
        QCOMPARE(BildlaufRechnung::Zentrieren(24, 700, 1300), 0);     // near the top-left corner
        QCOMPARE(BildlaufRechnung::Zentrieren(1000, 700, 1300), 650);
        QCOMPARE(BildlaufRechnung::Zentrieren(1990, 700, 1300), 1300); // beyond the range
        QCOMPARE(BildlaufRechnung::Zentrieren(500, 700, 0), 0);        // disabled bar
        QCOMPARE(BildlaufRechnung::Zentrieren(350.5 + 350, 701, 900), 350);  // halves to even
        QCOMPARE(BildlaufRechnung::Ganzzahl16(2.5), std::optional<std::int16_t>(2));
        QCOMPARE(BildlaufRechnung::Ganzzahl16(3.5), std::optional<std::int16_t>(4));
        QCOMPARE(BildlaufRechnung::Ganzzahl16(-32768.4), std::optional<std::int16_t>(-32768));
        QVERIFY(!BildlaufRechnung::Ganzzahl16(32767.5));
    }

    void autoScrollNearTheEdges_data() {
        QTest::addColumn<double>("px");
        QTest::addColumn<double>("py");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("v");
        QTest::addColumn<int>("hNeu");
        QTest::addColumn<int>("vNeu");
        // visible range H .. H + 600, V .. V + 400; maxima 1000 and 800
        QTest::newRow("Mitte") << 400.0 << 300.0 << 100 << 100 << 100 << 100;
        QTest::newRow("links 79") << 179.0 << 300.0 << 100 << 100 << 92 << 100;
        QTest::newRow("links 80") << 180.0 << 300.0 << 100 << 100 << 100 << 100;
        QTest::newRow("links bei 0") << 5.0 << 300.0 << 0 << 100 << 0 << 100;
        QTest::newRow("links bei 4") << 10.0 << 300.0 << 4 << 100 << 0 << 100;
        QTest::newRow("rechts 91") << 611.0 << 300.0 << 100 << 100 << 108 << 100;
        QTest::newRow("rechts 90") << 610.0 << 300.0 << 100 << 100 << 100 << 100;
        QTest::newRow("rechts am Ende") << 1590.0 << 300.0 << 1000 << 100 << 1000 << 100;
        QTest::newRow("rechts kurz vor Ende") << 1590.0 << 300.0 << 996 << 100 << 1000 << 100;
        QTest::newRow("oben") << 400.0 << 150.0 << 100 << 100 << 100 << 92;
        QTest::newRow("unten am Ende") << 400.0 << 1190.0 << 100 << 800 << 100 << 800;
        QTest::newRow("Ecke") << 20.0 << 1190.0 << 0 << 795 << 0 << 800;
    }
    void autoScrollNearTheEdges() {
        QFETCH(double, px);
        QFETCH(double, py);
        QFETCH(int, h);
        QFETCH(int, v);
        QFETCH(int, hNeu);
        QFETCH(int, vNeu);
        const auto w = BildlaufRechnung::AutoBildlauf(px, py, h, v, 1000, 800, 600, 400);
        QCOMPARE(w.h, hNeu);
        QCOMPARE(w.v, vNeu);
        // In a view too small for both tests the later one wins.
        QCOMPARE(BildlaufRechnung::AutoBildlauf(150, 150, 100, 100, 1000, 800, 100, 100),
                 (BildlaufRechnung::Wert{108, 108}));
    }

    void textsOfAnArrow() {
        QCOMPARE(PfeilText::ToolTip("17", "Motor überlastet", "Pfeil1.gif", 120, 45),
                 QStringLiteral("ID 17 | AlarmText Motor überlastet | Pfeil1.gif | X_120 | Y_45"));
        QCOMPARE(PfeilText::ToolTip("3", "", "", 0, 0), QStringLiteral("ID 3 | AlarmText  |  | X_0 | Y_0"));
        QCOMPARE(PfeilText::Tag("17", "Pfeil1.gif"), QStringLiteral("17#Pfeil1.gif"));
        QCOMPARE(PfeilText::Position(QString()), 0);
        QCOMPARE(PfeilText::Position(QStringLiteral("120,6")), 121);
        QCOMPARE(PfeilText::Position(QStringLiteral("-5")), -5);
        QCOMPARE(PfeilText::Position(QStringLiteral("links")), 0);
        QCOMPARE(PfeilText::OhneEndung(QStringLiteral("Kessel.bmp")), QStringLiteral("Kessel"));
        QCOMPARE(PfeilText::OhneEndung(QStringLiteral("ab")), QStringLiteral("ab"));
    }

    // --- display --------------------------------------------------------------------

    void designPictureUntilTheFirstAlarm() {
        starten();
        m_w->imgNeu = WAHR;
        frmPicture* f = m_w->Bildfenster();
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor"));
        QCOMPARE(f->Formbox->size(), QSize(1280, 914));
        QCOMPARE(f->PfeilAnzahl(), 1);
        QVERIFY(!f->imgPfeil(0).Visible);
        QCOMPARE(f->imgPfeil(0).Rechteck(), QRect(24, 24, 88, 86));
        QCOMPARE(m_w->imgNeu, FALSCH);  // the load step clears it
    }

    void singleModeShowsTheCurrentAlarm() {
        starten();
        waehlen(17);
        frmPicture* f = bild();
        QVERIFY(f && f->isVisibleTo(m_w));
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  Uebersicht"));
        QVERIFY(!f->BildIstPlatzhalter());
        QCOMPARE(f->Formbox->size(), QSize(160, 114));
        QCOMPARE(f->PfeilAnzahl(), 2);
        QCOMPARE(pfeil(1).Rechteck(), QRect(120, 45, 32, 32));
        QVERIFY(pfeil(1).Visible && !pfeil(1).Platzhalter);
        QCOMPARE(pfeil(1).Tag, QStringLiteral("17#PfeilRot.gif"));
        QCOMPARE(pfeil(1).ToolTipText, QStringLiteral("ID 17 | AlarmText Motor heiss | PfeilRot.gif | X_120 | Y_45"));
        QCOMPARE(f->shpFocus(), QRect(120, 45, 37, 37));
        QVERIFY(f->shpFocusVisible());
        QCOMPARE(f->mAktPfeilIndex, std::int16_t(1));
        QCOMPARE(f->mAktAlarm->value(AlarmFeld::Ident), QStringLiteral("17"));
        QVERIFY(m_w->ToolButton("Editor")->isChecked());
        // The picture is smaller than the view: both bars are off, the picture at 0.
        QVERIFY(!f->BildlaufHorizontal->isEnabled() && !f->Bildlaufvertikal->isEnabled());
        QCOMPARE(f->Formbox->pos(), QPoint(0, 0));
        // The next pick replaces the arrow.
        waehlen(30);
        QCOMPARE(f->PfeilAnzahl(), 2);
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  Gross"));
        QCOMPARE(pfeil(1).Tag, QStringLiteral("30#PfeilBlau.gif"));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1030, 700));
        // Centred on the arrow as far as the range allows.
        QVERIFY(f->BildlaufHorizontal->isEnabled());
        QCOMPARE(f->BildlaufHorizontal->maximum(), 2000 - f->width() + 17);
        QVERIFY(mittig(f->BildlaufHorizontal->value(), 1030, f->width()));
        QVERIFY(mittig(f->Bildlaufvertikal->value(), 700, f->height()));
        QCOMPARE(f->BildlaufHorizontal->pageStep(), f->width() - 17);
        QCOMPARE(f->Formbox->pos(), QPoint(-f->BildlaufHorizontal->value(), -f->Bildlaufvertikal->value()));
        // A smaller picture afterwards returns to offset 0.
        waehlen(17);
        QCOMPARE(f->Formbox->pos(), QPoint(0, 0));
        QCOMPARE(f->BildlaufHorizontal->value(), 0);
    }

    void contModeAccumulatesArrows() {
        starten();
        waehlen(17);
        modus("ContMode");
        for (int id : {30, 31, 32})
            waehlen(id);
        frmPicture* f = bild();
        QCOMPARE(f->PfeilAnzahl(), 5);
        QCOMPARE(pfeil(1).Tag, QStringLiteral("17#PfeilRot.gif"));  // the earlier picture's arrow stays
        QCOMPARE(pfeil(4).Tag, QStringLiteral("32#PfeilBlau.gif"));
        QCOMPARE(f->mAktPfeilIndex, std::int16_t(4));
        QCOMPARE(f->shpFocus(), QRect(1032, 700, 37, 37));
        QVERIFY(mittig(f->BildlaufHorizontal->value(), 1032, f->width()));
        // Back to the single-arrow mode clears them.
        modus("SingleMode");
        waehlen(31);
        QCOMPARE(f->PfeilAnzahl(), 2);
    }

    void allModeShowsEveryAlarmOfThePicture() {
        starten();
        waehlen(30);
        modus("AllMode");
        waehlen(31);  // not the last of the list
        frmPicture* f = bild();
        QCOMPARE(f->PfeilAnzahl(), 4);
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("3 Pfeile"));
        QCOMPARE(f->shpFocus().topLeft(), QPoint(1031, 700));
        QCOMPARE(f->mAktPfeilIndex, std::int16_t(3));
        QStringList tags;
        for (int i = 1; i < f->PfeilAnzahl(); ++i) {
            QVERIFY(pfeil(i).Visible);
            tags << pfeil(i).Tag;
        }
        tags.sort();
        QCOMPARE(tags, (QStringList{"30#PfeilBlau.gif", "31#PfeilBlau.gif", "32#PfeilBlau.gif"}));
        QVERIFY(!f->imgPfeil(0).Visible);
        // Centred on the focus rectangle.
        QVERIFY(mittig(f->BildlaufHorizontal->value(), 1031, f->width()));

        // Every alarm of a demo picture, with and without symbol and position.
        const AlarmListeTyp liste = *AlarmdefsZugriff::AlarmListeLesen(db(), QStringLiteral("Uebersicht"));
        waehlen(17);
        QCOMPARE(f->PfeilAnzahl(), liste.size() + 1);
        QCOMPARE(m_w->StatusTextLesen(1), PfeilText::Anzahl(int(liste.size())));
        for (int i = 0; i < liste.size(); ++i) {
            const AlarmRecord& r = liste[i];
            const PfeilBild& p = pfeil(i + 1);
            QCOMPARE(p.Tag, r[AlarmFeld::Ident] + "#" + r[AlarmFeld::Symbol]);
            QCOMPARE(p.Left, r[AlarmFeld::X].isEmpty() ? 0 : r[AlarmFeld::X].toInt());
            QVERIFY(!p.Platzhalter);  // an empty symbol shows PfeilLeer.gif
            if (r[AlarmFeld::X].isEmpty())
                QVERIFY(p.ToolTipText.endsWith(QStringLiteral(" | X_0 | Y_0")));
        }
        // A list of one alarm.
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Form\" = 'Kessel' where \"Ident\" = 40"));
        auswahl()->setAlarmListe(*AlarmdefsZugriff::AlarmListeLesen(db(), QStringLiteral("Kessel")));
        auswahl()->setAktuellerAlarm(auswahl()->AlarmListe()->first());
        QCOMPARE(f->PfeilAnzahl(), 2);
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("1 Pfeile"));
    }

    void noModeIsReportedThroughTheSeam() {
        starten();
        waehlen(17);
        gSingleMode = gContMode = gAllMode = FALSCH;
        waehlen(30);
        QCOMPARE(m_s->meldungen, QStringList{QStringLiteral("Kein Anzeige-Modus gesetzt")});
        QCOMPARE(m_s->meldungsTitel, QStringList{QString()});  // the program's title
        QCOMPARE(bild()->windowTitle(), QStringLiteral("Pfeileditor  Gross"));
        QCOMPARE(bild()->PfeilAnzahl(), 2);  // no arrow added
        QCOMPARE(pfeil(1).Tag, QStringLiteral("17#PfeilRot.gif"));
    }

    void missingFilesShowPlaceholdersAndStayDraggable() {
        starten();
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Symbol\" = 'Standard\\Fehlt.gif' where \"Ident\" = 17"));
        waehlen(17);
        frmPicture* f = bild();
        QVERIFY(pfeil(1).Platzhalter);
        QVERIFY(!pfeil(1).Picture.isNull() && pfeil(1).Width > 0);
        const QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(7, 3));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(7, 3));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(127, 48));
        QCOMPARE(zeileLesen(db(), 17).x, QStringLiteral("127"));
        // A picture file that is not there.
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Form\" = 'Nirgends' where \"Ident\" = 17"));
        waehlen(17);
        QVERIFY(f->BildIstPlatzhalter());
        QVERIFY(f->Formbox->width() > 0 && !f->Formbox->Bild().isNull());
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  Nirgends"));
        QCOMPARE(f->PfeilAnzahl(), 2);
    }

    void toolTipShowsOnTheArrow() {
        starten();
        waehlen(17);
        frmPicture* f = bild();
        QHelpEvent e(QEvent::ToolTip, mitte(1), f->Formbox->mapToGlobal(mitte(1)));
        QApplication::sendEvent(f->Formbox, &e);
        QCOMPARE(QToolTip::text(), QStringLiteral("ID 17 | AlarmText Motor heiss | PfeilRot.gif | X_120 | Y_45"));
        QToolTip::hideText();
    }

    void windowPlacementAndFocus() {
        starten();
        waehlen(17);
        frmPicture* f = bild();
        auto* sub = qobject_cast<QMdiSubWindow*>(f->parentWidget());
        QVERIFY(sub);
        const QSize t = m_w->AussenGroesseTwips();
        QCOMPARE(sub->geometry(), QRect(0, qRound(t.height() / 3.0 / 15 - 10), qRound((t.width() - 350) / 15.0),
                                        qRound((2.0 * t.height() / 3 - 1500) / 15)));
        // The bars lie along the inner edges, the corner box between them.
        QCOMPARE(f->Bildlaufvertikal->geometry(), QRect(f->width() - 17, 0, 17, f->height() - 17));
        QCOMPARE(f->BildlaufHorizontal->geometry(), QRect(0, f->height() - 17, f->width() - 17, 17));
        QCOMPARE(f->picBlende->pos(), QPoint(f->width() - 17, f->height() - 17));
        m_w->ToolButtonDruecken(QStringLiteral("Grid"));
        f->clearFocus();
        QVERIFY(!m_w->ToolButton("Editor")->isChecked());
        QTest::mouseClick(f->Formbox, Qt::LeftButton, {}, QPoint(5, 100));
        QVERIFY(f->hasFocus());
        QVERIFY(m_w->ToolButton("Editor")->isChecked());
    }

    // --- dragging -------------------------------------------------------------------

    void dragMovesByThePointerAndWritesOnRelease_data() {
        QTest::addColumn<QPoint>("schritt");
        QTest::newRow("rechts") << QPoint(5, 0);
        QTest::newRow("links oben") << QPoint(-9, -4);
        QTest::newRow("nicht") << QPoint(0, 0);
    }
    void dragMovesByThePointerAndWritesOnRelease() {
        QFETCH(QPoint, schritt);
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const QPoint start = pfeil(1).Rechteck().topLeft();
        const QPoint griff = start + QPoint(6, 11);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, griff);
        QCOMPARE(f->mGriffX, 6.0f);
        QCOMPARE(f->mGriffY, 11.0f);
        QCOMPARE(f->shpFocus().topLeft(), start);
        QTest::mouseMove(f->Formbox, griff + schritt);
        const QPoint ziel = start + schritt;
        QCOMPARE(pfeil(1).Rechteck().topLeft(), ziel);
        QCOMPARE(f->shpFocus(), QRect(ziel, QSize(37, 37)));
        QCOMPARE(m_w->StatusTextLesen(2), QStringLiteral("X = %1 Y = %2").arg(ziel.x()).arg(ziel.y()));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));  // nothing written before the release
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, griff + schritt);
        const Zeile z = zeileLesen(db(), 30);
        QCOMPARE(z.x, QString::number(ziel.x()));
        QCOMPARE(z.y, QString::number(ziel.y()));
        QCOMPARE(z.symbol, QStringLiteral("Standard\\PfeilBlau.gif"));
        QCOMPARE(z.form, QStringLiteral("Gross"));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Folgende Werte in die DB geschrieben  30 ; PfeilBlau.gif ; %1 ; %2")
                                               .arg(ziel.x()).arg(ziel.y()));
        QCOMPARE(pfeil(1).ToolTipText,
                 QStringLiteral("ID 30 | AlarmText %1 | PfeilBlau.gif | X_%2 | Y_%3")
                     .arg(f->mAktAlarm->value(AlarmFeld::Alarmtext)).arg(ziel.x()).arg(ziel.y()));
        // Read back, the arrow stands where it was left.
        waehlen(30);
        QCOMPARE(pfeil(1).Rechteck().topLeft(), ziel);
    }

    void draggingAnotherAlarmsArrowKeepsItsSymbol() {
        starten();
        waehlen(30);
        modus("AllMode");
        m_w->imgNeuIndex = 1;  // PfeilRot.gif was the last symbol chosen, for some other alarm
        waehlen(30);
        QCOMPARE(m_w->imgNeu, WAHR);
        frmPicture* f = bild();
        int i32 = 1;
        while (pfeil(i32).Tag != QStringLiteral("32#PfeilBlau.gif"))
            QVERIFY(++i32 < f->PfeilAnzahl());
        // The picked 30 lies on top; 32 shows at its right edge beside it.
        const QPoint p(pfeil(i32).Rechteck().right(), mitte(i32).y());
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(0, 40));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(0, 40));
        const Zeile z = zeileLesen(db(), 32);
        QCOMPARE(z.symbol, QStringLiteral("Standard\\PfeilBlau.gif"));
        QCOMPARE(z.y, QStringLiteral("740"));
        QCOMPARE(zeileLesen(db(), 30).y, QStringLiteral("700"));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Folgende Werte in die DB geschrieben  32 ; PfeilBlau.gif ; 1032 ; 740"));
        QVERIFY(pfeil(i32).ToolTipText.startsWith(QStringLiteral("ID 32 | ")));
    }

    void onlyTheLeftButtonAloneDrags() {
        starten();
        waehlen(30);
        modus("ContMode");  // no menus here
        frmPicture* f = bild();
        const QPoint start = pfeil(1).Rechteck().topLeft();
        const QPoint p = start + QPoint(4, 4);
        QTest::mousePress(f->Formbox, Qt::RightButton, {}, p);
        bewegen(f->Formbox, p + QPoint(20, 20), Qt::RightButton);
        QCOMPARE(pfeil(1).Rechteck().topLeft(), start);
        QTest::mouseRelease(f->Formbox, Qt::RightButton, {}, p + QPoint(20, 20));
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        bewegen(f->Formbox, p + QPoint(20, 20), Qt::LeftButton | Qt::RightButton);
        QCOMPARE(pfeil(1).Rechteck().topLeft(), start);
        QVERIFY(m_s->letzteMenuTexte.isEmpty());
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(20, 20));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
    }

    void aPressBesideTheArrowDragsNothing() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const QPoint start = pfeil(1).Rechteck().topLeft();
        // Pressed on the picture, the pointer then passes over the arrow.
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, start - QPoint(30, 0));
        bewegen(f->Formbox, mitte(1), Qt::LeftButton);
        bewegen(f->Formbox, mitte(1) + QPoint(25, 15), Qt::LeftButton);
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, mitte(1) + QPoint(25, 15));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), start);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
    }

    void autoScrollIsClampedAtZeroAndAtTheMaximum() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        QScrollBar* hs = f->BildlaufHorizontal;
        QVERIFY(hs->maximum() > 100);
        // Near the left edge with H = 0: nothing moves.
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 40, \"Y\" = 300 where \"Ident\" = 30"));
        waehlen(30);
        QCOMPARE(hs->value(), 0);
        QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(-3, 0));
        QCOMPARE(hs->value(), 0);
        QCOMPARE(f->Formbox->x(), 0);
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(-3, 0));
        // Near the right edge with H = HMax: the view stays, the arrow goes on beyond.
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 1960, \"Y\" = 300 where \"Ident\" = 30"));
        waehlen(30);
        QCOMPARE(hs->value(), hs->maximum());
        p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(30, 0));
        QCOMPARE(hs->value(), hs->maximum());
        QCOMPARE(pfeil(1).Left, 1990);
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(30, 0));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1990"));
        // Between the ends each step near the left edge scrolls by 8.
        hs->setValue(500);
        QCOMPARE(f->Formbox->x(), -500);
        // Drag the arrow from the right end to 60 pixels inside the left end of the view.
        const QPoint griff = pfeil(1).Rechteck().topLeft() + QPoint(10, 10);
        const QPoint links(500 + 60, griff.y());
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, griff);
        QTest::mouseMove(f->Formbox, links);
        QCOMPARE(pfeil(1).Left, links.x() - 10);
        QCOMPARE(hs->value(), 492);
        QCOMPARE(f->Formbox->x(), -492);
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, links);
    }

    void refusedWritesPutTheArrowBack_data() {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<QString>("meldung");
        QTest::addColumn<QPoint>("danach");  // where the arrow stands afterwards
        QTest::newRow("row deleted") << "geloescht" << "kein Alarm 30 gefunden" << QPoint(1030, 700);
        QTest::newRow("database gone") << "weg" << "weg" << QPoint(1030, 700);
        QTest::newRow("locked by another program") << "gesperrt" << "gesperrt" << QPoint(1030, 700);
        QTest::newRow("changed meanwhile") << "geaendert" << "Alarm 30 wurde inzwischen geändert" << QPoint(5, 6);
        // Picked twice; the other arrow goes with its alarm to another picture, the dragged one shows the row.
        QTest::newRow("moved to another picture") << "anderesBild" << "Alarm 30 wurde inzwischen geändert" << QPoint(5, 6);
    }
    void refusedWritesPutTheArrowBack() {
        QFETCH(QString, fall);
        QFETCH(QString, meldung);
        QFETCH(QPoint, danach);
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const QPoint p = mitte(1);
        QSqlDatabase andere;
        if (fall == QLatin1String("geloescht"))
            sqlAusfuehren(db(), QStringLiteral("delete from Alarmdefs where \"Ident\" = 30"));
        else if (fall == QLatin1String("weg"))
            auswahl()->setAlarmDatenbank(m_dir->filePath(QStringLiteral("weg/Demo.kvs")));
        else if (fall == QLatin1String("geaendert"))
            sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 5, \"Y\" = 6 where \"Ident\" = 30"));
        else if (fall == QLatin1String("anderesBild")) {
            modus("ContMode");
            waehlen(30);
            QCOMPARE(f->PfeilAnzahl(), 2);  // picked twice, shown once
            sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Form\" = 'Zulauf', \"X\" = 5, \"Y\" = 6 "
                                               "where \"Ident\" = 30"));
        } else {
            andere = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst-sperre"));
            andere.setDatabaseName(db());
            QVERIFY(andere.open());
            QVERIFY(QSqlQuery(andere).exec(QStringLiteral("begin exclusive")));
        }
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(7, 3));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(7, 3));
        if (andere.isValid()) {
            QSqlQuery(andere).exec(QStringLiteral("rollback"));
            andere.close();
            andere = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("tst-sperre"));
        }
        // The screen shows what the row holds, and why nothing was written.
        if (fall == QLatin1String("anderesBild"))
            QCOMPARE(f->PfeilAnzahl(), 2);
        QCOMPARE(pfeil(1).Rechteck().topLeft(), danach);
        // panel 2 shows where the arrow stands, not the spot that was refused
        QCOMPARE(m_w->StatusTextLesen(2), QStringLiteral("X = %1 Y = %2").arg(danach.x()).arg(danach.y()));
        const QString status = m_w->StatusTextLesen(1);
        QVERIFY2(status.contains(meldung) && !status.startsWith(QStringLiteral("Folgende Werte")), qPrintable(status));
        QVERIFY2(!status.contains(QStringLiteral("locked")), qPrintable(status));
        if (fall == QLatin1String("gesperrt"))
            QVERIFY(m_w->findChild<QLabel*>(QStringLiteral("Status"))->toolTip().contains(QStringLiteral("locked")));
        if (fall != QLatin1String("geloescht") && fall != QLatin1String("weg")) {
            QCOMPARE(zeileLesen(db(), 30).x, QString::number(danach.x()));
            // The next drag starts from what the row holds and is written.
            QTest::mousePress(f->Formbox, Qt::LeftButton, {}, mitte(1));
            QTest::mouseMove(f->Formbox, mitte(1) + QPoint(1, 0));
            QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, mitte(1) + QPoint(1, 0));
            QCOMPARE(zeileLesen(db(), 30).x, QString::number(danach.x() + 1));
        }
    }

    void pickDuringActivateShowsTheNewerAlarm() {
        starten();
        waehlen(17);
        // A second pick waiting while the first one loads follows it and wins.
        QTimer::singleShot(0, this, [this] { waehlen(30); });
        waehlen(17);
        QTRY_COMPARE(auswahl()->AktuellerAlarm()->value(AlarmFeld::Ident), QStringLiteral("30"));
        frmPicture* f = bild();
        QCOMPARE(f->PfeilAnzahl(), 2);
        QCOMPARE(pfeil(1).Tag, QStringLiteral("30#PfeilBlau.gif"));
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  Gross"));
        QCOMPARE(f->mAktAlarm->value(AlarmFeld::Ident), QStringLiteral("30"));
        QCOMPARE(auswahl()->AktuellerAlarm()->value(AlarmFeld::Ident), QStringLiteral("30"));
        // A click on the old arrow still waiting while the next pick loads its
        // picture writes nothing: not the new picture into the old alarm's row.
        waehlen(17);
        const QPoint p = mitte(1);
        const QPoint g = f->Formbox->mapToGlobal(p);
        QCoreApplication::postEvent(f->Formbox, new QMouseEvent(QEvent::MouseButtonPress, QPointF(p), QPointF(g),
                                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(f->Formbox, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(p), QPointF(g),
                                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        waehlen(30);
        QCOMPARE(zeileLesen(db(), 17).form, QStringLiteral("Uebersicht"));
        QCOMPARE(pfeil(1).Tag, QStringLiteral("30#PfeilBlau.gif"));
        // Delivered after the pick, the click meets the arrows shown by then.
        QTest::qWait(50);
        QCOMPARE(zeileLesen(db(), 17).form, QStringLiteral("Uebersicht"));
        QCOMPARE(pfeil(1).Tag, QStringLiteral("30#PfeilBlau.gif"));
    }

    void duplicateNumbersKeepTheirOwnArrows() {
        starten();
        // A table without the key on the number, with two rows of alarm 30.
        sqlAusfuehren(db(), QStringLiteral("create table t as select * from Alarmdefs"));
        sqlAusfuehren(db(), QStringLiteral("drop table Alarmdefs"));
        sqlAusfuehren(db(), QStringLiteral("alter table t rename to Alarmdefs"));
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 300, \"Y\" = 900 where \"Ident\" = 30"));
        sqlAusfuehren(db(), QStringLiteral("insert into Alarmdefs (\"Ident\", \"Form\", \"Symbol\", \"X\", \"Y\") "
                                           "values (30, 'Gross', 'Standard\\PfeilBlau.gif', 500, 500)"));
        modus("AllMode");
        waehlen(30);
        frmPicture* f = bild();
        auto pfeilBei = [&](QPoint stelle) {
            for (int i = 1; i < f->PfeilAnzahl(); ++i)
                if (pfeil(i).Ident == QStringLiteral("30") && pfeil(i).Rechteck().topLeft() == stelle)
                    return i;
            return 0;
        };
        auto zeilen = [this] {
            QStringList aus;
            for (const QVariantList& z : TestDb(db()).Abfrage(
                     QStringLiteral("select \"X\", \"Y\" from Alarmdefs where \"Ident\" = 30 order by rowid")))
                aus << z.at(0).toString() + QLatin1Char(',') + z.at(1).toString();
            return aus;
        };
        auto ziehen = [&](int i, QPoint um) {
            const QPoint p = f->Formbox->ZuSchirm(pfeil(i).Rechteck()).center();
            QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
            QTest::mouseMove(f->Formbox, p + um);
            QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + um);
        };
        QVERIFY(pfeilBei({300, 900}) && pfeilBei({500, 500}));
        ziehen(pfeilBei({300, 900}), {10, 10});
        // The other row's arrow stays where its row says.
        QVERIFY(pfeilBei({310, 910}) && pfeilBei({500, 500}));
        QCOMPARE(zeilen(), (QStringList{"310,910", "500,500"}));
        ziehen(pfeilBei({500, 500}), {-300, -300});
        QCOMPARE(zeilen(), (QStringList{"310,910", "200,200"}));
        QVERIFY(pfeilBei({310, 910}) && pfeilBei({200, 200}));
    }

    void openingAnotherDatabaseLeavesNoArrowToDrag() {
        starten();
        waehlen(17);
        QCOMPARE(bild()->PfeilAnzahl(), 2);
        m_w->DatenbankOeffnen();  // the project choice is cancelled
        QCOMPARE(bild()->PfeilAnzahl(), 1);
        QTest::mouseClick(bild()->Formbox, Qt::LeftButton, {}, QPoint(125, 50));
        QCOMPARE(zeileLesen(db(), 17).x, QStringLiteral("120"));
    }

    void releaseWithoutAMoveInventsNoValues() {
        starten();
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Form\" = 'Gross', \"Symbol\" = null, \"X\" = null, "
                                           "\"Y\" = null where \"Ident\" = 31"));
        waehlen(31);
        frmPicture* f = bild();
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(0, 0));
        const QPoint p = mitte(1);
        QTest::mouseClick(f->Formbox, Qt::LeftButton, {}, p);
        TestDb c(db());
        QVERIFY(c.ok());
        auto nullen = [&c] {
            const auto z = c.Abfrage(QStringLiteral("select \"Symbol\" is null, \"X\" is null, \"Y\" is null, \"X\", \"Y\" "
                                                    "from Alarmdefs where \"Ident\" = 31"));
            return z.isEmpty() ? QVariantList() : QVariantList{z[0][0].toInt(), z[0][1].toInt(), z[0][2].toInt(), z[0][3], z[0][4]};
        };
        QCOMPARE(nullen().mid(0, 3), (QVariantList{1, 1, 1}));
        QVERIFY(m_w->StatusTextLesen(1).startsWith(QStringLiteral("Folgende Werte in die DB geschrieben  31")));
        // Moved, the arrow has a position; the symbol stays unset.
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(5, 9));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(5, 9));
        QCOMPARE(nullen(), (QVariantList{1, 0, 0, 5, 9}));
    }

    // --- undo, redo ---------------------------------------------------------------

    void undoAndRedoOfADragReachTheFile() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(12, -5));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(12, -5));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1042"));
        QCOMPARE(m_w->mnuRueckgaengig->text(), QStringLiteral("&Rückgängig: Pfeil von Alarm 30 verschieben"));
        // A click that leaves the row as it was is no step of its own.
        QTest::mouseClick(f->Formbox, Qt::LeftButton, {}, mitte(1));
        QCOMPARE(m_w->mVerlauf->Stapel()->count(), 1);
        QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
        QCOMPARE(zeileLesen(db(), 30).y, QStringLiteral("700"));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1030, 700));
        QCOMPARE(m_w->mnuWiederholen->text(), QStringLiteral("&Wiederholen: Pfeil von Alarm 30 verschieben"));
        QTest::keyClick(m_w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1042"));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1042, 695));
        // Someone else moved the arrow meanwhile: undo writes nothing and says which alarm changed.
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 7 where \"Ident\" = 30"));
        QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("7"));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Alarm 30 wurde inzwischen geändert; nichts zurückgenommen."));
        // The step stays until the user discards it; the next Ctrl+Z asks again.
        QVERIFY(m_w->mVerlauf->Stapel()->canUndo());
        QVERIFY(m_s->wahlTexte.last().contains(QStringLiteral("Alarm 30 wurde inzwischen geändert")));
        m_s->wahlAntworten << 1;
        QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("7"));
        QVERIFY(!m_w->mVerlauf->Stapel()->canUndo());
        // Another database starts an empty history.
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, mitte(1));
        QTest::mouseMove(f->Formbox, mitte(1) + QPoint(3, 0));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, mitte(1) + QPoint(3, 0));
        QVERIFY(m_w->mVerlauf->Stapel()->count() >= 1);
        m_w->DatenbankOeffnen();
        QCOMPARE(m_w->mVerlauf->Stapel()->count(), 0);
    }

    void undoAndRedoAreWrittenOnTheWorkerInOrder() {
        // With the grid open the database has its worker: an undo waits for a
        // locked file there, the window goes on, and the step is taken with the answer.
        starten();
        waehlen(30);
        auswahl()->AuswahlShow();
        QTRY_VERIFY(auswahl()->Dienst());
        frmPicture* f = bild();
        for (const QPoint um : {QPoint(12, -5), QPoint(3, 3)}) {
            const QPoint p = mitte(1);
            QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
            QTest::mouseMove(f->Formbox, p + um);
            QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + um);
            QTRY_VERIFY(!m_w->mVerlauf->Schreibt());
        }
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1045"));
        QUndoStack* stapel = m_w->mVerlauf->Stapel();
        QCOMPARE(stapel->index(), 2);
        {
            QSqlDatabase sperre = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst-sperre"));
            sperre.setDatabaseName(db());
            QVERIFY(sperre.open());
            QVERIFY(QSqlQuery(sperre).exec(QStringLiteral("begin exclusive")));
            // Two quick Ctrl+Z: the first waits for the lock, the second after it.
            QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY(m_w->mVerlauf->Schreibt());
            QCOMPARE(stapel->index(), 2);
            QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1045, 698));
            QVERIFY(QSqlQuery(sperre).exec(QStringLiteral("rollback")));
            sperre.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst-sperre"));
        QTRY_COMPARE(stapel->index(), 0);
        QTRY_VERIFY(!m_w->mVerlauf->Schreibt());
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
        QCOMPARE(zeileLesen(db(), 30).y, QStringLiteral("700"));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1030, 700));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Rückgängig: Pfeil von Alarm 30 verschieben"));
        // A redo refused on the worker keeps its question: the step stays until the user discards it.
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 7 where \"Ident\" = 30"));
        const int fragen = m_s->wahlTexte.size();
        QTest::keyClick(m_w, Qt::Key_Y, Qt::ControlModifier);
        QTRY_COMPARE(m_s->wahlTexte.size(), fragen + 1);
        QVERIFY(m_s->wahlTexte.last().contains(QStringLiteral("Alarm 30 wurde inzwischen geändert")));
        QCOMPARE(stapel->index(), 0);
        QVERIFY(stapel->canRedo());
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("7"));
        m_s->wahlAntworten << 1;
        QTest::keyClick(m_w, Qt::Key_Y, Qt::ControlModifier);
        QTRY_COMPARE(stapel->count(), 1);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("7"));
    }

    void aWriteOfThousandsOfRowsReachesEachArrowOfThePicture() {
        // Of thousands of written rows only this picture's arrows and the
        // picked alarm are looked up: each of them still takes its row, however
        // its number is written; rows of other pictures leave the arrows alone.
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const int anzahl = f->PfeilAnzahl();
        QVERIFY(anzahl >= 2);
        QList<Zeilenstand> staende;
        for (int n = 100000; n < 105000; ++n) {
            AlarmRecord r = pfeil(1).Satz;
            r[AlarmFeld::Ident] = QString::number(n);
            r[AlarmFeld::X] = QStringLiteral("1");
            staende << Zeilenstand{QString::number(n), r, {}};
        }
        AlarmRecord text = pfeil(1).Satz;
        text[AlarmFeld::Ident] = QStringLiteral("A30");
        text[AlarmFeld::X] = QStringLiteral("2");
        staende.insert(10, Zeilenstand{QStringLiteral("A30"), text, {}});
        QStringList idents;
        for (int i = 1; i < anzahl; ++i) {
            Zeilenstand s{pfeil(i).Ident, pfeil(i).Satz, {}};
            idents << s.ident;
            // written with blanks and a leading zero: the same alarm
            if (i == anzahl - 1)
                s.ident = QStringLiteral(" 0") + s.ident + QLatin1Char(' ');
            s.zeile[AlarmFeld::X] = QString::number(500 + i);
            staende.insert(i * 1500, s);
        }
        QVERIFY(f->mAktAlarm && idents.contains(f->mAktAlarm->value(AlarmFeld::Ident)));
        f->ZeilenAktualisieren(staende);
        for (int i = 1; i < anzahl; ++i) {
            QCOMPARE(pfeil(i).Ident, idents.at(i - 1));
            QCOMPARE(pfeil(i).Left, 500 + i);
            QCOMPARE(pfeil(i).Satz.value(AlarmFeld::X), QString::number(500 + i));
            if (pfeil(i).Ident == f->mAktAlarm->value(AlarmFeld::Ident))
                QCOMPARE(f->mAktAlarm->value(AlarmFeld::X), QString::number(500 + i));
        }
    }

    void aLargeStepIsNotWaitedFor() {
        // However long the window would wait for a small step's answer, a step
        // of many rows goes to the worker and is taken when its answer comes.
        starten();
        waehlen(30);
        auswahl()->AuswahlShow();
        QTRY_VERIFY(auswahl()->Dienst());
        frmPicture* f = bild();
        const QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(12, -5));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(12, -5));
        QTRY_VERIFY(!m_w->mVerlauf->Schreibt());
        QUndoStack* stapel = m_w->mVerlauf->Stapel();
        QCOMPARE(stapel->index(), 1);
        const QString x = zeileLesen(db(), 30).x;
        const int beschaeftigt = Datendienst::HoechstensWartenMs, leer = Datendienst::LeerlaufWartenMs;
        const qsizetype gross = Verlauf::GrosserSchrittZeilen;
        Datendienst::HoechstensWartenMs = Datendienst::LeerlaufWartenMs = 60000;
        const auto zurueck = qScopeGuard([beschaeftigt, leer, gross] {
            Datendienst::HoechstensWartenMs = beschaeftigt;
            Datendienst::LeerlaufWartenMs = leer;
            Verlauf::GrosserSchrittZeilen = gross;
        });
        // a small step is still answered before the key returns
        QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!m_w->mVerlauf->Schreibt());
        QCOMPARE(stapel->index(), 0);
        Verlauf::GrosserSchrittZeilen = 0;
        QTest::keyClick(m_w, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(m_w->mVerlauf->Schreibt());
        QCOMPARE(stapel->index(), 0);
        QTRY_COMPARE(stapel->index(), 1);
        QTRY_VERIFY(!m_w->mVerlauf->Schreibt());
        QCOMPARE(zeileLesen(db(), 30).x, x);
        QCOMPARE(pfeil(1).Rechteck().topLeft().x(), x.toInt());
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Wiederholt: Pfeil von Alarm 30 verschieben"));
    }

    void aClickOrARefusedWriteLeavesTheStepToRedo() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(12, -5));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(12, -5));
        QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
        QCOMPARE(m_w->mnuRueckgaengig->text(), QStringLiteral("&Rückgängig"));
        QVERIFY(!m_w->mnuRueckgaengig->isEnabled() && m_w->mnuWiederholen->isEnabled());
        QTest::mouseClick(f->Formbox, Qt::LeftButton, {}, mitte(1));
        // Someone else moved the arrow: the drag is refused and makes no step either.
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 5 where \"Ident\" = 30"));
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, mitte(1));
        QTest::mouseMove(f->Formbox, mitte(1) + QPoint(4, 4));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, mitte(1) + QPoint(4, 4));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("5"));
        QCOMPARE(m_w->mVerlauf->Stapel()->count(), 1);
        QVERIFY(m_w->mnuWiederholen->isEnabled());
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 1030 where \"Ident\" = 30"));
        m_w->mnuWiederholen->trigger();
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1042"));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Wiederholt: Pfeil von Alarm 30 verschieben"));
    }

    void anArrowWriteEndsWhenItsResultComesBack() {
        // The write may be answered later (by a worker): until then the arrow
        // stays where it was let go; a refusal puts it back, a write confirms it.
        starten();
        waehlen(30);
        frmPicture* f = bild();
        QList<Schreibauftrag> auftraege;
        QStringList schritte;
        f->Steuerung()->setSchreibweg([&](const Schreibauftrag& a, const QString& b) {
            auftraege << a;
            schritte << b;
        });
        auto ziehen = [&](QPoint um) {
            const QPoint p = mitte(1);
            QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
            QTest::mouseMove(f->Formbox, p + um);
            QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + um);
        };
        ziehen(QPoint(12, -5));
        QCOMPARE(auftraege.size(), 1);
        QCOMPARE(schritte.at(0), QStringLiteral("Pfeil von Alarm 30 verschieben"));
        QCOMPARE(auftraege.at(0).ident, QStringLiteral("30"));
        QCOMPARE(auftraege.at(0).spalten, (QList<int>{AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y}));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1042, 695));
        f->Steuerung()->Ergebnis(Schreibergebnis::Abgelehnt(
            QStringLiteral("Die Datenbank ist gesperrt; nichts wurde geschrieben."), QStringLiteral("database is locked")));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1030, 700));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Die Datenbank ist gesperrt; nichts wurde geschrieben."));
        ziehen(QPoint(12, -5));
        QCOMPARE(auftraege.size(), 2);
        f->Steuerung()->Ergebnis(auswahl()->ZeileSchreiben(auftraege.at(1), schritte.at(1)));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1042"));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1042, 695));
        QVERIFY(m_w->StatusTextLesen(1).startsWith(QStringLiteral("Folgende Werte in die DB geschrieben")));
        // A result nobody waits for changes nothing.
        f->Steuerung()->Ergebnis(Schreibergebnis::Abgelehnt(QStringLiteral("spät")));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1042, 695));
    }

    void aFileLockedByAnotherProgramHoldsNeitherWindowNorArrow() {
        // The sqlite3 program, a process of its own, holds the file locked while
        // an arrow is dragged: the write waits on the database's worker, the
        // window goes on, and the arrow goes back once the wait gives up.
        starten();
        waehlen(30);
        auswahl()->AuswahlShow();  // the grid, and with it the database's worker
        QTRY_VERIFY(auswahl()->Dienst());
        frmPicture* f = bild();
        const QPoint vorher = pfeil(1).Rechteck().topLeft();
        QProcess sperre;
        sperre.start(QStringLiteral("sqlite3"), {db()});
        QVERIFY(sperre.waitForStarted());
        sperre.write("BEGIN EXCLUSIVE;\n");
        // Held once a second sqlite3 can no longer begin a write.
        auto gesperrt = [&] {
            QProcess p;
            p.start(QStringLiteral("sqlite3"), {db(), QStringLiteral("BEGIN IMMEDIATE; ROLLBACK;")});
            return p.waitForFinished() && p.exitCode() != 0;
        };
        QTRY_VERIFY(gesperrt());
        int runden = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] { ++runden; });
        probe.start(0);
        const QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(12, -5));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(12, -5));
        QVERIFY(f->Steuerung()->Schreibt());
        QCOMPARE(pfeil(1).Rechteck().topLeft(), vorher + QPoint(12, -5));
        QTRY_VERIFY_WITH_TIMEOUT(!f->Steuerung()->Schreibt(), 15000);
        probe.stop();
        QVERIFY2(runden >= 100, qPrintable(QString::number(runden)));
        QVERIFY2(m_w->StatusTextLesen(1).contains(QStringLiteral("gesperrt")), qPrintable(m_w->StatusTextLesen(1)));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), vorher);
        sperre.write("COMMIT;\n");
        sperre.closeWriteChannel();
        QVERIFY(sperre.waitForFinished());
        QCOMPARE(zeileLesen(db(), 30).x, QString::number(vorher.x()));
        QCOMPARE(m_w->mVerlauf->Stapel()->count(), 0);
    }

    void anArrowDragReachesATableTheSqliteClientMade() {
        // Made apart from the code under test: the sqlite3 program, the columns
        // in another order, one more column, positions stored as text.
        starten();
        const QString datei = m_dir->filePath(QStringLiteral("fremd.kvs"));
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {datei});
        QVERIFY(sqlite.waitForStarted());
        sqlite.write("CREATE TABLE Alarmdefs (\"Form\" TEXT, \"Ident\" INTEGER PRIMARY KEY, \"Y\" TEXT, \"X\" TEXT, "
                     "\"Symbol\" TEXT, \"Alarmtext\" TEXT, \"Notiz\" TEXT, \"Type\" INTEGER, \"Acknowledge\" INTEGER, "
                     "\"VarName\" TEXT, \"BitNo\" INTEGER, \"Min\" TEXT, \"Max\" TEXT, \"Priority\" INTEGER, "
                     "\"Group\" INTEGER, \"Helpindex\" INTEGER, \"Sensor1\" INTEGER, \"Sensor2\" INTEGER, \"Fault\" INTEGER);\n"
                     "INSERT INTO Alarmdefs (\"Form\", \"Ident\", \"Y\", \"X\", \"Symbol\", \"Alarmtext\", \"Notiz\") VALUES "
                     "('Zulauf', 901, '40', '300', 'Standard\\PfeilRot.gif', 'Pumpe 3 Störung', 'von Hand'), "
                     "('Zulauf', 902, '80', '310', NULL, 'Schieber zu', NULL);\n");
        sqlite.closeWriteChannel();
        QVERIFY(sqlite.waitForFinished());
        QCOMPARE(sqlite.exitCode(), 0);
        auto lesen = [&datei](const QString& sql) { return Sqlite3Lesen(datei, sql); };
        auswahl()->setAlarmDatenbank(datei);
        const AlarmListeTyp liste = *AlarmdefsZugriff::AlarmListeLesen(datei, QStringLiteral("Zulauf"));
        QCOMPARE(liste.size(), 2);
        auswahl()->setAlarmListe(liste);
        auswahl()->setAktuellerAlarm(liste.at(0));
        m_w->imgNeuDB = WAHR;
        frmPicture* f = bild();
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(300, 40));
        const QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(-20, 7));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(-20, 7));
        QCOMPARE(lesen("select X, Y, Symbol, Notiz from Alarmdefs where Ident = 901"),
                 QStringLiteral("280|47|Standard\\PfeilRot.gif|von Hand"));
        QCOMPARE(lesen("select X, Y from Alarmdefs where Ident = 902"), QStringLiteral("310|80"));
        QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(lesen("select X, Y from Alarmdefs where Ident = 901"), QStringLiteral("300|40"));
    }

    // Pictures made by another program (Python's imaging library: 24-bit and
    // 256 colours, up to 4000 x 3000) under a table the sqlite3 program made
    // with its columns in another order. A large picture is decoded off the
    // window's thread: its size is there at once, its pixels follow; the
    // picked arrow stands where sqlite3 reads its row, also on the rendered
    // picture, and a drag (even before the pixels came) writes only its row.
    void aLargePictureOfAnotherProgramCarriesThePickedArrow_data() {
        QTest::addColumn<QString>("art");
        QTest::addColumn<QSize>("groesse");
        QTest::addColumn<bool>("imHintergrund");
        QTest::newRow("24 Bit, 4000 x 3000") << "RGB" << QSize(4000, 3000) << true;
        QTest::newRow("256 Farben, 4200 x 1000") << "P" << QSize(4200, 1000) << true;
        QTest::newRow("256 Farben, 800 x 600") << "P" << QSize(800, 600) << false;
    }
    void aLargePictureOfAnotherProgramCarriesThePickedArrow() {
        QFETCH(QString, art);
        QFETCH(QSize, groesse);
        QFETCH(bool, imHintergrund);
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        const QString bilddatei = projekt() + QStringLiteral("/Bilder/Werk/Werk.bmp");
        QDir().mkpath(QFileInfo(bilddatei).path());
        QProcess pil;
        pil.start(python, {QStringLiteral("-c"),
                           QStringLiteral("import sys\nfrom PIL import Image, ImageDraw\n"
                                          "w, h = int(sys.argv[1]), int(sys.argv[2])\n"
                                          "im = Image.new('RGB', (w, h), (40, 90, 160))\n"
                                          "d = ImageDraw.Draw(im)\n"
                                          "for i in range(0, w, 150): d.rectangle([i, h // 3, i + 60, h // 2], fill=(200, 200, 40))\n"
                                          "if sys.argv[3] == 'P': im = im.convert('P', palette=Image.ADAPTIVE, colors=256)\n"
                                          "im.save(sys.argv[4], 'BMP')\n"),
                           QString::number(groesse.width()), QString::number(groesse.height()), art, bilddatei});
        QVERIFY(pil.waitForFinished(60000));
        if (pil.exitCode() != 0)
            QSKIP(qPrintable(QStringLiteral("PIL: ") + QString::fromUtf8(pil.readAllStandardError())));
        const QString datei = m_dir->filePath(QStringLiteral("werk.kvs"));
        const int breite = groesse.width(), hoehe = groesse.height();
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {datei});
        QVERIFY(sqlite.waitForStarted());
        sqlite.write(QStringLiteral("CREATE TABLE Alarmdefs (\"Symbol\" TEXT, \"X\" TEXT, \"Alarmtext\" TEXT, \"Ident\" INTEGER, "
                                    "\"Type\" INTEGER, \"Y\" TEXT, \"Acknowledge\" INTEGER, \"VarName\" TEXT, \"BitNo\" INTEGER, "
                                    "\"Min\" TEXT, \"Max\" TEXT, \"Priority\" INTEGER, \"Group\" INTEGER, \"Form\" TEXT, "
                                    "\"Helpindex\" INTEGER, \"Sensor1\" INTEGER, \"Sensor2\" INTEGER, \"Fault\" INTEGER);\n"
                                    "INSERT INTO Alarmdefs (\"Symbol\", \"X\", \"Alarmtext\", \"Ident\", \"Y\", \"Form\") VALUES "
                                    "('Standard\\PfeilBlau.gif', '%1', 'Kessel 1', 7001, '%2', 'Werk'), "
                                    "('Standard\\PfeilBlau.gif', '%3', 'Kessel 2', 7002, '%4', 'Werk'), "
                                    "('Standard\\PfeilRot.gif', '%5', 'Kessel 3', 7003, '%6', 'Werk');\n")
                         .arg(breite / 5).arg(hoehe / 5).arg(breite * 3 / 4).arg(hoehe * 2 / 3).arg(breite - 90).arg(hoehe - 60)
                         .toUtf8());
        sqlite.closeWriteChannel();
        QVERIFY(sqlite.waitForFinished());
        QCOMPARE(sqlite.exitCode(), 0);
        auto lesen = [&datei](const QString& sql) { return Sqlite3Lesen(datei, sql); };
        const QStringList xy = lesen(QStringLiteral("select X, Y from Alarmdefs where Ident = 7002")).split(QLatin1Char('|'));
        QCOMPARE(xy.size(), 2);
        const QPoint stelle(xy.at(0).toInt(), xy.at(1).toInt());
        const QString andere = lesen(QStringLiteral("select * from Alarmdefs where Ident <> 7002 order by Ident"));

        starten();
        modus("AllMode");
        auswahl()->setAlarmDatenbank(datei);
        const AlarmListeTyp liste = *AlarmdefsZugriff::AlarmListeLesen(datei, QStringLiteral("Werk"));
        QCOMPARE(liste.size(), 3);
        auswahl()->setAlarmListe(liste);
        auswahl()->setAktuellerAlarm(liste.at(1));
        m_w->imgNeuDB = WAHR;
        frmPicture* f = bild();
        // at once: the picture's size, the picked arrow framed where its row says
        QCOMPARE(f->BildImLaden(), imHintergrund);
        QCOMPARE(f->Formbox->BildGroesse(), groesse);
        QCOMPARE(f->Formbox->size(), groesse);
        QCOMPARE(f->PfeilAnzahl(), 4);
        int i = 1;
        while (pfeil(i).Ident != QStringLiteral("7002"))
            QVERIFY(++i < f->PfeilAnzahl());
        QVERIFY(pfeil(i).Visible);
        QCOMPARE(pfeil(i).Rechteck().topLeft(), stelle);
        QCOMPARE(f->shpFocus().topLeft(), stelle);
        QVERIFY(!f->BildIstPlatzhalter());
        // a drag while the pixels may still be on their way
        const QPoint p = mitte(i);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(-20, 7));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(-20, 7));
        QTRY_COMPARE(lesen(QStringLiteral("select X, Y, Form, Symbol from Alarmdefs where Ident = 7002")),
                     QStringLiteral("%1|%2|Werk|Standard\\PfeilBlau.gif").arg(stelle.x() - 20).arg(stelle.y() + 7));
        QCOMPARE(lesen(QStringLiteral("select * from Alarmdefs where Ident <> 7002 order by Ident")), andere);
        QTRY_VERIFY_WITH_TIMEOUT(!f->BildImLaden(), 60000);
        QCOMPARE(f->Formbox->Bild().size(), groesse);
        QVERIFY(!f->BildIstPlatzhalter());
        // on the rendered picture: PIL's ground and stripe, and the arrow's own
        // pixels where sqlite3 now has its row
        const QImage gemalt = f->Formbox->grab(QRect(0, 0, breite, hoehe)).toImage();
        QCOMPARE(gemalt.pixelColor(3, 3), QColor(40, 90, 160));
        QCOMPARE(gemalt.pixelColor(30, hoehe * 5 / 12), QColor(200, 200, 40));
        const QImage symbol(projekt() + QStringLiteral("/Symbole/Standard/PfeilBlau.gif"));
        QVERIFY(!symbol.isNull());
        const QStringList neu = lesen(QStringLiteral("select X, Y from Alarmdefs where Ident = 7002")).split(QLatin1Char('|'));
        const QPoint jetzt(neu.at(0).toInt(), neu.at(1).toInt());
        int gleich = 0, deckend = 0;
        // (the frame's lines run over its first row and column)
        for (int y = 1; y < symbol.height(); ++y)
            for (int x = 1; x < symbol.width(); ++x)
                if (qAlpha(symbol.pixel(x, y)) == 255) {
                    ++deckend;
                    gleich += gemalt.pixelColor(jetzt + QPoint(x, y)) == symbol.pixelColor(x, y);
                }
        QVERIFY(deckend > 20);
        QCOMPARE(gleich, deckend);

        // A picture cleared away while its pixels are on their way stays cleared.
        if (imHintergrund) {
            f->BilderVergessen();
            auswahl()->setAktuellerAlarm(liste.at(0));
            QVERIFY(f->BildImLaden());
            f->Leeren(QStringLiteral("Die Datenbank ist geschlossen."));
            QVERIFY(!f->BildImLaden());
            const QSize leer = f->Formbox->BildGroesse();
            QTest::qWait(1500);
            QCOMPARE(f->Formbox->BildGroesse(), leer);
            QVERIFY(f->BildIstPlatzhalter());
        }
    }

    void allArrowsOfATableTheSqliteClientMadeStandWhereItsRowsSay() {
        // Made apart from the code under test: the sqlite3 program, the columns
        // in another order, the alarm number as text and without an index,
        // 2,500 alarms on one picture, so the arrows go up in several parts.
        starten();
        const QString datei = m_dir->filePath(QStringLiteral("viele.kvs"));
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {datei});
        QVERIFY(sqlite.waitForStarted());
        sqlite.write("CREATE TABLE Alarmdefs (\"Alarmtext\" TEXT, \"Y\" TEXT, \"Form\" TEXT, \"Symbol\" TEXT, \"X\" TEXT, "
                     "\"Ident\" TEXT, \"Type\" INTEGER, \"Acknowledge\" INTEGER, \"VarName\" TEXT, \"BitNo\" INTEGER, "
                     "\"Min\" TEXT, \"Max\" TEXT, \"Priority\" INTEGER, \"Group\" INTEGER, \"Helpindex\" INTEGER, "
                     "\"Sensor1\" INTEGER, \"Sensor2\" INTEGER, \"Fault\" INTEGER);\n"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2600) "
                     "INSERT INTO Alarmdefs (\"Alarmtext\", \"Y\", \"Form\", \"Symbol\", \"X\", \"Ident\") "
                     "SELECT 'Meldung ' || i, CAST((i * 7) % 1400 AS TEXT), CASE WHEN i % 26 = 0 THEN 'Zulauf' ELSE 'Gross' END, "
                     "'Standard\\PfeilBlau.gif', CAST((i * 13) % 1900 AS TEXT), CAST(50000 + i AS TEXT) FROM n;\n");
        sqlite.closeWriteChannel();
        QVERIFY(sqlite.waitForFinished());
        QCOMPARE(sqlite.exitCode(), 0);
        auto lesen = [&datei](const QString& sql) { return Sqlite3Lesen(datei, sql); };
        const int anzahl = lesen(QStringLiteral("select count(*) from Alarmdefs where Form = 'Gross'")).toInt();
        QCOMPARE(anzahl, 2500);
        auswahl()->setAlarmDatenbank(datei);
        modus("AllMode");
        QVERIFY(m_w->AlarmAnzeigen(QStringLiteral("51234")));
        frmAlarmAuswahl* a = auswahl()->Fenster();
        QTRY_VERIFY(auswahl()->AktuellerAlarm() && auswahl()->AktuellerAlarm()->value(AlarmFeld::Ident) == "51234");
        QTRY_VERIFY(!a->WahlUnterwegs());
        frmPicture* f = bild();
        QCOMPARE(f->PfeilAnzahl(), 1 + anzahl);
        // the picked alarm's own arrow stands framed where its row says, before the others
        QCOMPARE(lesen(QStringLiteral("select X || ',' || Y from Alarmdefs where Ident = '51234'")),
                 QStringLiteral("%1,%2").arg(f->shpFocus().x()).arg(f->shpFocus().y()));
        QTRY_VERIFY(!f->PfeileImAufbau());
        QSet<QString> idents;
        for (int i = 1; i < f->PfeilAnzahl(); ++i) {
            QVERIFY(pfeil(i).Visible);
            idents.insert(pfeil(i).Ident);
        }
        QCOMPARE(int(idents.size()), anzahl);
        for (const int i : {1, 777, 1300, anzahl}) {
            const QString r = lesen(QStringLiteral("select X || ',' || Y || ',' || Form from Alarmdefs where Ident = '%1'").arg(pfeil(i).Ident));
            QCOMPARE(r, QStringLiteral("%1,%2,Gross").arg(pfeil(i).Left).arg(pfeil(i).Top));
        }
        // a drag of the picked arrow lands in its own row, and only there
        int eigener = 1;
        while (pfeil(eigener).Ident != QStringLiteral("51234"))
            QVERIFY(++eigener < f->PfeilAnzahl());
        const QPoint vorher = pfeil(eigener).Rechteck().topLeft();
        const QPoint p = vorher + QPoint(3, 3);
        QCOMPARE(f->Formbox->PfeilAn(p), eigener);
        const QString sonst = lesen(QStringLiteral("select group_concat(X || Y, '') from Alarmdefs where Ident <> '51234'"));
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(11, 6));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(11, 6));
        QTRY_COMPARE(lesen(QStringLiteral("select X || ',' || Y from Alarmdefs where Ident = '51234'")),
                     QStringLiteral("%1,%2").arg(vorher.x() + 11).arg(vorher.y() + 6));
        QCOMPARE(lesen(QStringLiteral("select group_concat(X || Y, '') from Alarmdefs where Ident <> '51234'")), sonst);
    }

    void arrowListKeepsItsBookkeepingWithoutAWindow() {
        // Rows made by hand here, not by the demo generator.
        auto satz = [](const QString& ident, const QString& form, const QString& x, const QString& y) {
            AlarmRecord r(AlarmFeld::Anzahl);
            r[AlarmFeld::Ident] = ident;
            r[AlarmFeld::Form] = form;
            r[AlarmFeld::X] = x;
            r[AlarmFeld::Y] = y;
            r[AlarmFeld::Symbol] = QStringLiteral("Pfeil.gif");
            return r;
        };
        int gefragt = 0;
        const Pfeilliste::SymbolQuelle symbole = [&](const QString& s, bool* ok) {
            ++gefragt;
            *ok = s == QLatin1String("Pfeil.gif");
            QPixmap pm(10, 8);
            pm.fill(Qt::red);
            return pm;
        };
        Pfeilliste l{PfeilBild()};
        QCOMPARE(l.Anzahl(), 1);
        QVERIFY(!l.IstPfeil(0));
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(l.Laden(satz(QString::number(10 + i), QStringLiteral("A"), QString::number(10 * i), QStringLiteral("7")),
                             symbole),
                     i);
        QCOMPARE(gefragt, 4);
        QCOMPARE(l.at(2).Rechteck(), QRect(20, 7, 10, 8));
        l.Beschriften(2, l.at(2).Satz);
        QCOMPARE(l.at(2).Tag, QStringLiteral("12#Pfeil.gif"));
        QCOMPARE(l.Finden(satz(QStringLiteral("13"), QStringLiteral("A"), QStringLiteral("30"), QStringLiteral("7"))), 3);
        QCOMPARE(l.Finden(satz(QStringLiteral("13"), QStringLiteral("B"), QStringLiteral("30"), QStringLiteral("7"))), 0);

        // Rows written meanwhile: the command's own arrow takes its row as it is,
        // an arrow in the user's hand keeps the row as read, the others follow.
        l.Eigener = 1;
        l.Geschubst = 3;
        l.Ziehen = 4;
        l.Gerahmt = 2;
        QList<Zeilenstand> staende;
        for (int i = 1; i <= 4; ++i)
            staende << Zeilenstand{QString::number(10 + i),
                                   satz(QString::number(10 + i), i == 2 ? QStringLiteral("A") : QStringLiteral("B"),
                                        QStringLiteral("55"), QStringLiteral("66")),
                                   l.at(i).Satz};
        const auto folgen = l.Abgleichen(staende, Zeilenstand::NachNummer(staende));
        QCOMPARE(folgen.size(), 1);
        QCOMPARE(folgen.at(0).index, 2);
        QVERIFY(!folgen.at(0).entfernen);
        QCOMPARE(l.at(1).Satz.value(AlarmFeld::Form), QStringLiteral("B"));
        QCOMPARE(l.at(3).Satz.value(AlarmFeld::Form), QStringLiteral("A"));
        QCOMPARE(l.at(4).Satz.value(AlarmFeld::Form), QStringLiteral("A"));
        QVERIFY(l.Zuruecksetzen(2, symbole));
        QCOMPARE(l.at(2).Rechteck().topLeft(), QPoint(55, 66));
        QVERIFY(l.at(2).ToolTipText.contains(QStringLiteral("X_55")));

        // Let go, the arrows whose rows went to another picture are to be taken away.
        l.Eigener = l.Geschubst = l.Ziehen = 0;
        staende.clear();
        staende << Zeilenstand{QStringLiteral("13"),
                               satz(QStringLiteral("13"), QStringLiteral("C"), QStringLiteral("1"), QStringLiteral("1")),
                               l.at(3).Satz};
        const auto weg = l.Abgleichen(staende, Zeilenstand::NachNummer(staende));
        QCOMPARE(weg.size(), 1);
        QCOMPARE(weg.at(0).index, 3);
        QVERIFY(weg.at(0).entfernen);
        // The indexes behind a removed arrow move down; one on it is dropped.
        l.Ziehen = 4;
        l.Gerahmt = 3;
        l.Eigener = 2;
        l.Elemente.erase(l.Elemente.begin() + 3);
        l.NachEntfernen(3);
        QCOMPARE(l.Anzahl(), 4);
        QCOMPARE(l.Ziehen, 3);
        QCOMPARE(l.Gerahmt, 0);
        QCOMPARE(l.Eigener, 2);
        QCOMPARE(l.at(3).Ident, QStringLiteral("14"));
        l.Leeren();
        QCOMPARE(l.Anzahl(), 1);
        QCOMPARE(l.Ziehen, 0);
    }

    void escapeCancelsADrag() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(40, 20));
        QCOMPARE(pfeil(1).Left, 1070);
        QTest::keyClick(f, Qt::Key_Escape);
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1030, 700));
        QTest::mouseMove(f->Formbox, p + QPoint(60, 20));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(60, 20));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1030, 700));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Ziehen abgebrochen; nichts in die DB geschrieben."));
        QCOMPARE(m_w->StatusTextLesen(2), QString());
        QVERIFY(!m_w->mVerlauf->Stapel()->canUndo());
    }

    void keysMoveTheFramedArrowAndWriteOnce() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        QTest::mouseClick(f->Formbox, Qt::LeftButton, {}, mitte(1));  // frames it, writes it unchanged
        const int schritte = m_w->mVerlauf->Stapel()->count();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(f, Qt::Key_Right);
        QTest::keyClick(f, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1033, 710));
        QCOMPARE(f->shpFocus().topLeft(), QPoint(1033, 710));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));  // not yet: the keys rest first
        QTRY_COMPARE(zeileLesen(db(), 30).x, QStringLiteral("1033"));
        QCOMPARE(zeileLesen(db(), 30).y, QStringLiteral("710"));
        QCOMPARE(m_w->mVerlauf->Stapel()->count(), schritte + 1);
        // One step back takes the whole move back.
        QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
        QCOMPARE(zeileLesen(db(), 30).y, QStringLiteral("700"));
        // The focus leaving the picture writes at once.
        QTest::keyClick(f, Qt::Key_Left);
        f->AusstehendesSchreiben();
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1029"));
    }

    void zoomKeepsPicturePixels() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        // 100 %: the picture's own scroll arithmetic.
        QCOMPARE(f->Zoom(), 1.0);
        const int hMax = f->BildlaufHorizontal->maximum();
        QTest::keyClick(f, Qt::Key_Plus, Qt::ControlModifier);
        QTest::keyClick(f, Qt::Key_Plus, Qt::ControlModifier);
        QTest::keyClick(f, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(f->Zoom(), 2.0);
        QCOMPARE(m_w->StatusTextLesen(2), QStringLiteral("Zoom 200 %"));
        QCOMPARE(f->Formbox->size(), QSize(4000, 3000));
        QVERIFY(f->BildlaufHorizontal->maximum() > hMax);
        // A drag by 100 screen pixels moves the arrow by 50 and writes 50.
        const QPoint p = f->Formbox->ZuSchirm(pfeil(1).Rechteck()).center();
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(f->Formbox, p + QPoint(100, 0));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, p + QPoint(100, 0));
        QCOMPARE(pfeil(1).Left, 1080);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1080"));
        // The wheel with Ctrl zooms on the pointer: the picture point under it stays.
        const QPoint zeiger = f->Formbox->mapTo(f, f->Formbox->ZuSchirm(pfeil(1).Rechteck()).topLeft());
        QWheelEvent rad(QPointF(zeiger), QPointF(f->mapToGlobal(zeiger)), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f, &rad);
        QCOMPARE(f->Zoom(), 1.5);
        QVERIFY(std::abs(f->Formbox->mapTo(f, f->Formbox->ZuSchirm(pfeil(1).Rechteck()).topLeft()).x() - zeiger.x()) <= 1);
        // The wheel alone scrolls up and down, with Shift left and right.
        const int v = f->Bildlaufvertikal->value(), h = f->BildlaufHorizontal->value();
        QWheelEvent runter(QPointF(zeiger), QPointF(f->mapToGlobal(zeiger)), QPoint(), QPoint(0, -120), Qt::NoButton,
                           Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f, &runter);
        QVERIFY(f->Bildlaufvertikal->value() > v);
        QWheelEvent seitlich(QPointF(zeiger), QPointF(f->mapToGlobal(zeiger)), QPoint(), QPoint(0, -120), Qt::NoButton,
                             Qt::ShiftModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f, &seitlich);
        QVERIFY(f->BildlaufHorizontal->value() > h);
        // Ctrl+0 is 100 % again, with the ranges of the picture itself; the steps end at 25 %.
        QTest::keyClick(f, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(f->Zoom(), 1.0);
        QCOMPARE(f->BildlaufHorizontal->maximum(), hMax);
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(f, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(f->Zoom(), 0.25);
        // At 800 % every row of the symbol is painted, blocks of eight pixels
        // (inside the focus rectangle's line).
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Symbol\" = 'Standard\\Pfeil_rechts.bmp' where \"Ident\" = 30"));
        waehlen(30);
        f->ZoomSetzen(8.0, f->rect().center());
        f->AnsichtZentrieren();
        const QRect schirm = f->Formbox->ZuSchirm(pfeil(1).Rechteck());
        QCOMPARE(schirm.size(), QSize(24 * 8, 16 * 8));
        const QImage gemalt = f->Formbox->grab(schirm.adjusted(1, 1, -1, -1)).toImage();
        int rot = 0;
        for (int y = 0; y < gemalt.height(); ++y)
            for (int x = 0; x < gemalt.width(); ++x)
                rot += gemalt.pixelColor(x, y) == QColor(Qt::red);
        QCOMPARE(rot, gemalt.width() * gemalt.height());
    }

    void doubleClickPicksTheArrowsAlarm() {
        starten();
        modus("AllMode");
        waehlen(32);
        auswahl()->AuswahlShow();
        frmPicture* f = bild();
        int i31 = 1;
        while (pfeil(i31).Tag != QStringLiteral("31#PfeilBlau.gif"))
            QVERIFY(++i31 < f->PfeilAnzahl());
        const QRect r = pfeil(i31).Rechteck();
        // 31 lies under 32, the picked one; its visible part is its left edge.
        QTest::mouseDClick(f->Formbox, Qt::LeftButton, {}, QPoint(r.left() + 0, r.center().y()));
        QTRY_COMPARE(auswahl()->AktuellerAlarm()->value(AlarmFeld::Ident), QStringLiteral("31"));
        frmAlarmAuswahl* grid = auswahl()->Fenster();
        QTRY_COMPARE(grid->TDBAlarme->currentIndex().siblingAtColumn(0).data().toString(), QStringLiteral("31"));
        QCOMPARE(zeileLesen(db(), 31).x, QStringLiteral("1031"));
    }

    void restingNearTheEdgeKeepsScrolling() {
        starten();
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 900, \"Y\" = 300 where \"Ident\" = 30"));
        waehlen(30);
        frmPicture* f = bild();
        const int rechts = f->BildlaufHorizontal->value() + f->BildlaufHorizontal->width();
        const QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, p);
        // Moved near the right edge of the view, then held still.
        const QPoint rand(rechts - 40, p.y());
        QTest::mouseMove(f->Formbox, rand);
        const int h = f->BildlaufHorizontal->value();
        QTRY_VERIFY(f->BildlaufHorizontal->value() >= h + 3 * 8);
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, rand);
    }

    // --- menus ----------------------------------------------------------------------

    void arrowMenuGivesTheCurrentAlarmASymbol() {
        starten();
        waehlen(17);
        frmPicture* f = bild();
        m_s->menuAntworten << 0;
        QTest::mousePress(f->Formbox, Qt::RightButton, {}, mitte(1));
        QTest::mouseRelease(f->Formbox, Qt::RightButton, {}, mitte(1));
        QCOMPARE(m_s->letzteMenuTexte, (QStringList{"Pfeil_rechts.bmp", "PfeilRot.gif", "PfeilGelb.gif"}));
        QCOMPARE(pfeil(1).Tag, QStringLiteral("17#Pfeil_rechts.bmp"));
        QCOMPARE(pfeil(1).ToolTipText, QStringLiteral("ID 17 | AlarmText Motor heiss | Pfeil_rechts.bmp | X_120 | Y_45"));
        QCOMPARE(pfeil(1).Picture.size(), QSize(24, 16));
        QCOMPARE(f->shpFocus(), QRect(120, 45, 29, 21));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Folgende Werte in die DB geschrieben  17 ; Pfeil_rechts.bmp ; 120 ; 45"));
        Zeile z = zeileLesen(db(), 17);
        QCOMPARE(z.symbol, QStringLiteral("Standard\\Pfeil_rechts.bmp"));
        QCOMPARE(z.x, QStringLiteral("120"));
        QCOMPARE(z.y, QStringLiteral("45"));
        QCOMPARE(z.form, QStringLiteral("Uebersicht"));  // the alarm's own picture
        QCOMPARE(m_w->imgNeuIndex, std::int16_t(0));
        QCOMPARE(m_w->imgNeu, WAHR);
        QCOMPARE(m_w->imgNeuDB, WAHR);

        // After a picture was chosen in the Alarm menu, that picture is written.
        m_w->imgNeuDB = FALSCH;
        m_w->bmpNeuIndex = 2;
        m_w->mnuArrow_Click(2);
        z = zeileLesen(db(), 17);
        QCOMPARE(z.form, QStringLiteral("Kessel"));
        QCOMPARE(z.symbol, QStringLiteral("Standard\\PfeilGelb.gif"));
        QCOMPARE(m_w->bmpNeuIndex, std::int16_t(2));
        // Before any pick and any picture choice: the first picture of the list.
        m_w->bmpNeuIndex = 0;
        m_w->mnuArrow_Click(1);
        QCOMPARE(zeileLesen(db(), 17).form, QStringLiteral("Uebersicht"));
    }

    void arrowMenuChangesOnlyTheLastArrow() {
        starten();
        waehlen(30);
        modus("ContMode");
        waehlen(31);
        waehlen(32);
        frmPicture* f = bild();
        QCOMPARE(f->PfeilAnzahl(), 4);
        // The single-arrow mode shows the current alarm's arrow alone at once.
        modus("SingleMode");
        m_w->mnuArrow_Click(1);
        QCOMPARE(f->PfeilAnzahl(), 2);
        QCOMPARE(pfeil(1).Tag, QStringLiteral("32#PfeilRot.gif"));
        QCOMPARE(zeileLesen(db(), 32).symbol, QStringLiteral("Standard\\PfeilRot.gif"));
        QCOMPARE(zeileLesen(db(), 31).symbol, QStringLiteral("Standard\\PfeilBlau.gif"));
    }

    void alarmMenuGivesTheCurrentAlarmAPicture() {
        starten();
        waehlen(17);
        frmPicture* f = bild();
        m_s->menuAntworten << 2;
        QTest::mousePress(f->Formbox, Qt::RightButton, {}, QPoint(2, 2));
        QTest::mouseRelease(f->Formbox, Qt::RightButton, {}, QPoint(2, 2));
        QCOMPARE(m_s->letzteMenuTexte, (QStringList{"Uebersicht", "Zulauf", "Kessel"}));
        QVERIFY(!f->BildIstPlatzhalter());
        QCOMPARE(f->Formbox->size(), QSize(900, 700));
        QCOMPARE(f->Formbox->Bild().toImage().pixelColor(10, 10), QColor(Qt::yellow));
        // The row keeps the symbol its arrow shows, not the menu's first one.
        QCOMPARE(pfeil(1).Tag, QStringLiteral("17#PfeilRot.gif"));
        QCOMPARE(pfeil(1).ToolTipText, QStringLiteral("ID 17 | AlarmText Motor heiss | Kessel.bmp | X_120 | Y_45"));
        const Zeile z = zeileLesen(db(), 17);
        QCOMPARE(z.form, QStringLiteral("Kessel"));
        QCOMPARE(z.symbol, QStringLiteral("Standard\\PfeilRot.gif"));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Folgende Werte in die DB geschrieben  17 ; Kessel.bmp"));
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  Kessel.bmp"));
        QCOMPARE(m_w->bmpNeuIndex, std::int16_t(2));
        QCOMPARE(m_w->imgNeuDB, FALSCH);
        QCOMPARE(m_w->imgNeu, WAHR);
        QVERIFY(f->isVisibleTo(m_w));
        // The larger picture can be scrolled.
        QVERIFY(f->Bildlaufvertikal->isEnabled() || f->height() - 17 >= 700);

        // A picture that is not there: placeholder, status and title all the same.
        auswahl()->setAlarmBilderListe({"Uebersicht.bmp", "Zulauf.bmp", "Kessel.bmp", "Fehlt.bmp"});
        m_w->mnuAlarm_Click(3);
        QVERIFY(f->BildIstPlatzhalter());
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  Fehlt.bmp"));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Folgende Werte in die DB geschrieben  17 ; Fehlt.bmp"));
        QCOMPARE(zeileLesen(db(), 17).form, QStringLiteral("Fehlt"));
    }

    void menusDoNothingOutsideTheSingleArrowMode_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("ContMode") << QStringLiteral("ContMode");
        QTest::newRow("AllMode") << QStringLiteral("AllMode");
    }
    void menusDoNothingOutsideTheSingleArrowMode() {
        QFETCH(QString, key);
        starten();
        waehlen(17);
        modus(key.toLatin1().constData());
        frmPicture* f = bild();
        m_w->StatusText(1, QStringLiteral("vorher"));
        m_w->imgNeuIndex = 1;
        m_w->bmpNeuIndex = 1;
        const QString tag = pfeil(1).Tag;
        m_s->menuAntworten << 0 << 0;
        QTest::mousePress(f->Formbox, Qt::RightButton, {}, mitte(1));
        QTest::mouseRelease(f->Formbox, Qt::RightButton, {}, mitte(1));
        QTest::mousePress(f->Formbox, Qt::RightButton, {}, QPoint(2, 100));
        QTest::mouseRelease(f->Formbox, Qt::RightButton, {}, QPoint(2, 100));
        QCOMPARE(m_s->menuAntworten.size(), 2);  // no menu opened
        m_w->mnuArrow_Click(0);
        m_w->mnuAlarm_Click(2);
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("vorher"));
        QCOMPARE(m_w->imgNeuIndex, std::int16_t(1));
        QCOMPARE(m_w->bmpNeuIndex, std::int16_t(1));
        QCOMPARE(m_w->imgNeuDB, WAHR);
        QCOMPARE(pfeil(1).Tag, tag);
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  Uebersicht"));
        const Zeile z = zeileLesen(db(), 17);
        QCOMPARE(z.symbol, QStringLiteral("Standard\\PfeilRot.gif"));
        QCOMPARE(z.form, QStringLiteral("Uebersicht"));
    }

    void menusWithoutAlarmOrEntryWriteNothing() {
        starten();
        frmPicture* f = m_w->Bildfenster();
        // No alarm picked yet.
        m_w->mnuArrow_Click(0);
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Status"));
        QCOMPARE(m_w->imgNeu, FALSCH);
        m_w->mnuAlarm_Click(2);
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Status"));
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  Kessel.bmp"));
        QCOMPARE(f->PfeilAnzahl(), 1);
        QVERIFY(f->imgPfeil(0).Tag.isEmpty());
        // Items left over from an earlier, longer list.
        waehlen(17);
        auswahl()->setSymbolListe({"PfeilGelb.gif"});
        auswahl()->setAlarmBilderListe({"Zulauf.bmp"});
        m_w->StatusText(1, QStringLiteral("vorher"));
        m_w->mnuArrow_Click(2);
        m_w->mnuAlarm_Click(2);
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("vorher"));
        QCOMPARE(m_w->bmpNeuIndex, std::int16_t(2));  // from the choice above
        QCOMPARE(m_w->imgNeuIndex, std::int16_t(0));
        QCOMPARE(zeileLesen(db(), 17).symbol, QStringLiteral("Standard\\PfeilRot.gif"));
        // No picture entry at bmpNeuIndex while the picture is a chosen one.
        m_w->imgNeuDB = FALSCH;
        m_w->mnuArrow_Click(0);
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("vorher"));
        QCOMPARE(zeileLesen(db(), 17).form, QStringLiteral("Uebersicht"));
        // Only the template left (all-arrows mode of an empty list): the template is never written.
        modus("AllMode");
        auswahl()->setAlarmListe({});
        auswahl()->setAktuellerAlarm(*auswahl()->AktuellerAlarm());
        // (the flags alone: the tool bar would show the current alarm's arrow at once)
        gSingleMode = WAHR;
        gAllMode = FALSCH;
        QCOMPARE(f->PfeilAnzahl(), 1);
        m_w->imgNeuDB = WAHR;
        m_w->mnuArrow_Click(0);
        m_w->mnuAlarm_Click(0);
        QCOMPARE(zeileLesen(db(), 17).x, QStringLiteral("120"));
        QCOMPARE(zeileLesen(db(), 17).form, QStringLiteral("Uebersicht"));
        QVERIFY(f->imgPfeil(0).Tag.isEmpty());
    }

    // A nudge still waiting for its rest is written before Ctrl+Z, so undo takes
    // back the nudge itself; panel 1 says what was taken back.
    void undoRightAfterANudgeTakesTheNudgeBack() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, mitte(1));
        QTest::mouseMove(f->Formbox, mitte(1) + QPoint(5, 0));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, mitte(1) + QPoint(5, 0));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1035"));
        QTest::keyClick(f, Qt::Key_Right);
        QTest::keyClick(f, Qt::Key_Right);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1035"));
        QTest::keyClick(m_w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1035"));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), QPoint(1035, 700));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Rückgängig: Pfeil von Alarm 30 verschieben"));
        QVERIFY(m_s->wahlTexte.isEmpty());
        QCOMPARE(m_w->mVerlauf->Stapel()->index(), 1);
        QTest::keyClick(m_w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1037"));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Wiederholt: Pfeil von Alarm 30 verschieben"));
        // a nudge pending while the mode changes is written first too
        QTest::keyClick(f, Qt::Key_Left);
        modus("AllMode");
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1036"));
    }

    // Accumulating arrows: an alarm already on the picture gets no second arrow on top of its first.
    void accumulatingModeShowsEachAlarmOnce() {
        starten();
        modus("ContMode");
        waehlen(30);
        waehlen(31);
        waehlen(30);
        frmPicture* f = bild();
        QCOMPARE(f->PfeilAnzahl(), 3);
        QCOMPARE(f->shpFocus().topLeft(), pfeil(1).Rechteck().topLeft());
        QTest::mouseDClick(f->Formbox, Qt::LeftButton, {}, mitte(2));
        QCOMPARE(f->PfeilAnzahl(), 3);
        waehlen(32);
        QCOMPARE(f->PfeilAnzahl(), 4);
    }

    // An alarm without a picture gets the picture chosen in the picture menu, with its arrow.
    void pictureMenuGivesAnAlarmWithoutPictureItsPicture() {
        starten();
        waehlen(31);
        AlarmRecord frei = *auswahl()->AktuellerAlarm();
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Form\" = null where \"Ident\" = 31"));
        frei[AlarmFeld::Form] = QString();
        auswahl()->setAktuellerAlarm(frei);
        frmPicture* f = bild();
        m_s->menuAntworten << 2;
        QTest::mousePress(f->Formbox, Qt::RightButton, {}, QPoint(2, 2));
        QTest::mouseRelease(f->Formbox, Qt::RightButton, {}, QPoint(2, 2));
        QCOMPARE(zeileLesen(db(), 31).form, QStringLiteral("Kessel"));
        QCOMPARE(zeileLesen(db(), 31).x, QStringLiteral("1031"));
        QCOMPARE(f->PfeilAnzahl(), 2);
        QCOMPARE(pfeil(1).Ident, QStringLiteral("31"));
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  Kessel.bmp"));
    }

    // --- windows that stay, the view ----------------------------------------------

    // A press that activates the picture window drags by the pointer's movement
    // alone; the layout rules place the window only after the release.
    void aPressThatActivatesTheWindowDragsByThePointer_data() {
        QTest::addColumn<double>("zoom");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("200 %") << 2.0;
    }
    void aPressThatActivatesTheWindowDragsByThePointer() {
        QFETCH(double, zoom);
        starten();
        waehlen(30);
        frmPicture* f = bild();
        f->ZoomSetzen(zoom, f->rect().center());
        f->AnsichtZentrieren();
        auto* sub = qobject_cast<QMdiSubWindow*>(f->parentWidget());
        // The main window grew since the picture window was placed; the selection window is active.
        m_w->resize(m_w->width() + 240, m_w->height() + 180);
        auswahl()->AuswahlShow();
        QVERIFY(m_w->mdiArea->activeSubWindow() != sub);
        const QRect platz = sub->geometry();
        QVERIFY(platz != f->AktivierungsPlatz());
        const int h = f->BildlaufHorizontal->value(), v = f->Bildlaufvertikal->value();
        const QPoint start = pfeil(1).Rechteck().topLeft();
        const QPoint griff = f->Formbox->ZuSchirm(pfeil(1).Rechteck()).topLeft() + QPoint(6, 11);
        // Through the main window's window, as the window system delivers a press.
        QWindow* fw = m_w->windowHandle();
        auto imFenster = [&](QPoint p) { return f->Formbox->mapTo(m_w, p); };
        QTest::mousePress(fw, Qt::LeftButton, {}, imFenster(griff));
        QCOMPARE(m_w->mdiArea->activeSubWindow(), sub);
        QCOMPARE(sub->geometry(), platz);
        QCOMPARE(f->BildlaufHorizontal->value(), h);
        QCOMPARE(f->Bildlaufvertikal->value(), v);
        QCOMPARE(f->mGriffX, float(6 / zoom));
        const QPoint schritt = QPoint(2, 1) * zoom;
        QTest::mouseMove(fw, imFenster(griff + schritt));
        QCOMPARE(pfeil(1).Rechteck().topLeft(), start + QPoint(2, 1));
        QTest::mouseRelease(fw, Qt::LeftButton, {}, imFenster(griff + schritt));
        QTRY_VERIFY(!f->Steuerung()->Schreibt());
        QCOMPARE(zeileLesen(db(), 30).x, QString::number(start.x() + 2));
        QCOMPARE(zeileLesen(db(), 30).y, QString::number(start.y() + 1));
        // Released, the window takes the place the rules give.
        QTRY_COMPARE(sub->geometry(), f->AktivierungsPlatz());
        // A press on the frame of an inactive window places it at once, as before.
        auswahl()->AuswahlShow();
        m_w->resize(m_w->width() - 100, m_w->height() - 60);
        QTest::mousePress(fw, Qt::LeftButton, {}, sub->mapTo(m_w, QPoint(sub->width() / 2, 8)));
        QCOMPARE(sub->geometry(), f->AktivierungsPlatz());
        QTest::mouseRelease(fw, Qt::LeftButton, {}, sub->mapTo(m_w, QPoint(sub->width() / 2, 8)));
    }

    void windowsStayWhereTheUserLeftThemWhenKept() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        auto* bildRahmen = qobject_cast<QMdiSubWindow*>(f->parentWidget());
        auswahl()->AuswahlShow();
        auto* auswahlRahmen = qobject_cast<QMdiSubWindow*>(auswahl()->Fenster()->parentWidget());
        auto aktivieren = [this](QMdiSubWindow* s) { m_w->mdiArea->setActiveSubWindow(s); };
        auto hin_und_her = [&] {
            aktivieren(auswahlRahmen);
            aktivieren(bildRahmen);
            aktivieren(auswahlRahmen);
        };
        Fenstermenue* menue = m_w->mFenster;
        QCOMPARE(menue->mnuFenster->title(), QStringLiteral("&Fenster"));
        QVERIFY(!menue->mnuFensterlageBeibehalten->isChecked());
        // By default each activation puts a maximized window back.
        aktivieren(bildRahmen);
        bildRahmen->showMaximized();
        hin_und_her();
        aktivieren(bildRahmen);
        QVERIFY(!bildRahmen->isMaximized());
        QCOMPARE(bildRahmen->geometry(), f->AktivierungsPlatz());
        // Kept: maximized stays maximized, a size the user dragged stays that size.
        menue->mnuFensterlageBeibehalten->trigger();
        QVERIFY(Fensterlage::Beibehalten());
        bildRahmen->showMaximized();
        hin_und_her();
        aktivieren(bildRahmen);
        QVERIFY(bildRahmen->isMaximized());
        aktivieren(auswahlRahmen);
        // dragged at its bottom-right corner, through the window as the window system does
        const QPoint ecke = auswahlRahmen->mapTo(m_w, QPoint(auswahlRahmen->width() - 2, auswahlRahmen->height() - 2));
        const QSize vorher = auswahlRahmen->size();
        QWindow* fw = m_w->windowHandle();
        QTest::mousePress(fw, Qt::LeftButton, {}, ecke);
        QTest::mouseMove(fw, ecke + QPoint(-30, 20));
        QTest::mouseMove(fw, ecke + QPoint(-60, 40));
        QTest::mouseRelease(fw, Qt::LeftButton, {}, ecke + QPoint(-60, 40));
        const QRect gezogen = auswahlRahmen->geometry();
        QCOMPARE(gezogen.size(), vorher + QSize(-60, 40));
        aktivieren(bildRahmen);
        aktivieren(auswahlRahmen);
        QCOMPARE(auswahlRahmen->geometry(), gezogen);
        // ... also after a restart.
        delete m_w;
        delete m_s;
        starten();
        QVERIFY(m_w->mFenster->mnuFensterlageBeibehalten->isChecked());
        auswahl()->AuswahlShow();
        auswahlRahmen = qobject_cast<QMdiSubWindow*>(auswahl()->Fenster()->parentWidget());
        QCOMPARE(auswahlRahmen->geometry(), gezogen);
        waehlen(30);
        f = bild();
        bildRahmen = qobject_cast<QMdiSubWindow*>(f->parentWidget());
        QTRY_VERIFY(bildRahmen->isMaximized());
        // "Fenster anordnen" applies the rules once; the windows follow them until moved again.
        m_w->mFenster->mnuFensterAnordnen->trigger();
        QVERIFY(!bildRahmen->isMaximized());
        QCOMPARE(bildRahmen->geometry(), f->AktivierungsPlatz());
        QCOMPARE(auswahlRahmen->geometry(), AuswahlLayout::AktivierenPixel(m_w->AussenGroesseTwips()));
        m_w->resize(m_w->width() + 90, m_w->height() + 60);
        aktivieren(auswahlRahmen);
        aktivieren(bildRahmen);
        QCOMPARE(bildRahmen->geometry(), f->AktivierungsPlatz());
    }

    void zoomToFitShowsTheWholePicture_data() {
        QTest::addColumn<QSize>("groesse");
        QTest::addColumn<bool>("vonHand");
        QTest::newRow("Gross, 2000 x 1500") << QSize(2000, 1500) << false;
        // pictures made byte by byte, not by the demo generator nor by Qt
        QTest::newRow("breit, 3001 x 77") << QSize(3001, 77) << true;
        QTest::newRow("hoch, 97 x 2413") << QSize(97, 2413) << true;
        QTest::newRow("klein, 50 x 40") << QSize(50, 40) << true;
    }
    void zoomToFitShowsTheWholePicture() {
        QFETCH(QSize, groesse);
        QFETCH(bool, vonHand);
        if (vonHand)
            bmpVonHand(projekt() + QStringLiteral("/Bilder/Gross/Gross.bmp"), groesse.width(), groesse.height(),
                       qRgb(10, 200, 30));
        starten();
        waehlen(30);
        frmPicture* f = bild();
        QCOMPARE(f->Formbox->Bild().size(), groesse);
        QTest::keyClick(f, Qt::Key_9, Qt::ControlModifier);
        const QSize sicht(f->width() - f->Bildlaufvertikal->width(), f->height() - f->BildlaufHorizontal->height());
        const QSize box = f->Formbox->size();
        const double erwartet = std::clamp(std::min(double(sicht.width()) / groesse.width(),
                                                    double(sicht.height()) / groesse.height()),
                                           BildlaufRechnung::EinpassenMin, BildlaufRechnung::MaxZoom);
        QVERIFY2(std::abs(f->Zoom() - erwartet) < 0.01, qPrintable(QString::number(f->Zoom())));
        if (erwartet < BildlaufRechnung::MaxZoom) {
            // the whole picture in view, touching one side
            QVERIFY(box.width() <= sicht.width() && box.height() <= sicht.height());
            QVERIFY(box.width() >= sicht.width() - 1 || box.height() >= sicht.height() - 1);
            QVERIFY(!f->BildlaufHorizontal->isEnabled() && !f->Bildlaufvertikal->isEnabled());
            QCOMPARE(f->Formbox->pos(), QPoint(0, 0));
        }
        // the tool bar's button does the same from 100 %
        QTest::keyClick(f, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(f->Zoom(), 1.0);
        QVERIFY(m_w->tbToolBar->actions().contains(m_w->mFenster->mnuGanzesBild));
        QTest::mouseClick(m_w->tbToolBar->widgetForAction(m_w->mFenster->mnuGanzesBild), Qt::LeftButton);
        QVERIFY(std::abs(f->Zoom() - erwartet) < 0.01);
    }

    void ctrlWheelKeepsThePointUnderThePointerAtEveryZoom() {
        bmpVonHand(projekt() + QStringLiteral("/Bilder/Gross/Gross.bmp"), 4000, 3000, qRgb(200, 200, 10));
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"X\" = 2000, \"Y\" = 1500 where \"Ident\" = 30"));
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const QPoint zeiger = f->rect().center() + QPoint(-37, 23);
        auto drehen = [&](int winkel) {
            QWheelEvent rad(QPointF(zeiger), QPointF(f->mapToGlobal(zeiger)), QPoint(), QPoint(0, winkel), Qt::NoButton,
                            Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(f, &rad);
        };
        auto punkt = [&] {
            return QPointF(zeiger.x() + f->BildlaufHorizontal->value(), zeiger.y() + f->Bildlaufvertikal->value()) / f->Zoom();
        };
        int stufen = 0, gehalten = 0;
        for (int richtung : {-1, 1, -1}) {
            for (int i = 0; i < 14; ++i) {
                const QPointF vorher = punkt();
                const double alt = f->Zoom();
                // a fine wheel: four parts of one notch make one step
                for (int teil = 0; teil < 4; ++teil)
                    drehen(richtung * 30);
                if (f->Zoom() == alt)
                    break;
                ++stufen;
                // Wherever the scroll range lets it, the point stays within half a screen pixel.
                const QPointF nachher = punkt();
                const QPointF soll = vorher * f->Zoom() - QPointF(zeiger);
                if (soll.x() >= 0 && soll.x() <= f->BildlaufHorizontal->maximum()) {
                    QVERIFY2(std::abs(nachher.x() - vorher.x()) * f->Zoom() <= 0.51,
                             qPrintable(QStringLiteral("%1 %: %2 -> %3").arg(f->Zoom() * 100).arg(vorher.x()).arg(nachher.x())));
                    ++gehalten;
                }
                if (soll.y() >= 0 && soll.y() <= f->Bildlaufvertikal->maximum())
                    QVERIFY(std::abs(nachher.y() - vorher.y()) * f->Zoom() <= 0.51);
            }
        }
        QVERIFY(stufen >= 20);
        QVERIFY(gehalten >= 15);
    }

    void panWithTheMiddleButtonOrSpace() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const int h = f->BildlaufHorizontal->value(), v = f->Bildlaufvertikal->value();
        const QPoint start = pfeil(1).Rechteck().topLeft();
        // The middle button drags the picture, also when pressed on an arrow.
        const QPoint p = mitte(1);
        QTest::mousePress(f->Formbox, Qt::MiddleButton, {}, p);
        bewegen(f->Formbox, p + QPoint(-30, -20), Qt::MiddleButton);
        QTest::mouseRelease(f->Formbox, Qt::MiddleButton, {}, p + QPoint(-30, -20));
        QCOMPARE(f->BildlaufHorizontal->value(), h + 30);
        QCOMPARE(f->Bildlaufvertikal->value(), v + 20);
        // Space and the left button do the same, and leave the arrow where it is.
        QTest::keyPress(f, Qt::Key_Space);
        const QPoint q = f->Formbox->mapFrom(f, f->rect().center());
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, q);
        QTest::mouseMove(f->Formbox, q + QPoint(25, 15));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, q + QPoint(25, 15));
        QTest::keyRelease(f, Qt::Key_Space);
        QCOMPARE(f->BildlaufHorizontal->value(), h + 30 - 25);
        QCOMPARE(f->Bildlaufvertikal->value(), v + 20 - 15);
        QCOMPARE(pfeil(1).Rechteck().topLeft(), start);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
        // Without Space the left button drags the arrow again.
        const QPoint a = f->Formbox->ZuSchirm(pfeil(1).Rechteck()).center();
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, a);
        QTest::mouseMove(f->Formbox, a + QPoint(4, 0));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, a + QPoint(4, 0));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1034"));
    }

    void pickedArrowOnTopAndNumbersBeside() {
        sqlAusfuehren(db(), QStringLiteral("update Alarmdefs set \"Symbol\" = 'Standard\\Pfeil_rechts.bmp' where \"Ident\" = 30"));
        starten();
        modus("AllMode");
        waehlen(30);
        frmPicture* f = bild();
        int i30 = 1;
        while (pfeil(i30).Ident != QStringLiteral("30"))
            QVERIFY(++i30 < f->PfeilAnzahl());
        QVERIFY(i30 < f->PfeilAnzahl() - 1);  // loaded before 31 and 32, drawn after them
        // 30 (red, 24 x 16 at 1030) is drawn over 31 and 32 and takes the pointer there.
        const QPoint innen(1040, 705);
        QCOMPARE(f->Formbox->PfeilAn(innen), i30);
        QCOMPARE(f->Formbox->grab(QRect(innen, QSize(1, 1))).toImage().pixelColor(0, 0), QColor(Qt::red));
        // The numbers beside the arrows, on request, kept for the next start.
        QVERIFY(!m_w->mFenster->mnuAlarmnummern->isChecked());
        const QRect neben(pfeil(i30).Rechteck().right() + 3, 700, 60, 14);
        const QImage ohne = f->Formbox->grab(QRect(1100, 760, 60, 14)).toImage();
        m_w->mFenster->mnuAlarmnummern->trigger();
        QVERIFY(f->NummernSichtbar());
        QVERIFY(frmPicture::NummernGemerkt());
        // 32 is the last of them: its number stands right of it on the picture.
        const QRect r32 = pfeil(f->PfeilAnzahl() - 1).Rechteck();
        const QImage mit = f->Formbox->grab(QRect(r32.right() + 3, r32.top(), 30, 12)).toImage();
        int dunkel = 0;
        for (int y = 0; y < mit.height(); ++y)
            for (int x = 0; x < mit.width(); ++x)
                dunkel += qGray(mit.pixel(x, y)) < 80;
        QVERIFY(dunkel > 5);
        Q_UNUSED(neben);
        Q_UNUSED(ohne);
        m_w->mFenster->mnuAlarmnummern->trigger();
        QVERIFY(!f->NummernSichtbar());
    }

    // Many arrows go up in parts: the picked alarm's arrow stands framed at
    // once, the others follow over the next turns of the event loop. Rows
    // written meanwhile reach the arrows still waiting, an arrow taken away
    // leaves none of them out, and a newer pick stops the older build.
    void allArrowsGoUpInPartsPickedOneFirst() {
        const int teil = std::exchange(frmPicture::AufbauTeil, 3);
        const auto zurueck = qScopeGuard([teil] { frmPicture::AufbauTeil = teil; });
        starten();
        modus("AllMode");
        waehlen(17);
        frmPicture* f = bild();
        const AlarmListeTyp liste = *auswahl()->AlarmListe();
        QVERIFY(liste.size() > 9);
        QCOMPARE(f->PfeilAnzahl(), 1 + liste.size());
        QCOMPARE(m_w->StatusTextLesen(1), PfeilText::Anzahl(int(liste.size())));
        auto stehend = [f] {
            int n = 0;
            for (int i = 1; i < f->PfeilAnzahl(); ++i)
                n += f->imgPfeil(i).Visible;
            return n;
        };
        int i17 = 1;
        while (pfeil(i17).Ident != QStringLiteral("17"))
            QVERIFY(++i17 < f->PfeilAnzahl());
        QVERIFY(pfeil(i17).Visible);
        QCOMPARE(f->shpFocus().topLeft(), QPoint(120, 45));
        QVERIFY(f->PfeileImAufbau());
        QVERIFY(stehend() <= 4);
        // the last arrow still waits: another client moves its row; the first one's row goes to another picture
        const int letzter = f->PfeilAnzahl() - 1;
        QVERIFY(!pfeil(letzter).Visible && letzter != i17);
        const int erster = i17 == 1 ? 2 : 1;
        QVERIFY(pfeil(erster).Visible);
        const QString weg = pfeil(erster).Ident;
        Zeilenstand verschoben{pfeil(letzter).Ident, pfeil(letzter).Satz, {}};
        verschoben.zeile[AlarmFeld::X] = QStringLiteral("777");
        Zeilenstand anderesBild{weg, pfeil(erster).Satz, {}};
        anderesBild.zeile[AlarmFeld::Form] = QStringLiteral("Zulauf");
        f->ZeilenAktualisieren({verschoben, anderesBild});
        QCOMPARE(f->PfeilAnzahl(), int(liste.size()));
        QTRY_VERIFY(!f->PfeileImAufbau());
        QCOMPARE(stehend(), f->PfeilAnzahl() - 1);
        QCOMPARE(pfeil(f->PfeilAnzahl() - 1).Left, 777);
        for (int i = 1; i < f->PfeilAnzahl(); ++i) {
            QVERIFY(pfeil(i).Ident != weg);
            const AlarmRecord& satz = pfeil(i).Satz;
            QCOMPARE(pfeil(i).Tag, PfeilText::Tag(pfeil(i).Ident, satz.value(AlarmFeld::Symbol)));
            QCOMPARE(pfeil(i).Top, PfeilText::Position(satz.value(AlarmFeld::Y)));
        }
        // a newer pick while the older build goes on: only the newer picture's arrows
        waehlen(17);
        QVERIFY(f->PfeileImAufbau());
        waehlen(30);
        QTest::qWait(50);
        QCOMPARE(f->PfeilAnzahl(), 4);
        for (int i = 1; i < 4; ++i) {
            QVERIFY(pfeil(i).Visible);
            QCOMPARE(pfeil(i).Satz.value(AlarmFeld::Form), QStringLiteral("Gross"));
        }
        QVERIFY(!f->PfeileImAufbau());
    }

    // Showing an alarm waits a frame at most: while the worker is busy the
    // window goes on, says the alarm is being looked for, and picks it when
    // its row has been found.
    void showingAnAlarmDoesNotWaitForTheWorker() {
        starten();
        QVERIFY(m_w->AlarmAnzeigen(QStringLiteral("17")));
        frmAlarmAuswahl* a = auswahl()->Fenster();
        QTRY_VERIFY(auswahl()->AktuellerAlarm() && auswahl()->AktuellerAlarm()->value(AlarmFeld::Ident) == "17");
        QTRY_VERIFY(!a->ZeigenUnterwegs() && !a->WahlUnterwegs());
        auto los = std::make_shared<std::atomic<bool>>(false);
        const auto freigeben = qScopeGuard([los] { *los = true; });
        a->dbAlarme->Dienst()->Rechnen([los] {
            while (!*los)
                QThread::msleep(5);
            return QVariant();
        });
        QVERIFY(m_w->AlarmAnzeigen(QStringLiteral("30")));
        QCOMPARE(m_w->StatusTextLesen(1), QStringLiteral("Alarm 30 wird gesucht …"));
        QCOMPARE(auswahl()->AktuellerAlarm()->value(AlarmFeld::Ident), QStringLiteral("17"));
        *los = true;
        QTRY_COMPARE(auswahl()->AktuellerAlarm()->value(AlarmFeld::Ident), QStringLiteral("30"));
        QTRY_VERIFY(!a->WahlUnterwegs());
        QCOMPARE(a->TDBAlarme->currentIndex().siblingAtColumn(AlarmFeld::Ident).data().toString(), QStringLiteral("30"));
    }

    void changingTheModeRedrawsAtOnce() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        QCOMPARE(f->PfeilAnzahl(), 2);
        modus("AllMode");
        QCOMPARE(f->PfeilAnzahl(), 1 + auswahl()->AlarmListe()->size());
        QCOMPARE(m_w->StatusTextLesen(1), PfeilText::Anzahl(int(auswahl()->AlarmListe()->size())));
        // The accumulating mode goes on from what is shown.
        modus("ContMode");
        QCOMPARE(f->PfeilAnzahl(), 1 + auswahl()->AlarmListe()->size());
        modus("SingleMode");
        QCOMPARE(f->PfeilAnzahl(), 2);
        QCOMPARE(pfeil(1).Ident, QStringLiteral("30"));
        QCOMPARE(f->shpFocus().topLeft(), QPoint(1030, 700));
    }

    void toolWindowArithmetic_data() {
        QTest::addColumn<QRect>("rahmen");
        QTest::addColumn<QRect>("frei");
        QTest::addColumn<QRect>("erwartet");
        QTest::newRow("frei schon") << QRect(900, 100, 300, 200) << QRect(100, 600, 30, 30) << QRect(900, 100, 300, 200);
        // the shortest way out, 12 pixels clear of the arrow
        QTest::newRow("nach links") << QRect(400, 500, 300, 200) << QRect(650, 560, 30, 30) << QRect(338, 500, 300, 200);
        QTest::newRow("nach unten") << QRect(900, 500, 300, 200) << QRect(1000, 560, 30, 30) << QRect(900, 602, 300, 200);
        // not over the screen's edge
        QTest::newRow("am Rand") << QRect(0, 300, 300, 200) << QRect(20, 350, 30, 30) << QRect(62, 300, 300, 200);
    }
    void toolWindowArithmetic() {
        QFETCH(QRect, rahmen);
        QFETCH(QRect, frei);
        QFETCH(QRect, erwartet);
        const QRect schirm(0, 0, 1280, 1024);
        QCOMPARE(Werkzeugfenster::Ausweichen(rahmen, frei, schirm), erwartet);
        QVERIFY(schirm.contains(Werkzeugfenster::Ausweichen(rahmen, frei, schirm)));
        // fully on the screen, shrunk when larger than it
        QCOMPARE(Werkzeugfenster::AufSchirm(QRect(1200, 900, 300, 200), schirm), QRect(980, 824, 300, 200));
        QCOMPARE(Werkzeugfenster::AufSchirm(QRect(-50, -20, 2000, 300), schirm), QRect(0, 0, 1280, 300));
    }

    void toolWindowsStayInFrontOnScreenAndOutOfTheArrowsWay() {
        starten();
        waehlen(30);
        frmPicture* f = bild();
        const QRect schirm = m_w->screen()->availableGeometry();
        // The main window reaches over the screen's bottom-right corner.
        m_w->move(schirm.right() - 500, schirm.bottom() - 400);
        m_w->VerlaufZeigen();
        auto* verlauf = m_w->findChild<QWidget*>(QStringLiteral("Verlauf"));
        QVERIFY(verlauf && verlauf->isVisible());
        QVERIFY(verlauf->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(verlauf->parentWidget(), static_cast<QWidget*>(m_w));
        QVERIFY2(schirm.contains(verlauf->frameGeometry()), qPrintable(QStringLiteral("%1 %2 %3 %4")
            .arg(verlauf->frameGeometry().x()).arg(verlauf->frameGeometry().y())
            .arg(verlauf->frameGeometry().width()).arg(verlauf->frameGeometry().height())));
        m_w->PruefberichtZeigen();
        auto* bericht = m_w->findChild<frmPruefbericht*>();
        QVERIFY(bericht && bericht->windowFlags().testFlag(Qt::Tool));
        QVERIFY(schirm.contains(bericht->frameGeometry()));
        bericht->close();
        // Ctrl+Z and Ctrl+Y work while the history has the focus.
        m_w->move(schirm.topLeft());
        const QPoint a = f->Formbox->ZuSchirm(pfeil(1).Rechteck()).center();
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, a);
        QTest::mouseMove(f->Formbox, a + QPoint(7, 0));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, a + QPoint(7, 0));
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1037"));
        verlauf->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(verlauf));
        QTest::keyClick(verlauf, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1030"));
        QTest::keyClick(verlauf, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(zeileLesen(db(), 30).x, QStringLiteral("1037"));
        // Laid over the spot where the next picked arrow shows, it steps aside.
        waehlen(31);
        const QRect pfeilAufSchirm = f->FokusGlobal();
        QVERIFY(!pfeilAufSchirm.isEmpty());
        verlauf->move(pfeilAufSchirm.center() - QPoint(100, 100));
        QVERIFY(verlauf->frameGeometry().intersects(pfeilAufSchirm));
        waehlen(32);
        QVERIFY(!verlauf->frameGeometry().intersects(f->FokusGlobal()));
        QVERIFY(schirm.contains(verlauf->frameGeometry()));
    }
};

QTEST_MAIN(TstBildfenster)
#include "tst_bildfenster.moc"
