#include "werkzeuge/Texterkennung.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <vector>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>
#include <leptonica/allheaders.h>

#include "werkzeuge/Bildaufbereitung.h"
#include "werkzeuge/Graubild.h"
#include "werkzeuge/Lesebank.h"
#include "werkzeuge/Linienabstimmung.h"
#include "werkzeuge/Nachlese.h"
#include "werkzeuge/Schaerfe.h"
#include "werkzeuge/Spaltenfortsetzung.h"
#include "werkzeuge/Tintenmass.h"
#include "werkzeuge/Tintenstufe.h"

#ifdef TAVERO_OMP
#include <omp.h>
#endif
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <ctime>
#endif

namespace {

// Labels of 11 to 13 pixels cap height are read reliably only twice as large;
// a larger factor reads worse and costs more.
constexpr double Vergroesserung = 2.0;
// Words that may be tags are looked at once more, three times as large; so is text running up or down.
constexpr double NaeherVergroesserung = 3.0;
// A line the first reading read this surely is not looked at again.
constexpr float Gelesen = 90;
// A word of the first reading this sure is kept when a closer look reads its place otherwise.
constexpr float Sicher = 85;
// Letters of 9 or 10 pixels cap height are read only this much enlarged.
constexpr double Klein = 4.0;
// Above this many pixels a picture is enlarged less, so that memory stays bounded.
constexpr double MaxPixel = 40e6;
// Raised whenever the reading changes otherwise, so that kept results are read anew.
constexpr int Ueberarbeitung = 33;
// A blurred line split nearer its ink is read so at most: it stands in where the other
// preparations read the line badly, never outweighs a sure reading of theirs.
constexpr float TintenHoechstens = 80;
// A turned reading below this confidence is taken for the drawing, not for text.
constexpr float MinGedreht = 50;
// Cut-outs are laid on sheets up to this tall. Smaller sheets would spread better over the
// cores, but the engine reads a cut-out a little differently beside fewer others.
constexpr int BlattHoehe = 30000;
// Tags are letters and digits with a few joining signs; the blank keeps words apart.
const char* const Zeichen = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_. ";

#ifdef _WIN32
const char* const Nirgends = "NUL";
#else
const char* const Nirgends = "/dev/null";
#endif

struct PixLoeschen {
    void operator()(Pix* p) const { pixDestroy(&p); }
};
struct BoxLoeschen {
    void operator()(Box* b) const { boxDestroy(&b); }
};
using PixZeiger = std::unique_ptr<Pix, PixLoeschen>;

bool Abbrechen(void* abbruch, int) { return abbruch && static_cast<const std::atomic_bool*>(abbruch)->load(); }

std::vector<std::uint8_t> Bytes(Pix* p) {
    const int b = pixGetWidth(p), h = pixGetHeight(p), wpl = pixGetWpl(p);
    const l_uint32* daten = pixGetData(p);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(b) * h);
    for (int y = 0; y < h; ++y) {
        const l_uint32* zeile = daten + static_cast<std::ptrdiff_t>(y) * wpl;
        for (int x = 0; x < b; ++x)
            bytes[static_cast<std::size_t>(y) * b + x] = static_cast<std::uint8_t>(GET_DATA_BYTE(zeile, x));
    }
    return bytes;
}

PixZeiger AusBytes(const std::vector<std::uint8_t>& bytes, int b, int h) {
    PixZeiger p{pixCreate(b, h, 8)};
    if (!p)
        return p;
    const int wpl = pixGetWpl(p.get());
    l_uint32* daten = pixGetData(p.get());
    for (int y = 0; y < h; ++y) {
        l_uint32* zeile = daten + static_cast<std::ptrdiff_t>(y) * wpl;
        for (int x = 0; x < b; ++x)
            SET_DATA_BYTE(zeile, x, bytes[static_cast<std::size_t>(y) * b + x]);
    }
    return p;
}

PixZeiger Ausschnitt(Pix* p, const QRect& r) {
    const std::unique_ptr<Box, BoxLoeschen> box{boxCreate(r.x(), r.y(), r.width(), r.height())};
    return PixZeiger{pixClipRectangle(p, box.get(), nullptr)};
}

QRect Ganz(const QRectF& r) {
    const int l = static_cast<int>(std::floor(r.left())), o = static_cast<int>(std::floor(r.top()));
    return QRect(l, o, static_cast<int>(std::ceil(r.right())) - l, static_cast<int>(std::ceil(r.bottom())) - o);
}

bool HatZiffer(const QString& s) { return std::any_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); }); }

// Whether a removed line ran across the letters of this line: its pieces lie between their strokes.
bool Durchzogen(const Bildaufbereitung& bild, const QRect& zeile) { return bild.Balken(zeile, false) >= 4; }

// How well a reading of one place fits: the engine's confidence, each word
// weighed by its letters, and a bonus when a word reads as a tag (letters
// and digits, three to sixteen). -1 for no reading at all.
double Guete(const QList<Texterkennung::Roh>& woerter) {
    double summe = 0, zeichen = 0;
    bool kennzeichen = false;
    for (const Texterkennung::Roh& r : woerter) {
        QString g = r.text;
        g.remove(QLatin1Char('-')).remove(QLatin1Char('.')).remove(QLatin1Char('_'));
        summe += static_cast<double>(r.konfidenz) * std::max<qsizetype>(1, g.size());
        zeichen += static_cast<double>(std::max<qsizetype>(1, g.size()));
        kennzeichen = kennzeichen || (g.size() >= 3 && g.size() <= 16 && HatZiffer(g) &&
                                      std::any_of(g.begin(), g.end(), [](QChar c) { return c.isLetter(); }));
    }
    return zeichen > 0 ? summe / zeichen + (kennzeichen ? 15.0 : 0.0) : -1.0;
}

// The enlarged grey cut-out in black and white, split where its own grey levels part best:
// blur and noise make the engine's own split uncertain.
PixZeiger SchwarzWeiss(Pix* grau) {
    const int b = pixGetWidth(grau), h = pixGetHeight(grau);
    std::vector<std::uint8_t> bytes = Bytes(grau);
    const int schwelle = Bildaufbereitung::Schwelle(bytes);
    for (auto& v : bytes)
        v = v <= schwelle ? 0 : 255;
    return AusBytes(bytes, b, h);
}

// Blurred letters are read better with their edges made steep again, sharp ones worse:
// whether a cut-out's letters are blurred is measured on its own pixels, before enlarging.
bool Weich(Pix* stueck) {
    if (!stueck)
        return false;
    const double kanten = Schaerfe::Kanten(Bytes(stueck), pixGetWidth(stueck), pixGetHeight(stueck));
    return kanten >= 0 && kanten < Schaerfe::Weich;
}

// The enlarged cut-out of blurred letters with its edges steepened, at the width a
// blurred edge takes after enlarging by faktor.
PixZeiger Geschaerft(Pix* gross, double faktor) {
    std::vector<std::uint8_t> bytes = Bytes(gross);
    Schaerfe::Schaerfen(bytes, pixGetWidth(gross), pixGetHeight(gross), 0.8 * faktor, 1.5);
    return AusBytes(bytes, pixGetWidth(gross), pixGetHeight(gross));
}

