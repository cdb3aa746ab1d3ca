#include "DemoBild.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <random>

namespace {

struct Art {
    const char* bezeichnung;
    const char* kuerzel;
    int gewicht;  // how often the kind turns up in a plant section
    bool gross;   // basins and tanks take more room
};
const std::array<Art, 14> ARTEN = {{{"Pumpe", "P", 4, false},
                                    {"Gebläse", "G", 1, false},
                                    {"Rührwerk", "RW", 2, false},
                                    {"Schieber", "S", 2, false},
                                    {"Ventil", "V", 3, false},
                                    {"Behälter", "B", 3, true},
                                    {"Verdichter", "K", 1, false},
                                    {"Förderschnecke", "F", 1, false},
                                    {"Dosierpumpe", "DP", 1, false},
                                    {"Räumerbrücke", "RB", 1, false},
                                    {"Überlaufbecken", "UB", 1, true},
                                    {"Faulbehälter", "FB", 1, true},
                                    {"Messumformer", "LT", 3, false},
                                    {"Schütz", "KS", 1, false}}};

QSize VolleGroesse(int nr) {
    // the first picture has the classic screen size, others are larger plant overviews
    static const std::array<QSize, 4> groessen = {QSize(1280, 914), QSize(1600, 1100), QSize(1920, 1300),
                                                  QSize(2400, 1500)};
    return groessen[static_cast<std::size_t>(nr) % groessen.size()];
}

// The equipment stands in a grid of cells; the bottom strip keeps the title block.
struct Raster {
    int spalten, zeilen;
    double breite, hoehe;
    static constexpr double Rand = 40, Fuss = 130;
};
Raster RasterFuer(QSize g) {
    Raster r;
    r.spalten = std::max(3, static_cast<int>((g.width() - 2 * Raster::Rand) / 230));
    r.zeilen = std::max(2, static_cast<int>((g.height() - Raster::Rand - Raster::Fuss) / 190));
    r.breite = (g.width() - 2 * Raster::Rand) / r.spalten;
    r.hoehe = (g.height() - Raster::Rand - Raster::Fuss) / r.zeilen;
    return r;
}
QRectF Zelle(const Raster& r, int i) {
    return QRectF(Raster::Rand + (i % r.spalten) * r.breite, Raster::Rand + (i / r.spalten) * r.hoehe, r.breite,
                  r.hoehe);
}

// The symbol's extent around its centre.
QSizeF SymbolGroesse(int art) {
    if (ARTEN[static_cast<std::size_t>(art)].gross)
        return {84, 104};
    if (art == 7 || art == 9)  // conveyor and clearing bridge are long
        return {96, 30};
    return {46, 46};
}

void Symbol(QPainter& p, int art, const QPointF& m, std::mt19937& rng) {
    const QSizeF g = SymbolGroesse(art);
    const QRectF r(m.x() - g.width() / 2, m.y() - g.height() / 2, g.width(), g.height());
    const double rad = g.width() / 2;
    const QColor linie(35, 35, 35);
    p.setPen(QPen(linie, 3));
    switch (art) {
    case 0:  // pump
    case 8: {  // dosing pump
        const bool laeuft = rng() % 2 == 0;
        p.setBrush(laeuft ? QColor(80, 180, 90) : QColor(200, 200, 200));
        const double rr = art == 8 ? rad * 0.75 : rad;
        p.drawEllipse(m, rr, rr);
        QPolygonF d;
        d << QPointF(m.x() - rr * 0.5, m.y() - rr * 0.6) << QPointF(m.x() + rr * 0.7, m.y())
          << QPointF(m.x() - rr * 0.5, m.y() + rr * 0.6);
        p.setBrush(QColor(250, 250, 250));
        p.drawPolygon(d);
        break;
    }
    case 1:  // blower
    case 6: {  // compressor
        p.setBrush(QColor(210, 215, 225));
        p.drawEllipse(m, rad, rad);
        QPolygonF t;
        t << QPointF(m.x() - rad * 0.7, m.y() - rad * 0.7) << QPointF(m.x() + rad * 0.7, m.y() - rad * 0.35)
          << QPointF(m.x() + rad * 0.7, m.y() + rad * 0.35) << QPointF(m.x() - rad * 0.7, m.y() + rad * 0.7);
        p.setBrush(art == 1 ? QColor(120, 170, 220) : QColor(230, 160, 70));
        p.drawPolygon(t);
        break;
    }
    case 2: {  // mixer: motor, shaft, blades
        p.setBrush(QColor(170, 170, 180));
        p.drawRect(QRectF(m.x() - 12, r.top(), 24, 14));
        p.drawLine(QPointF(m.x(), r.top() + 14), QPointF(m.x(), r.bottom() - 6));
        p.setBrush(QColor(90, 90, 100));
        p.drawEllipse(QPointF(m.x() - 11, r.bottom() - 6), 10, 4);
        p.drawEllipse(QPointF(m.x() + 11, r.bottom() - 6), 10, 4);
        break;
    }
    case 3:  // gate valve
    case 4: {  // valve
        QPolygonF links, rechts;
        links << QPointF(m.x() - rad, m.y() - rad * 0.6) << m << QPointF(m.x() - rad, m.y() + rad * 0.6);
        rechts << QPointF(m.x() + rad, m.y() - rad * 0.6) << m << QPointF(m.x() + rad, m.y() + rad * 0.6);
        p.setBrush(art == 4 ? QColor(240, 200, 60) : QColor(200, 120, 60));
        p.drawPolygon(links);
        p.drawPolygon(rechts);
        if (art == 3) {
            p.drawLine(m, QPointF(m.x(), r.top()));
            p.drawRect(QRectF(m.x() - 7, r.top() - 6, 14, 8));
        }
        break;
    }
    case 5:  // tank
    case 11: {  // digester
        QPainterPath pfad;
        if (art == 5) {
            pfad.moveTo(r.topLeft());
            pfad.lineTo(r.left(), r.bottom() - r.width() / 4);
            pfad.quadTo(r.center().x(), r.bottom() + r.width() / 6, r.right(), r.bottom() - r.width() / 4);
            pfad.lineTo(r.topRight());
            pfad.closeSubpath();
        } else {
            pfad.addEllipse(r);
        }
        p.setBrush(QColor(225, 228, 232));
        p.drawPath(pfad);
        p.save();
        p.setClipPath(pfad);
        const double fuellung = 0.2 + (rng() % 70) / 100.0;
        p.fillRect(QRectF(r.left(), r.top() + r.height() * (1 - fuellung), r.width(), r.height() * 1.2),
                   QColor(90, 150, 210));
        p.restore();
        break;
    }
    case 7: {  // screw conveyor
        p.setBrush(QColor(215, 215, 200));
        p.drawRect(r);
        p.setPen(QPen(linie, 2));
        for (double x = r.left() + 8; x < r.right() - 8; x += 12)
            p.drawLine(QPointF(x, r.bottom() - 3), QPointF(x + 8, r.top() + 3));
        break;
    }
    case 9: {  // clearing bridge on two wheels
        p.setBrush(QColor(190, 200, 190));
        p.drawRect(QRectF(r.left(), r.top(), r.width(), r.height() * 0.55));
        p.setBrush(QColor(60, 60, 60));
        p.drawEllipse(QPointF(r.left() + 10, r.bottom() - 6), 6, 6);
        p.drawEllipse(QPointF(r.right() - 10, r.bottom() - 6), 6, 6);
        break;
    }
    case 10: {  // open overflow basin
        p.setBrush(QColor(90, 150, 210));
        p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.45, r.width(), r.height() * 0.55));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{r.topLeft(), r.bottomLeft(), r.bottomRight(), r.topRight()});
        break;
    }
    case 12: {  // field instrument bubble
        p.setBrush(QColor(250, 250, 250));
        p.drawEllipse(m, rad * 0.8, rad * 0.8);
        p.drawLine(QPointF(m.x() - rad * 0.8, m.y()), QPointF(m.x() + rad * 0.8, m.y()));
        break;
    }
    default: {  // contactor
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(r.adjusted(6, 6, -6, -6));
        p.drawLine(r.adjusted(6, 6, -6, -6).topLeft(), r.adjusted(6, 6, -6, -6).bottomRight());
        break;
    }
    }
}