// The cut-out stretched so that its ground is white and its ink black, on a
// white margin: a grey ground would stand out as a box on the white sheet.
PixZeiger Gestreckt(Pix* grau, int polster) {
    const int b = pixGetWidth(grau), h = pixGetHeight(grau);
    std::vector<std::uint8_t> bytes = Bytes(grau);
    const std::array<int, 256> haeufig = Schaerfe::Haeufigkeit(bytes);
    const int tinte = Schaerfe::Anteil(haeufig, bytes.size(), 0.03), grund = Schaerfe::Anteil(haeufig, bytes.size(), 0.85);
    if (grund - tinte >= 24)
        for (auto& v : bytes)
            v = static_cast<std::uint8_t>(std::clamp((v - tinte) * 255 / (grund - tinte), 0, 255));
    const PixZeiger gestreckt = AusBytes(bytes, b, h);
    return PixZeiger{gestreckt ? pixAddBorder(gestreckt.get(), polster, 255) : nullptr};
}

// The enlarged grey cut-out of blurred letters in black and white, split nearer the ink than
// where its grey levels part best: there the letters run into one another through their halo.
PixZeiger TintenSchwarzWeiss(Pix* grau) {
    std::vector<std::uint8_t> bytes = Bytes(grau);
    Tintenstufe::Teilen(bytes);
    return AusBytes(bytes, pixGetWidth(grau), pixGetHeight(grau));
}

// A cut-out (not yet enlarged) of blurred letters, enlarged by faktor with its edges
// steepened, as black and white and as grey, and to tinten as black and white split nearer
// its ink; nothing for a sharp one, to keep the time down.
void ScharfZuschneiden(Pix* stueck, double faktor, int polster, std::vector<PixZeiger>& stuecke,
                       std::vector<PixZeiger>& tinten) {
    PixZeiger grau;
    if (Weich(stueck))
        if (PixZeiger gross{pixScaleGrayLI(stueck, static_cast<float>(faktor), static_cast<float>(faktor))})
            if (const PixZeiger geschaerft = Geschaerft(gross.get(), faktor))
                grau = Gestreckt(geschaerft.get(), polster);
    stuecke.push_back(grau ? SchwarzWeiss(grau.get()) : nullptr);
    tinten.push_back(grau ? TintenSchwarzWeiss(grau.get()) : nullptr);
    stuecke.push_back(std::move(grau));
}

// Whether a reading looks like a tag: three to sixteen letters and digits, both among them,
// with no other signs than the blank and the joining ones.
bool WieKennzeichen(QString text) {
    text.remove(QLatin1Char(' ')).remove(QLatin1Char('-')).remove(QLatin1Char('_')).remove(QLatin1Char('.'));
    return text.size() >= 3 && text.size() <= 16 && HatZiffer(text) &&
           std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); }) &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

// The readings of one column of turned text: its four cut-outs (turned one way and the other,
// each as black and white and as grey) start at erste. The engine often reads a column turned
// the wrong way surely too ("66LM" for W799 upside down): so the best reading of each way is
// kept, the better first, and the matching tells which one is a tag. Below MinGedreht a
// reading is taken for the drawing, unless it looks like a tag: the engine rates a turned
// label read right at times at 0 ("PT-9661A", "LSH909"); such a reading is kept with its
// own rating, and the matching weighs it as unsure.
QList<Bildwort> SpaltenLesungen(const std::vector<QList<Texterkennung::Roh>>& je, std::size_t erste) {
    QList<Bildwort> beste, unsicher;
    for (std::size_t weg = 0; weg < 2; ++weg) {
        Bildwort bester;
        bester.konfidenz = MinGedreht;
        for (std::size_t i = erste + 2 * weg; i < erste + 2 * weg + 2; ++i) {
            if (je[i].isEmpty())
                continue;
            QStringList teile;
            float summe = 0;
            for (const Texterkennung::Roh& r : je[i]) {
                teile << r.text;
                summe += r.konfidenz;
            }
            const QString lesung = teile.join(QLatin1Char(' '));
            // tags carry digits: of the two ways, one with digits is the likelier reading
            const float mittel = summe / static_cast<float>(je[i].size()) + (HatZiffer(lesung) ? 20.0f : 0.0f);
            if (mittel > bester.konfidenz) {
                bester.konfidenz = mittel;
                bester.text = lesung;
            }
            if (WieKennzeichen(lesung))
                unsicher << Bildwort{lesung, QRect(), summe / static_cast<float>(je[i].size())};
        }
        if (!bester.text.isEmpty())
            beste << bester;
    }
    if (beste.size() == 2 && beste[1].konfidenz > beste[0].konfidenz)
        std::swap(beste[0], beste[1]);
    for (const Bildwort& u : std::as_const(unsicher))
        if (std::none_of(beste.begin(), beste.end(), [&u](const Bildwort& b) { return b.text == u.text; }))
            beste << u;
    return beste;
}

// The box of a column's ink. Measured whole, letters beyond a wider gap (a blank, a mono font's
// wide side bearings) are taken for the drawing, as a piece further off than most of a letter is,
// and the box ends at the gap: what lies beyond is measured on its own and kept where it holds
// ink of a letter's size. The column was found as letter-sized blobs, so that ink is letters.
QRect SpaltenTinte(const Bildaufbereitung& bild, const Spaltenfortsetzung& fortsetzung, const QRect& spalte) {
    const QRect ganz = fortsetzung.Beschnitten(spalte);
    const int quer = spalte.width();
    QRect box = bild.Tinte(ganz, quer, true);
    if (box.isEmpty() || box == ganz)
        return box;
    const QRect jenseits[] = {QRect(QPoint(ganz.left(), ganz.top()), QPoint(ganz.right(), box.top() - 1)),
                              QRect(QPoint(ganz.left(), box.bottom() + 1), QPoint(ganz.right(), ganz.bottom()))};
    for (const QRect& s : jenseits) {
        if (s.height() < 0.6 * quer)
            continue;
        const QRect r = bild.Tinte(s, quer, true);
        if (r != s && r.height() >= 0.5 * quer && r.width() >= 0.5 * quer)
            box = box.united(r);
    }
    return box;
}

// The processor time of the calling thread in nanoseconds: the readings of one
// run share the cores with each other and with the rest of the machine, so only
// this says what a stage costs.
std::int64_t ThreadNanos() {
#ifdef _WIN32
    FILETIME anfang, ende, kern, nutzer;
    if (!GetThreadTimes(GetCurrentThread(), &anfang, &ende, &kern, &nutzer))
        return 0;
    auto wert = [](const FILETIME& f) {
        return (static_cast<std::int64_t>(f.dwHighDateTime) << 32 | f.dwLowDateTime) * 100;
    };
    return wert(kern) + wert(nutzer);
#else
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
#endif
}

enum Stufe { Aufbereitung, ErsterBlick, Zuschnitt, NaehereBlicke, Auswertung, Stufen };
std::array<std::atomic<std::int64_t>, Stufen> g_verbraucht{};
// the closer looks by the kind of cut-out: processor time, cut-outs, pixels of their sheets
constexpr int Arten = Texterkennung::Stufenzeiten::Arten;
std::array<std::atomic<std::int64_t>, Arten> g_artNanos{}, g_artAusschnitte{}, g_artPixel{};

// Adds the thread's processor time from one mark to the next to the stage just ended.
class Stoppuhr {
public:
    Stoppuhr() : m_seit(ThreadNanos()) {}
    void Ende(Stufe s) {
        const std::int64_t jetzt = ThreadNanos();
        g_verbraucht[s] += jetzt - m_seit;
        m_seit = jetzt;
    }

private:
    std::int64_t m_seit;
};

// A word found on the picture, with what the later steps need to know of it.
struct Wort {
    Bildwort wort;
    double kappe = 0;
    bool tinteGemessen = false;
    bool senkrecht = false;
};

// The engine's rating of a reading, each word weighed by its signs; -1 for none.
double Bewertung(const QList<Wort>& woerter) {
    double summe = 0, zeichen = 0;
    for (const Wort& w : woerter) {
        const double n = static_cast<double>(std::max<qsizetype>(1, std::count_if(w.wort.text.begin(), w.wort.text.end(), [](QChar c) { return c.isLetterOrNumber(); })));
        summe += static_cast<double>(w.wort.konfidenz) * n;
        zeichen += n;
    }
    return zeichen > 0 ? summe / zeichen : -1.0;
}

// Whether a word's box is as wide as its signs need, 0.4 of its height a sign or more: the first
// reading of a blurred picture boxes some words far narrower ("A002" 18 pixels wide and 23 high),
// and a corner taken from such a box would be far off.
bool BreitGenug(const Bildwort& w) {
    const auto zeichen = std::count_if(w.text.begin(), w.text.end(), [](QChar c) { return c.isLetterOrNumber(); });
    return w.box.width() >= 0.4 * w.box.height() * static_cast<double>(zeichen);
}

// Whether another reading's word w stands beside an unsure line's best reading: one that could
// be a tag, unless the same word stays at the same place anyway. Where a closer look replaces a
// blurred line's first reading, the first reading's unsure words go: they are then no reason to
// leave out the same word of another reading ("HV-5320", read so first and split nearer the ink,
// went with the first reading behind "HV5220", rated higher).
bool Daneben(const Wort& w, const QList<Wort>& woerter, const QRect& bereich, bool ersetzt) {
    return HatZiffer(w.wort.text) && std::none_of(woerter.begin(), woerter.end(), [&](const Wort& v) {
               const bool geht = ersetzt && bereich.contains(v.wort.box.center()) && v.wort.konfidenz < Sicher;
               return !geht && v.wort.text == w.wort.text && v.wort.box.intersects(w.wort.box);
           });
}

}  // namespace

Texterkennung::Texterkennung() : m_api(std::make_unique<tesseract::TessBaseAPI>()) {
    // The engine's notes ("Empty page!!") are of no use to the user. The setting
    // is one for the whole process, so it is made once, before any engine reads it.
    // The image library's complaints about a broken file become our own message.
    static std::once_flag einmal;
    std::call_once(einmal, [this] {
        m_api->SetVariable("debug_file", Nirgends);
        setMsgSeverity(L_SEVERITY_NONE);
    });
    if (m_api->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
        m_fehler = QStringLiteral("Die Texterkennung lässt sich nicht starten: die englischen Sprachdaten von "
                                  "Tesseract fehlen (Paket tesseract-ocr-eng).");
        return;
    }
    m_api->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
    m_api->SetVariable("tessedit_char_whitelist", Zeichen);
    // Light labels are turned dark before reading: no second look at each line for inverted text.
    m_api->SetVariable("tessedit_do_invert", "0");
    // The pictures are screen bitmaps; told so, the engine reads their labels far better than at 192 or 300.
    m_api->SetVariable("user_defined_dpi", "96");
}

Texterkennung::~Texterkennung() {
    if (m_api)
        m_api->End();
}

QString Texterkennung::Leseart() {
    return QStringLiteral("tesseract %1 eng psm11 x%2 x%3 r%4 hell ohne-linien gedreht tinte blase zeilen sw schaerfe enden blasse-spalten nachlese tintenstufe")
        .arg(QString::fromLatin1(tesseract::TessBaseAPI::Version()))
        .arg(Vergroesserung)
        .arg(NaeherVergroesserung)
        .arg(Ueberarbeitung);
}

bool Texterkennung::QuerGelesen(const Bildwort& w) {
    // Only sure words keep text running up or down from being looked for: turned text is
    // often read as a few unsure letters, and the closer look finds some as short lines.
    // Nor do words of one or two signs: two turned letters side by side are read across
    // as such a word, surely at times ("Bo", "Oo"), and a turned label is three or more.
    const auto zeichen = std::count_if(w.text.begin(), w.text.end(), [](QChar c) { return c.isLetterOrNumber(); });
    return w.box.width() >= w.box.height() && w.konfidenz >= MinGedreht && zeichen >= 3;
}

Texterkennung::Stufenzeiten Texterkennung::Verbraucht() {
    auto sekunden = [](Stufe s) { return static_cast<double>(g_verbraucht[s].load()) / 1e9; };
    Stufenzeiten z{sekunden(Aufbereitung), sekunden(ErsterBlick), sekunden(Zuschnitt), sekunden(NaehereBlicke),
                   sekunden(Auswertung)};
    for (int a = 0; a < Arten; ++a)
        z.arten[static_cast<std::size_t>(a)] = {static_cast<double>(g_artNanos[a].load()) / 1e9,
                                                 static_cast<double>(g_artAusschnitte[a].load()),
                                                 static_cast<double>(g_artPixel[a].load()) / 1e6};
    return z;
}

void Texterkennung::BlattLesen(Pix* blatt, const std::atomic_bool* abbruch, QList<Roh>& woerter) {
    Stoppuhr uhr;
#ifdef TAVERO_OMP
    omp_set_max_active_levels(0);
#endif
    tesseract::ETEXT_DESC waechter;
    waechter.cancel = &Abbrechen;
    waechter.cancel_this = const_cast<std::atomic_bool*>(abbruch);
    m_api->SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    m_api->SetImage(blatt);
    // a sheet the engine cannot read adds nothing; the first reading stands
    if (m_api->Recognize(&waechter) == 0 && !(abbruch && abbruch->load()))
        woerter = Woerter();
    m_api->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
    m_api->Clear();
    uhr.Ende(NaehereBlicke);
}