// Text drawn at its baseline; returns the box of its ink.
QRect Text(QPainter& p, const QPointF& grundlinie, const QString& text) {
    p.drawText(grundlinie, text);
    return QFontMetricsF(p.font()).tightBoundingRect(text).translated(grundlinie).toAlignedRect();
}

const std::array<const char*, 10> MESSWERTE = {"2,4 bar", "68 %",  "12,5 m³/h", "AUTO",  "HAND",
                                               "0,8 mg/l", "37 °C", "1450 1/min", "AUS", "7,1 pH"};

}  // namespace

int DemoBild::Arten() { return static_cast<int>(ARTEN.size()); }
QString DemoBild::Bezeichnung(int art) { return QString::fromUtf8(ARTEN[static_cast<std::size_t>(art)].bezeichnung); }
QString DemoBild::Kuerzel(int art) { return QString::fromLatin1(ARTEN[static_cast<std::size_t>(art)].kuerzel); }

DemoBild::DemoBild(int nr, const QString& sName, unsigned seed, bool zeichnen)
    : name(sName), m_nr(nr), m_seed(seed), m_zeichnen(zeichnen) {
    const QSize voll = VolleGroesse(nr);
    groesse = zeichnen ? voll : QSize(voll.width() / 8, voll.height() / 8);
    // Each picture shows one section of the plant: tags are numbered by section and kind (P201, P202, B201, ...).
    std::mt19937 rng(seed * 2654435761u + static_cast<unsigned>(nr) * 97u + 5u);
    int summe = 0;
    for (const Art& a : ARTEN)
        summe += a.gewicht;
    auto zufallsArt = [&] {
        int z = static_cast<int>(rng() % static_cast<unsigned>(summe));
        for (int i = 0; i < Arten(); ++i)
            if ((z -= ARTEN[static_cast<std::size_t>(i)].gewicht) < 0)
                return i;
        return 0;
    };
    std::array<int, ARTEN.size()> zaehler{};
    auto neu = [&](int art) {
        const int nummer = (nr + 1) * 100 + ++zaehler[static_cast<std::size_t>(art)];
        return Teil{art, Kuerzel(art) + QString::number(nummer)};
    };
    const Raster r = RasterFuer(voll);
    const int zellen = r.spalten * r.zeilen;
    // a few cells stay empty, one takes the second label of the first piece
    const int gezeichnet = std::max(2, zellen * 4 / 5 - 1);
    for (int i = 0; i < gezeichnet; ++i)
        teile << neu(zufallsArt());
    for (int i = 0; i < 3 + gezeichnet / 10; ++i)
        ohneSchild << neu(zufallsArt());
}