Bildtext Texterkennung::Lesen(const QString& datei, const std::atomic_bool* abbruch, bool* abgebrochen, Lesebank* bank) {
    Stoppuhr uhr;
    Bildtext t;
    t.datei = datei;
    if (abgebrochen)
        *abgebrochen = false;
    if (!Bereit()) {
        t.fehler = m_fehler;
        return t;
    }
    QFile f(datei);
    if (!QFileInfo(datei).isFile() || !f.open(QIODevice::ReadOnly)) {
        t.fehler = QStringLiteral("Das Bild %1 fehlt.").arg(datei);
        return t;
    }
    // Read from memory: the file name never reaches the library's own file calls,
    // which would take it in the wrong code page on Windows.
    const QByteArray inhalt = f.readAll();
    f.close();
    std::vector<std::uint8_t> grauwerte;
    int breite = 0, hoehe = 0;
    PixZeiger grau;
    if (!Graubild::AusBmp(inhalt, grauwerte, breite, hoehe)) {
        if (PixZeiger roh{pixReadMem(reinterpret_cast<const l_uint8*>(inhalt.constData()), static_cast<size_t>(inhalt.size()))})
            grau.reset(pixConvertTo8(roh.get(), 0));
        if (!grau) {
            t.fehler = QStringLiteral("Das Bild %1 lässt sich nicht lesen: es ist keine Bilddatei oder beschädigt.").arg(datei);
            return t;
        }
        grauwerte = Bytes(grau.get());
        breite = pixGetWidth(grau.get());
        hoehe = pixGetHeight(grau.get());
    }
    const QRect flaeche(0, 0, breite, hoehe);
#ifdef TAVERO_OMP
    // Each picture is one thread's work; the engine's own threads would only compete with the other pictures.
    omp_set_max_active_levels(0);
#endif
    tesseract::ETEXT_DESC waechter;
    waechter.cancel = &Abbrechen;
    waechter.cancel_this = const_cast<std::atomic_bool*>(abbruch);
    auto unterbrochen = [&] {
        if (!abbruch || !abbruch->load())
            return false;
        m_api->Clear();
        if (abgebrochen)
            *abgebrochen = true;
        return true;
    };

    // Every label dark on light, whatever the picture's ground and plates; the
    // engine reads a copy without the lines and outlines of the drawing, which
    // hide the labels they touch or surround from its layout analysis.
    Bildaufbereitung bild(std::move(grauwerte), flaeche.width(), flaeche.height());
    bild.Gleichrichten();
    bild.ZeichnungEntfernen();
    grau = AusBytes(bild.OhneZeichnung(), flaeche.width(), flaeche.height());
    if (!grau) {
        t.fehler = QStringLiteral("Das Bild %1 ist zu groß zum Lesen.").arg(datei);
        return t;
    }

    // The whole picture, enlarged.
    const double pixel = static_cast<double>(flaeche.width()) * flaeche.height();
    const double faktor = std::max(1.0, std::min(Vergroesserung, std::sqrt(MaxPixel / pixel)));
    {
        const PixZeiger gross{faktor > 1.0 ? pixScaleGrayLI(grau.get(), static_cast<float>(faktor), static_cast<float>(faktor))
                                           : pixClone(grau.get())};
        if (!gross) {
            t.fehler = QStringLiteral("Das Bild %1 ist zu groß zum Lesen.").arg(datei);
            return t;
        }
        m_api->SetImage(gross.get());
    }
    uhr.Ende(Aufbereitung);
    const int erkannt = m_api->Recognize(&waechter);
    if (unterbrochen())
        return t;
    if (erkannt != 0) {
        m_api->Clear();
        t.fehler = QStringLiteral("Die Texterkennung konnte das Bild %1 nicht lesen.").arg(datei);
        return t;
    }
    QList<Wort> woerter;
    for (const Roh& r : Woerter())
        woerter << Wort{{r.text, Ganz(QRectF(r.box.topLeft() / faktor, r.box.bottomRight() / faktor)), r.konfidenz},
                        r.kappe / faktor};
    uhr.Ende(ErsterBlick);

    // Cut-outs, each already enlarged, are read on sheets below each other so
    // that the engine is started once per sheet, not per cut-out.
    struct Blatt {
        PixZeiger bild;
        std::vector<std::size_t> teil;
        std::vector<int> oben;
    };
    constexpr int Rand = 20, Abstand = 24;
    // A sheet ends where it is full, or before the cut-out bruch, so that what comes before it is read beside the same neighbours.
    auto legen = [&](const std::vector<PixZeiger>& stuecke, std::size_t bruch = 0) {
        std::vector<Blatt> blaetter;
        for (std::size_t erster = 0; erster < stuecke.size();) {
            Blatt b;
            int hoehe = Rand, breite = 0;
            for (; erster < stuecke.size() && (b.teil.empty() || (hoehe < BlattHoehe && erster != bruch)); ++erster) {
                if (!stuecke[erster])
                    continue;
                b.teil.push_back(erster);
                b.oben.push_back(hoehe);
                hoehe += pixGetHeight(stuecke[erster].get()) + Abstand;
                breite = std::max(breite, pixGetWidth(stuecke[erster].get()) + 2 * Rand);
            }
            if (b.teil.empty())
                break;
            b.bild.reset(pixCreate(breite, hoehe, 8));
            if (!b.bild)
                break;
            pixSetAll(b.bild.get());  // white
            for (std::size_t i = 0; i < b.teil.size(); ++i) {
                Pix* s = stuecke[b.teil[i]].get();
                pixRasterop(b.bild.get(), Rand, b.oben[i], pixGetWidth(s), pixGetHeight(s), PIX_SRC, s, 0, 0);
            }
            blaetter.push_back(std::move(b));
        }
        return blaetter;
    };
    // The words of each sheet back to their cut-out, in its own pixels.
    auto zuordnen = [](const std::vector<Blatt>& blaetter, const std::vector<QList<Roh>>& gelesen,
                       const std::vector<PixZeiger>& stuecke) {
        std::vector<QList<Roh>> je(stuecke.size());
        for (std::size_t n = 0; n < blaetter.size(); ++n) {
            const Blatt& b = blaetter[n];
            for (Roh r : gelesen[n]) {
                const double mitte = r.box.center().y();
                for (std::size_t i = 0; i < b.teil.size(); ++i)
                    if (mitte >= b.oben[i] && mitte < b.oben[i] + pixGetHeight(stuecke[b.teil[i]].get())) {
                        r.box.translate(-Rand, -b.oben[i]);
                        je[b.teil[i]] << r;
                        break;
                    }
            }
        }
        return je;
    };

    QList<QRect> gelesen;
    for (const Wort& w : std::as_const(woerter))
        if (QuerGelesen(w.wort))
            gelesen << w.wort.box;

    // A closer look at every line of letters on the picture and at every word
    // that could be a tag: small labels lose a letter now and then ("LT" read
    // as "T"), blurred ones are misread, some are overlooked. Each is read
    // once more, larger and without the drawing around it, as grey and as
    // black and white; of these readings and the first one the one that fits
    // best is kept, judged by the engine's confidence and by whether it reads
    // as a tag.
    QList<QRect> kerne;
    QList<QRect> ausschnitte;
    QList<double> faktoren;
    QList<int> polstern;
    std::vector<PixZeiger> stuecke;
    PixZeiger mitBalken[2];
    // on sheets of their own, so that the other cut-outs are read beside the same neighbours as without them
    std::vector<PixZeiger> balkenStuecke;
    // blurred lines once more with their edges steepened, also on sheets of their own
    std::vector<PixZeiger> scharfStuecke;
    // and split nearer their ink, one a line, on sheets of their own too
    std::vector<PixZeiger> tintenStuecke;
    const QList<QRect> linien = bild.WaagrechteZeilen();
    // the first cut-out of lines found only at a lighter level, which begins a sheet of its own
    std::size_t blassAb = 0;
    {
        // a line the first reading read whole and surely needs no second look: that keeps the time down
        for (const QRect& k : linien) {
            int gedeckt = 0;
            bool sicher = true;
            for (const Wort& w : std::as_const(woerter))
                if (k.adjusted(-2, -2, 2, 2).contains(w.wort.box.center())) {
                    sicher = sicher && w.wort.konfidenz >= Gelesen;
                    gedeckt += w.wort.box.intersected(k).width();
                }
            // a line laid over the letters hides strokes however surely they were read
            if (!sicher || gedeckt < 0.8 * k.width() || Durchzogen(bild, k))
                kerne << k;
            else
                kerne << QRect();
        }
        for (const Wort& w : std::as_const(woerter))
            if (w.wort.text.size() <= 16 && HatZiffer(w.wort.text) &&
                std::none_of(linien.begin(), linien.end(), [&w](const QRect& k) { return k.contains(w.wort.box.center()); }))
                kerne << w.wort.box;
        // Lines of letters too faint for the dark level where the first reading read nothing: the thin
        // strokes of small blurred letters stay grey. Only where the letters measure blurred; elsewhere
        // such a line is the drawing's grey.
        blassAb = 2 * static_cast<std::size_t>(kerne.size());
        for (const QRect& z : bild.BlasseZeilen(linien)) {
            const int h = z.height();
            const QRect a = z.adjusted(-h / 2, -std::max(2, h / 6), h / 2, std::max(2, h / 6)).intersected(flaeche);
            const PixZeiger stueck = Ausschnitt(grau.get(), a);
            if (Weich(stueck.get()))
                kerne << z;
        }
        for (const QRect& k : std::as_const(kerne)) {
            if (k.isNull()) {
                ausschnitte << QRect();
                faktoren << 1.0;
                polstern << 0;
                stuecke.emplace_back(nullptr);
                stuecke.emplace_back(nullptr);
                scharfStuecke.emplace_back(nullptr);
                scharfStuecke.emplace_back(nullptr);
                tintenStuecke.emplace_back(nullptr);
                balkenStuecke.emplace_back(nullptr);
                balkenStuecke.emplace_back(nullptr);
                continue;
            }
            const int h = k.height();
            // the line alone, with a margin of its own ground: what stands above or below is another line
            const QRect a = k.adjusted(-h / 2, -std::max(2, h / 6), h / 2, std::max(2, h / 6)).intersected(flaeche);
            // small letters need more pixels than the engine's comfortable size
            const double f = h <= 13 ? Klein : NaeherVergroesserung;
            const int polster = static_cast<int>(std::lround(0.6 * h * f));
            ausschnitte << a;
            faktoren << f;
            polstern << polster;
            const PixZeiger stueck = a.isEmpty() ? nullptr : Ausschnitt(grau.get(), a);
            PixZeiger gross{stueck ? pixScaleGrayLI(stueck.get(), static_cast<float>(f), static_cast<float>(f)) : nullptr};
            if (gross)
                gross = Gestreckt(gross.get(), polster);
            stuecke.push_back(gross ? SchwarzWeiss(gross.get()) : nullptr);
            stuecke.push_back(std::move(gross));
            ScharfZuschneiden(stueck.get(), f, polster, scharfStuecke, tintenStuecke);
            // A thin line laid over the letters' bars: once more with its pieces between their
            // strokes, and once with those only that a stroke runs into (an 8's waist, not a 0's hollow).
            const int locker = a.isEmpty() ? 0 : bild.Balken(k, false), streng = a.isEmpty() ? 0 : bild.Balken(k, true);
            for (int n = 0; n < 2; ++n) {
                PixZeiger balken;
                if (n == 0 ? locker >= 4 : streng >= 4 && streng < locker) {
                    PixZeiger& kopie = mitBalken[n];
                    if (!kopie)
                        kopie = AusBytes(bild.MitBalken(n == 1), flaeche.width(), flaeche.height());
                    const PixZeiger s = kopie ? Ausschnitt(kopie.get(), a) : nullptr;
                    const PixZeiger g{s ? pixScaleGrayLI(s.get(), static_cast<float>(f), static_cast<float>(f)) : nullptr};
                    const PixZeiger gs = g ? Gestreckt(g.get(), polster) : nullptr;
                    balken = gs ? SchwarzWeiss(gs.get()) : nullptr;
                }
                balkenStuecke.push_back(std::move(balken));
            }
        }
    }

    // Text running up or down (labels on vertical pipes): each such line is
    // read turned both ways; the better reading of each way is kept.
    QList<QRect> zeilen = bild.SenkrechteZeilen(gelesen);
    const QList<QRect> dunkelGefunden = zeilen;
    // A label may go on past a blank or a word read across it: such a column is read once
    // more as far as its letters go, beside its part.
    const Spaltenfortsetzung fortsetzung(bild.OhneZeichnung(), flaeche.width(), flaeche.height());
    // for each column read so, the column it goes on from
    QHash<qsizetype, qsizetype> fortgesetzt;
    for (qsizetype n = 0, gefunden = zeilen.size(); n < gefunden; ++n) {
        const QRect lang = fortsetzung.Fortgesetzt(zeilen[n]);
        if (lang != zeilen[n] && !zeilen.contains(lang)) {
            fortgesetzt.insert(zeilen.size(), n);
            zeilen << lang;
        }
    }
    // The letters of a blurred turned label fall apart into specks at the dark level: columns
    // are also looked for at the lighter one, and one found only there is read where its
    // letters measure blurred (elsewhere it is the drawing's grey), on sheets of its own.
    const qsizetype dunkleSpalten = zeilen.size();
    for (const QRect& s : bild.BlasseSpalten(gelesen, dunkelGefunden))
        if (Weich(Ausschnitt(grau.get(), s.adjusted(-4, -4, 4, 4).intersected(flaeche)).get()))
            zeilen << s;
    std::vector<PixZeiger> gedrehte;
    for (const QRect& z : zeilen) {
        const PixZeiger stueck = Ausschnitt(grau.get(), z.adjusted(-4, -4, 4, 4).intersected(flaeche));
        const int polster = static_cast<int>(std::lround(0.6 * z.width() * NaeherVergroesserung));
        const bool weich = Weich(stueck.get());
        // each way turned, as grey and as black and white, like the lines across
        for (int richtung : {1, -1}) {
            const PixZeiger gedreht{stueck ? pixRotate90(stueck.get(), richtung) : nullptr};
            PixZeiger gross{gedreht ? pixScaleGrayLI(gedreht.get(), NaeherVergroesserung, NaeherVergroesserung) : nullptr};
            if (gross && weich)
                gross = Geschaerft(gross.get(), NaeherVergroesserung);
            PixZeiger gestreckt = gross ? Gestreckt(gross.get(), polster) : nullptr;
            gedrehte.push_back(gestreckt ? SchwarzWeiss(gestreckt.get()) : nullptr);
            gedrehte.push_back(std::move(gestreckt));
        }
    }

    // The sheets of both go out at once; with a bank, threads without a picture of their own read some.
    std::vector<Blatt> blaetter = legen(stuecke, blassAb);
    const std::size_t waagrecht = blaetter.size();
    for (Blatt& b : legen(balkenStuecke, blassAb))
        blaetter.push_back(std::move(b));
    const std::size_t mitBalkenBlaetter = blaetter.size();
    for (Blatt& b : legen(scharfStuecke, blassAb))
        blaetter.push_back(std::move(b));
    const std::size_t mitScharfBlaetter = blaetter.size();
    for (Blatt& b : legen(tintenStuecke, blassAb / 2))
        blaetter.push_back(std::move(b));
    const std::size_t mitTinteBlaetter = blaetter.size();
    for (Blatt& b : legen(gedrehte, 4 * static_cast<std::size_t>(dunkleSpalten)))
        blaetter.push_back(std::move(b));
    std::vector<QList<Roh>> blattWoerter(blaetter.size());
    std::vector<Lesebank::Stueck> auftraege;
    uhr.Ende(Zuschnitt);
    auto zaehlen = [](int art, const std::vector<PixZeiger>& stuecke) {
        g_artAusschnitte[art] += std::count_if(stuecke.begin(), stuecke.end(), [](const PixZeiger& p) { return p != nullptr; });
    };
    zaehlen(Stufenzeiten::Zeilen, stuecke);
    zaehlen(Stufenzeiten::MitBalken, balkenStuecke);
    zaehlen(Stufenzeiten::Steil, scharfStuecke);
    zaehlen(Stufenzeiten::Steil, tintenStuecke);
    zaehlen(Stufenzeiten::Gedreht, gedrehte);
    for (std::size_t n = 0; n < blaetter.size(); ++n) {
        const int art = n < waagrecht ? Stufenzeiten::Zeilen
                        : n < mitBalkenBlaetter ? Stufenzeiten::MitBalken
                        : n < mitTinteBlaetter ? Stufenzeiten::Steil
                                                : Stufenzeiten::Gedreht;
        auftraege.push_back([&, n, art](Texterkennung& e) {
            const std::int64_t vorher = ThreadNanos();
            e.BlattLesen(blaetter[n].bild.get(), abbruch, blattWoerter[n]);
            g_artNanos[art] += ThreadNanos() - vorher;
            g_artPixel[art] += static_cast<std::int64_t>(pixGetWidth(blaetter[n].bild.get())) * pixGetHeight(blaetter[n].bild.get());
        });
    }
    if (bank) {
        bank->Verteilen(std::move(auftraege), *this);
    } else {
        for (const auto& a : auftraege)
            a(*this);
    }
    // the sheets this thread read counted themselves; the waiting for the others' costs nothing
    uhr = Stoppuhr();
    if (unterbrochen())
        return t;
    const std::vector<Blatt> gedrehteBlaetter(std::make_move_iterator(blaetter.begin() + static_cast<std::ptrdiff_t>(mitTinteBlaetter)),
                                              std::make_move_iterator(blaetter.end()));
    const std::vector<QList<Roh>> gedrehtGelesen(blattWoerter.begin() + static_cast<std::ptrdiff_t>(mitTinteBlaetter), blattWoerter.end());
    const std::vector<Blatt> tinteBlaetter(std::make_move_iterator(blaetter.begin() + static_cast<std::ptrdiff_t>(mitScharfBlaetter)),
                                           std::make_move_iterator(blaetter.begin() + static_cast<std::ptrdiff_t>(mitTinteBlaetter)));
    const std::vector<QList<Roh>> tinteGelesen(blattWoerter.begin() + static_cast<std::ptrdiff_t>(mitScharfBlaetter),
                                               blattWoerter.begin() + static_cast<std::ptrdiff_t>(mitTinteBlaetter));
    const std::vector<Blatt> scharfBlaetter(std::make_move_iterator(blaetter.begin() + static_cast<std::ptrdiff_t>(mitBalkenBlaetter)),
                                            std::make_move_iterator(blaetter.begin() + static_cast<std::ptrdiff_t>(mitScharfBlaetter)));
    const std::vector<QList<Roh>> scharfGelesen(blattWoerter.begin() + static_cast<std::ptrdiff_t>(mitBalkenBlaetter),
                                                blattWoerter.begin() + static_cast<std::ptrdiff_t>(mitScharfBlaetter));
    const std::vector<Blatt> balkenBlaetter(std::make_move_iterator(blaetter.begin() + static_cast<std::ptrdiff_t>(waagrecht)),
                                            std::make_move_iterator(blaetter.begin() + static_cast<std::ptrdiff_t>(mitBalkenBlaetter)));
    const std::vector<QList<Roh>> balkenGelesen(blattWoerter.begin() + static_cast<std::ptrdiff_t>(waagrecht),
                                                blattWoerter.begin() + static_cast<std::ptrdiff_t>(mitBalkenBlaetter));
    blaetter.resize(waagrecht);
    blattWoerter.resize(waagrecht);

    {
        const std::vector<QList<Roh>> je = zuordnen(blaetter, blattWoerter, stuecke);
        const std::vector<QList<Roh>> jeBalken = zuordnen(balkenBlaetter, balkenGelesen, balkenStuecke);
        const std::vector<QList<Roh>> jeScharf = zuordnen(scharfBlaetter, scharfGelesen, scharfStuecke);
        const std::vector<QList<Roh>> jeTinte = zuordnen(tinteBlaetter, tinteGelesen, tintenStuecke);
        std::vector<std::uint8_t> ersetzt(static_cast<std::size_t>(woerter.size()), 0);
        std::vector<std::uint8_t> gedeckelt(static_cast<std::size_t>(woerter.size()), 0);
        QList<Wort> zweite;
        for (qsizetype k = 0; k < kerne.size(); ++k) {
            if (kerne[k].isNull())
                continue;
            const QRect bereich = kerne[k].adjusted(-2, -2, 2, 2);
            QList<Roh> erste;
            for (const Wort& w : std::as_const(woerter))
                if (bereich.contains(w.wort.box.center()))
                    erste << Roh{w.wort.text, QRectF(w.wort.box), w.wort.konfidenz, w.kappe};
            double beste = Guete(erste);
            QList<Wort> woerterHier;
            for (const Wort& w : std::as_const(woerter))
                if (bereich.contains(w.wort.box.center()))
                    woerterHier << w;
            QList<Wort> gewaehlt, andere;
            QList<QList<Bildwort>> lesungen;
            for (const Roh& r : std::as_const(erste))
                lesungen << QList<Bildwort>{{r.text, Ganz(r.box), r.konfidenz}};
            bool besser = false;
            // blurred: read once more split nearer its ink
            const bool weich = tintenStuecke[static_cast<std::size_t>(k)] != nullptr;
            const double f = faktoren[k];
            const QPointF ecke = QPointF(ausschnitte[k].topLeft()) - QPointF(polstern[k], polstern[k]) / f;
            const double rand = 0.3 * kerne[k].height();
            for (std::size_t i = 2 * static_cast<std::size_t>(k); i < 2 * static_cast<std::size_t>(k) + 7; ++i) {
                QList<Roh> lesung;
                QList<Wort> umgerechnet;
                const std::size_t erste = 2 * static_cast<std::size_t>(k);
                const QList<Roh>& gelesenHier = i < erste + 2   ? je[i]
                                                : i < erste + 4 ? jeBalken[i - 2]
                                                : i < erste + 6 ? jeScharf[i - 4]
                                                                : jeTinte[static_cast<std::size_t>(k)];
                for (Roh r : gelesenHier) {
                    const QRectF box(ecke + r.box.topLeft() / f, r.box.size() / f);
                    // what the cut-out caught of its neighbours is read where they are looked at themselves
                    if (!QRectF(kerne[k]).adjusted(-rand, -rand, rand, rand).contains(box.center()))
                        continue;
                    if (i == erste + 6)
                        r.konfidenz = std::min(r.konfidenz, TintenHoechstens);
                    lesung << r;
                    umgerechnet << Wort{{r.text, Ganz(box), r.konfidenz}, r.kappe / f};
                }
                QList<Bildwort> alsWoerter;
                for (const Wort& w : std::as_const(umgerechnet))
                    alsWoerter << w.wort;
                lesungen << alsWoerter;
                const double g = Guete(lesung);
                if (g > beste) {
                    if (besser)
                        andere << gewaehlt;
                    // a blurred line's first reading, replaced, may still be the right one; not where
                    // its box reaches beyond the line's letters (a plate's edge, a pipe taken in)
                    else if (weich)
                        for (const Wort& w : std::as_const(woerterHier))
                            if (BreitGenug(w.wort) && w.wort.box.left() >= kerne[k].left() - kerne[k].height() / 2 &&
                                w.wort.box.right() <= kerne[k].right() + kerne[k].height() / 2)
                                andere << w;
                    beste = g;
                    gewaehlt = umgerechnet;
                    besser = true;
                } else {
                    andere << umgerechnet;
                }
            }
            // The engine's confidence is not always right (letters set close, as "LT", are read
            // unsurely): when the best reading is unsure, what another preparation read as a
            // possible tag stays beside it.
            // A blurred line's best reading counts as sure by the engine's rating alone: the bonus
            // of looking like a tag makes a misread tag ("FQ-2616" rated 78 for FQ3616) as sure as
            // a right one, and the right reading beside it would go.
            const bool sicher = weich ? Bewertung(besser ? gewaehlt : woerterHier) >= Sicher : beste >= Sicher;
            // of a blurred line, not one boxed narrower than its signs: its corner is none, and as
            // a second place it would make the tag of the label beside it ambiguous
            QList<Wort> neu;
            for (const Wort& w : std::as_const(andere))
                if (!sicher && Daneben(w, woerter, bereich, weich && besser) && (!weich || BreitGenug(w.wort)))
                    neu << w;
            // Where a line ran across the letters and the readings with and without its pieces
            // disagree on the tag, none of them is sure: each possible tag stays, rated unsure.
            if (Durchzogen(bild, kerne[k]) && Linienabstimmung::Uneins(lesungen)) {
                for (qsizetype w = 0; w < woerter.size(); ++w)
                    if (bereich.contains(woerter[w].wort.box.center()))
                        gedeckelt[static_cast<std::size_t>(w)] = 1;
                for (Wort& w : neu)
                    w.wort.konfidenz = std::min(w.wort.konfidenz, Linienabstimmung::Hoechstens);
                for (Wort& w : gewaehlt)
                    w.wort.konfidenz = std::min(w.wort.konfidenz, Linienabstimmung::Hoechstens);
                if (sicher)
                    for (Wort w : std::as_const(andere))
                        if (!Linienabstimmung::Kennzeichen({w.wort}).isEmpty()) {
                            w.wort.konfidenz = std::min(w.wort.konfidenz, Linienabstimmung::Hoechstens);
                            neu << w;
                        }
            }
            if (besser) {
                // a word the first reading was sure of stays beside the new reading: it is rarely wrong
                for (qsizetype w = 0; w < woerter.size(); ++w)
                    if (bereich.contains(woerter[w].wort.box.center()) && woerter[w].wort.konfidenz < Sicher)
                        ersetzt[static_cast<std::size_t>(w)] = 1;
                neu << gewaehlt;
            }
            // Of one word read at one place the first is kept: of a blurred line's readings the
            // tightest box that is as wide as its signs need, since the readings box the halo, a
            // plate's edge or a stub beside the letters as they happen to take them in.
            if (weich)
                std::stable_sort(neu.begin(), neu.end(), [](const Wort& a, const Wort& b) {
                    const bool ba = BreitGenug(a.wort), bb = BreitGenug(b.wort);
                    if (ba != bb)
                        return ba;
                    return qint64(a.wort.box.width()) * a.wort.box.height() < qint64(b.wort.box.width()) * b.wort.box.height();
                });
            zweite << neu;
        }
        QList<Wort> behalten;
        for (qsizetype w = 0; w < woerter.size(); ++w)
            if (!ersetzt[static_cast<std::size_t>(w)]) {
                behalten << woerter[w];
                if (gedeckelt[static_cast<std::size_t>(w)])
                    behalten.last().wort.konfidenz = std::min(behalten.last().wort.konfidenz, Linienabstimmung::Hoechstens);
            }
        // a word read the same at the same place is one word
        for (const Wort& w : std::as_const(zweite))
            if (std::none_of(behalten.begin(), behalten.end(), [&w](const Wort& v) {
                    return v.wort.text == w.wort.text && v.wort.box.intersects(w.wort.box);
                }))
                behalten << w;
        woerter = behalten;
    }

    {
        const std::vector<QList<Roh>> je = zuordnen(gedrehteBlaetter, gedrehtGelesen, gedrehte);
        for (qsizetype z = 0; z < zeilen.size(); ++z) {
            QList<Bildwort> lesungen = SpaltenLesungen(je, 4 * static_cast<std::size_t>(z));
            if (fortgesetzt.contains(z)) {
                // Followed on past a gap, a column is taken only for what its part alone lacks: where
                // the part was read surely with its letters and digits, what lies beyond the gap is
                // something else; letters alone ("FIC") want their number beyond a blank.
                const QList<Bildwort> teil = SpaltenLesungen(je, 4 * static_cast<std::size_t>(fortgesetzt.value(z)));
                if (!teil.isEmpty() && teil.first().konfidenz > MinGedreht && HatZiffer(teil.first().text) &&
                    std::count_if(teil.first().text.begin(), teil.first().text.end(), [](QChar c) { return c.isLetter(); }) >= 2)
                    continue;
                // nor does an unsure reading of it stand beside its part's
                lesungen.removeIf([](const Bildwort& l) { return l.konfidenz <= MinGedreht; });
            }
            if (lesungen.isEmpty())
                continue;
            // what the lines across made of single turned letters is no label; an unsure reading
            // alone does not say that the column is one (two stacked words in a bubble are read so)
            if (lesungen.first().konfidenz > MinGedreht)
                woerter.removeIf([&](const Wort& w) {
                    return zeilen[z].contains(w.wort.box.center()) && w.wort.box.height() < zeilen[z].height() / 2 &&
                           w.wort.box.width() <= zeilen[z].width() + 2;
                });
            const QRect tinte = SpaltenTinte(bild, fortsetzung, zeilen[z]);
            for (const Bildwort& l : lesungen)
                woerter << Wort{{l.text, tinte, l.konfidenz}, static_cast<double>(zeilen[z].width()), true, true};
        }
    }
    m_api->Clear();

    // A second look at ink left unread: the inside of a ring read as one large sign, the
    // space below a bubble's letters read without their number. Its words are never sure.
    {
        QList<Bildwort> bisher;
        for (const Wort& w : std::as_const(woerter))
            bisher << w.wort;
        const QList<QRect> bereiche = Nachlese::Bereiche(bisher, bild);
        std::vector<PixZeiger> nach;  // each region as black and white, then as grey
        QList<double> nachFaktoren;
        QList<int> nachPolstern;
        for (const QRect& b : bereiche) {
            // small letters need more pixels than the engine's comfortable size
            const double f = b.height() <= 36 ? Klein : NaeherVergroesserung;
            const int polster = static_cast<int>(std::lround(0.3 * b.height() * f));
            nachFaktoren << f;
            nachPolstern << polster;
            PixZeiger stueck = Ausschnitt(grau.get(), b);
            if (stueck) {
                std::vector<std::uint8_t> bytes = Bytes(stueck.get());
                Nachlese::RandTilgen(bytes, pixGetWidth(stueck.get()), pixGetHeight(stueck.get()));
                stueck = AusBytes(bytes, pixGetWidth(stueck.get()), pixGetHeight(stueck.get()));
            }
            PixZeiger gross{stueck ? pixScaleGrayLI(stueck.get(), static_cast<float>(f), static_cast<float>(f)) : nullptr};
            if (gross)
                gross = Gestreckt(gross.get(), polster);
            nach.push_back(gross ? SchwarzWeiss(gross.get()) : nullptr);
            nach.push_back(std::move(gross));
        }
        const std::vector<Blatt> nachBlaetter = legen(nach);
        std::vector<QList<Roh>> nachGelesen(nachBlaetter.size());
        std::vector<Lesebank::Stueck> nachAuftraege;
        zaehlen(Stufenzeiten::Nachlese, nach);
        for (std::size_t n = 0; n < nachBlaetter.size(); ++n)
            nachAuftraege.push_back([&, n](Texterkennung& e) {
                const std::int64_t vorher = ThreadNanos();
                e.BlattLesen(nachBlaetter[n].bild.get(), abbruch, nachGelesen[n]);
                g_artNanos[Stufenzeiten::Nachlese] += ThreadNanos() - vorher;
                g_artPixel[Stufenzeiten::Nachlese] +=
                    static_cast<std::int64_t>(pixGetWidth(nachBlaetter[n].bild.get())) * pixGetHeight(nachBlaetter[n].bild.get());
            });
        uhr.Ende(Auswertung);
        if (bank && !nachAuftraege.empty())
            bank->Verteilen(std::move(nachAuftraege), *this);
        else
            for (const auto& a : nachAuftraege)
                a(*this);
        uhr = Stoppuhr();
        if (unterbrochen())
            return t;
        const std::vector<QList<Roh>> je = zuordnen(nachBlaetter, nachGelesen, nach);
        for (qsizetype k = 0; k < bereiche.size(); ++k) {
            const double f = nachFaktoren[k];
            const QPointF ecke = QPointF(bereiche[k].topLeft()) - QPointF(nachPolstern[k], nachPolstern[k]) / f;
            // of the two preparations the one that fits best
            double beste = -1;
            QList<Wort> gewaehlt;
            for (std::size_t i = 2 * static_cast<std::size_t>(k); i < 2 * static_cast<std::size_t>(k) + 2; ++i) {
                const double g = Guete(je[i]);
                if (g <= beste)
                    continue;
                beste = g;
                gewaehlt.clear();
                for (const Roh& r : je[i])
                    gewaehlt << Wort{{r.text, Ganz(QRectF(ecke + r.box.topLeft() / f, r.box.size() / f)), r.konfidenz}, r.kappe / f};
            }
            QList<Bildwort> gelesenHier;
            for (const Wort& w : std::as_const(gewaehlt))
                gelesenHier << w.wort;
            for (const Bildwort& w : Nachlese::Uebernehmen(bereiche[k], gelesenHier, bisher)) {
                const auto it = std::find_if(gewaehlt.begin(), gewaehlt.end(), [&w](const Wort& v) { return v.wort.box == w.box; });
                woerter << Wort{w, it != gewaehlt.end() ? it->kappe : 0.0};
            }
        }
        m_api->Clear();
    }

    // Each box taken in to the ink of its letters: lines, pipes and frames
    // that touch a label stretch the engine's box, not the proposal.
    for (Wort& w : woerter)
        if (!w.tinteGemessen) {
            w.wort.box = bild.Tinte(w.wort.box, w.kappe, false);
            w.tinteGemessen = true;
        }
    // What is left at a box's ends that is no letter (a frame's side, a blurred line's halo,
    // a valve drawn after the text) does not move the corner either.
    const Tintenmass mass(bild.OhneZeichnung(), flaeche.width(), flaeche.height());
    for (Wort& w : woerter)
        w.wort.box = mass.Ende(w.wort.box, w.senkrecht);

    // Two words centred above each other inside one bubble or box are one
    // label: "FIC" over "1203" is FIC1203.
    const qsizetype einzeln = woerter.size();
    for (qsizetype i = 0; i < einzeln; ++i)
        for (qsizetype j = 0; j < einzeln; ++j) {
            const QRect& a = woerter[i].wort.box;
            const QRect& b = woerter[j].wort.box;
            if (i == j || b.top() <= a.top())
                continue;
            const int breit = std::max(a.width(), b.width()), hoch = std::max(a.height(), b.height());
            const int luecke = b.top() - a.bottom() - 1;
            if (std::abs(a.center().x() - b.center().x()) > 0.2 * breit + 3 || luecke < -2 || luecke > 1.5 * hoch ||
                hoch > 1.6 * std::min(a.height(), b.height()))
                continue;
            const QRect beide = a.united(b);
            if (bild.Umschlossen(beide))
                woerter << Wort{{woerter[i].wort.text + woerter[j].wort.text, beide,
                                 std::min(woerter[i].wort.konfidenz, woerter[j].wort.konfidenz)},
                                woerter[i].kappe, true};
        }

    for (const Wort& w : std::as_const(woerter))
        t.woerter << w.wort;
    uhr.Ende(Auswertung);
    return t;
}