QImage DemoBild::Zeichnen(QList<Schild>* schilder) const {
    QImage img(groesse, QImage::Format_RGB32);
    img.fill(QColor(236, 240, 244));
    QPainter p(&img);
    if (!m_zeichnen) {
        p.setPen(QColor(60, 60, 60));
        p.drawRect(img.rect().adjusted(0, 0, -1, -1));
        return img;
    }
    std::mt19937 rng(m_seed * 7919u + static_cast<unsigned>(m_nr));
    auto zufall = [&rng](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    p.setRenderHint(QPainter::Antialiasing);
    const int w = img.width(), h = img.height();
    // grid of a schematic sheet
    p.setPen(QPen(QColor(215, 222, 230), 1));
    for (int x = 0; x < w; x += 40)
        p.drawLine(x, 0, x, h);
    for (int y = 0; y < h; y += 40)
        p.drawLine(0, y, w, y);
    p.setPen(QPen(QColor(60, 60, 60), 4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(10, 10, w - 20, h - 20));

    // the pieces go into shuffled cells; the first piece a second time
    const Raster r = RasterFuer(groesse);
    std::vector<int> zellen(static_cast<std::size_t>(r.spalten * r.zeilen));
    for (std::size_t i = 0; i < zellen.size(); ++i)
        zellen[i] = static_cast<int>(i);
    std::shuffle(zellen.begin(), zellen.end(), rng);
    QList<QPair<Teil, QPointF>> platz;
    for (int i = 0; i <= teile.size() && i < static_cast<int>(zellen.size()); ++i) {
        const QRectF z = Zelle(r, zellen[static_cast<std::size_t>(i)]);
        const QPointF mitte(z.center().x() + zufall(-20, 20), z.top() + z.height() * 0.55);
        platz << qMakePair(i < teile.size() ? teile[i] : teile.first(), mitte);
    }

    // The process line runs through each row and snakes down at the ends,
    // drawn first so the equipment lies on top of it.
    p.setPen(QPen(QColor(70, 110, 160), 7, Qt::SolidLine, Qt::FlatCap));
    for (int zeile = 0; zeile < r.zeilen; ++zeile) {
        const double y = Raster::Rand + zeile * r.hoehe + r.hoehe * 0.55;
        const double links = Raster::Rand + 8, rechts = w - Raster::Rand - 8;
        p.drawLine(QPointF(links, y), QPointF(rechts, y));
        if (zeile + 1 < r.zeilen) {
            const double x = zeile % 2 ? links : rechts;
            p.drawLine(QPointF(x, y), QPointF(x, y + r.hoehe));
        }
    }

    QFont schrift(QStringLiteral("DejaVu Sans"));
    for (const auto& [teil, mitte] : platz) {
        Symbol(p, teil.art, mitte, rng);
        const QSizeF g = SymbolGroesse(teil.art);
        // Labels vary as on real sheets: size, face, weight, colour, some on a plate.
        schrift.setFamily(zufall(0, 3) == 0 ? QStringLiteral("DejaVu Sans Condensed") : QStringLiteral("DejaVu Sans"));
        schrift.setPixelSize(zufall(15, 18));
        schrift.setBold(zufall(0, 2) == 0);
        p.setFont(schrift);
        const QFontMetricsF fm(schrift);
        const QRectF tinte = fm.tightBoundingRect(teil.kennzeichen);
        QPointF grundlinie;
        const int lage = zufall(0, 2);
        if (lage == 0)  // above, centred
            grundlinie = QPointF(mitte.x() - tinte.width() / 2, mitte.y() - g.height() / 2 - 9);
        else if (lage == 1)  // above, to the right
            grundlinie = QPointF(mitte.x() + g.width() / 2 - 4, mitte.y() - g.height() / 2 - 7);
        else  // below the line, centred
            grundlinie = QPointF(mitte.x() - tinte.width() / 2, mitte.y() + g.height() / 2 + 9 - tinte.top());
        const bool tafel = zufall(0, 3) == 0;
        if (tafel) {
            p.setPen(QPen(QColor(70, 70, 70), 1));
            p.setBrush(QColor(252, 252, 250));
            p.drawRect(tinte.translated(grundlinie).adjusted(-5, -4, 5, 4));
        }
        p.setPen(zufall(0, 2) == 0 ? QColor(20, 45, 120) : QColor(20, 20, 20));
        const QRect box = Text(p, grundlinie, teil.kennzeichen);
        if (schilder)
            *schilder << Schild{teil.kennzeichen, box};
        // a measured value or mode on the other side of the line
        if (zufall(0, 2) == 0) {
            QFont klein(QStringLiteral("DejaVu Sans"));
            klein.setPixelSize(13);
            p.setFont(klein);
            p.setPen(QColor(60, 70, 90));
            const QString wert = QString::fromUtf8(MESSWERTE[static_cast<std::size_t>(zufall(0, MESSWERTE.size() - 1))]);
            const double y = lage == 2 ? mitte.y() - g.height() / 2 - 8 : mitte.y() + g.height() / 2 + 22;
            Text(p, QPointF(mitte.x() + g.width() / 2 + 6, y), wert);
        }
    }

    // flow directions and the title block in the bottom strip
    schrift.setFamily(QStringLiteral("DejaVu Sans"));
    schrift.setBold(false);
    schrift.setPixelSize(16);
    p.setFont(schrift);
    p.setPen(QColor(20, 20, 20));
    const double fuss = h - Raster::Fuss + 36;
    Text(p, QPointF(40, fuss), QStringLiteral("Zulauf →"));
    Text(p, QPointF(40, fuss + 30), QStringLiteral("← Rücklaufschlamm"));
    Text(p, QPointF(320, fuss + 30), QStringLiteral("Überschussschlamm →"));
    const QRectF titel(w - 430, h - 110, 400, 80);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(titel);
    schrift.setPixelSize(26);
    schrift.setBold(true);
    p.setFont(schrift);
    p.drawText(titel.adjusted(12, 6, -12, -36), Qt::AlignLeft | Qt::AlignVCenter, name);
    schrift.setPixelSize(15);
    schrift.setBold(false);
    p.setFont(schrift);
    p.drawText(titel.adjusted(12, 44, -12, -6), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Kläranlage Demo · Blatt %1").arg(m_nr + 1));
    return img;
}

QString DemoBild::SchilderDatei(const QString& bildDatei) {
    QString basis = bildDatei;
    if (basis.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive))
        basis.chop(4);
    return basis + QStringLiteral(".schilder.csv");
}

bool DemoBild::SchilderSchreiben(const QString& datei, const QList<Schild>& schilder) {
    QSaveFile f(datei);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QTextStream aus(&f);
    aus << "Kennzeichen;X;Y;Breite;Hoehe\n";
    for (const Schild& s : schilder)
        aus << s.kennzeichen << ';' << s.box.x() << ';' << s.box.y() << ';' << s.box.width() << ';'
            << s.box.height() << '\n';
    aus.flush();
    return f.commit();
}

QList<DemoBild::Schild> DemoBild::SchilderLesen(const QString& datei) {
    QList<Schild> schilder;
    QFile f(datei);
    if (!f.open(QIODevice::ReadOnly))
        return schilder;
    QTextStream ein(&f);
    ein.readLine();  // the header
    while (!ein.atEnd()) {
        const QStringList t = ein.readLine().split(QLatin1Char(';'));
        if (t.size() == 5)
            schilder << Schild{t[0], QRect(t[1].toInt(), t[2].toInt(), t[3].toInt(), t[4].toInt())};
    }
    return schilder;
}