QList<Texterkennung::Roh> Texterkennung::Woerter() const {
    QList<Roh> woerter;
    std::unique_ptr<tesseract::ResultIterator> it(m_api->GetIterator());
    if (!it)
        return woerter;
    Roh w;
    std::vector<int> hoehen;
    bool imWort = false;
    auto abschliessen = [&] {
        if (imWort && !w.text.isEmpty()) {
            if (!hoehen.empty()) {
                std::nth_element(hoehen.begin(), hoehen.begin() + static_cast<std::ptrdiff_t>(hoehen.size() / 2), hoehen.end());
                w.kappe = hoehen[hoehen.size() / 2];
            }
            woerter << w;
        }
        imWort = false;
    };
    do {
        if (it->IsAtBeginningOf(tesseract::RIL_WORD)) {
            abschliessen();
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
            int links = 0, oben = 0, rechts = 0, unten = 0;
            if (!text || !it->BoundingBox(tesseract::RIL_WORD, &links, &oben, &rechts, &unten))
                continue;
            w = Roh{QString::fromUtf8(text.get()).trimmed(), QRectF(QPointF(links, oben), QPointF(rechts, unten)),
                    it->Confidence(tesseract::RIL_WORD), 0};
            hoehen.clear();
            imWort = true;
        }
        int links = 0, oben = 0, rechts = 0, unten = 0;
        if (imWort && it->BoundingBox(tesseract::RIL_SYMBOL, &links, &oben, &rechts, &unten))
            hoehen.push_back(unten - oben);
    } while (it->Next(tesseract::RIL_SYMBOL));
    abschliessen();
    return woerter;
}
