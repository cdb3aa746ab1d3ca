#include "werkzeuge/Texterkennung.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <mutex>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>
#include <leptonica/allheaders.h>

#ifdef TAVERO_OMP
#include <omp.h>
#endif

namespace {

// Labels of 11 to 13 pixels cap height are read reliably only twice as large;
// a larger factor reads worse and costs more.
constexpr double Vergroesserung = 2.0;
// Words that may be tags are looked at once more, three times as large.
constexpr double NaeherVergroesserung = 3.0;
// Above this many pixels a picture is enlarged less, so that memory stays bounded.
constexpr double MaxPixel = 40e6;
// Raised whenever the reading changes otherwise, so that kept results are read anew.
constexpr int Ueberarbeitung = 3;
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
    // Labels are dark on light ground: no second look at each line for inverted text.
    m_api->SetVariable("tessedit_do_invert", "0");
    // The pictures are screen bitmaps; told so, the engine reads their labels far better than at 192 or 300.
    m_api->SetVariable("user_defined_dpi", "96");
}

Texterkennung::~Texterkennung() {
    if (m_api)
        m_api->End();
}

QString Texterkennung::Leseart() {
    return QStringLiteral("tesseract %1 eng psm11 x%2 x%3 r%4")
        .arg(QString::fromLatin1(tesseract::TessBaseAPI::Version()))
        .arg(Vergroesserung)
        .arg(NaeherVergroesserung)
        .arg(Ueberarbeitung);
}

Bildtext Texterkennung::Lesen(const QString& datei, const std::atomic_bool* abbruch, bool* abgebrochen) {
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
    PixZeiger grau;
    if (PixZeiger roh{pixReadMem(reinterpret_cast<const l_uint8*>(inhalt.constData()), static_cast<size_t>(inhalt.size()))})
        grau.reset(pixConvertTo8(roh.get(), 0));
    if (!grau) {
        t.fehler = QStringLiteral("Das Bild %1 lässt sich nicht lesen: es ist keine Bilddatei oder beschädigt.").arg(datei);
        return t;
    }
    const QRect flaeche(0, 0, pixGetWidth(grau.get()), pixGetHeight(grau.get()));
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
    const int erkannt = m_api->Recognize(&waechter);
    if (unterbrochen())
        return t;
    if (erkannt != 0) {
        m_api->Clear();
        t.fehler = QStringLiteral("Die Texterkennung konnte das Bild %1 nicht lesen.").arg(datei);
        return t;
    }
    t.woerter = Woerter([faktor](const QRectF& r) {
        return QRectF(r.topLeft() / faktor, r.bottomRight() / faktor);
    });

    // A closer look at every word that could be a tag: small labels lose a
    // letter now and then ("LT" read as "T"); read once more, larger still and
    // without the drawing around them, they are read whole. All such words go
    // below each other onto one sheet, so the engine is started once.
    QList<QRect> ausschnitte;
    for (const Bildwort& w : std::as_const(t.woerter))
        if (w.text.size() <= 16 && std::any_of(w.text.begin(), w.text.end(), [](QChar c) { return c.isDigit(); })) {
            const int h = w.box.height();
            const QRect a = w.box.adjusted(-h, -h / 2, h, h / 2).intersected(flaeche);
            if (!a.isEmpty())
                ausschnitte << a;
        }
    QList<Bildwort> zweite;
    // a sheet stays within what the engine handles comfortably; a crowded picture gets several
    constexpr int Rand = 20, Abstand = 24, MaxHoehe = 30000;
    for (qsizetype erster = 0; erster < ausschnitte.size();) {
        QList<QRect> teil;
        QList<int> oben;
        int hoehe = Rand, breite = 0;
        for (; erster < ausschnitte.size() && (teil.isEmpty() || hoehe < MaxHoehe); ++erster) {
            const QRect& a = ausschnitte[erster];
            teil << a;
            oben << hoehe;
            hoehe += qRound(a.height() * NaeherVergroesserung) + Abstand;
            breite = std::max(breite, qRound(a.width() * NaeherVergroesserung) + 2 * Rand);
        }
        {
            const PixZeiger blatt{pixCreate(breite, hoehe, 8)};
            if (!blatt)
                break;
            pixSetAll(blatt.get());  // white
            for (int i = 0; i < teil.size(); ++i) {
                const std::unique_ptr<Box, BoxLoeschen> box{boxCreate(teil[i].x(), teil[i].y(), teil[i].width(), teil[i].height())};
                const PixZeiger stueck{pixClipRectangle(grau.get(), box.get(), nullptr)};
                const PixZeiger gross{stueck ? pixScaleGrayLI(stueck.get(), NaeherVergroesserung, NaeherVergroesserung) : nullptr};
                if (gross)
                    pixRasterop(blatt.get(), Rand, oben[i], pixGetWidth(gross.get()), pixGetHeight(gross.get()), PIX_SRC,
                                gross.get(), 0, 0);
            }
            m_api->SetImage(blatt.get());
        }
        const int naeher = m_api->Recognize(&waechter);
        if (unterbrochen())
            return t;
        // a sheet the engine cannot read adds nothing; the first reading stands
        if (naeher == 0)
            zweite << Woerter([&](const QRectF& r) -> std::optional<QRectF> {
                // back to the picture through the cut-out the word lies in
                const double mitte = r.center().y();
                for (int i = 0; i < teil.size(); ++i)
                    if (mitte >= oben[i] && mitte < oben[i] + teil[i].height() * NaeherVergroesserung)
                        return QRectF(teil[i].topLeft() + (r.topLeft() - QPointF(Rand, oben[i])) / NaeherVergroesserung,
                                      r.size() / NaeherVergroesserung);
                return std::nullopt;
            });
    }
    m_api->Clear();
    // the second reading adds only what was not read at that place already
    for (const Bildwort& w : std::as_const(zweite))
        if (std::none_of(t.woerter.begin(), t.woerter.end(),
                         [&w](const Bildwort& v) { return v.text == w.text && v.box.intersects(w.box); }))
            t.woerter << w;
    return t;
}

QList<Bildwort> Texterkennung::Woerter(const std::function<std::optional<QRectF>(const QRectF&)>& aufsBild) const {
    QList<Bildwort> woerter;
    std::unique_ptr<tesseract::ResultIterator> it(m_api->GetIterator());
    if (!it)
        return woerter;
    do {
        std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
        int links = 0, oben = 0, rechts = 0, unten = 0;
        if (!text || !it->BoundingBox(tesseract::RIL_WORD, &links, &oben, &rechts, &unten))
            continue;
        Bildwort w;
        w.text = QString::fromUtf8(text.get()).trimmed();
        const auto box = aufsBild(QRectF(QPointF(links, oben), QPointF(rechts, unten)));
        if (w.text.isEmpty() || !box)
            continue;
        const int l = static_cast<int>(std::floor(box->left())), o = static_cast<int>(std::floor(box->top()));
        w.box = QRect(l, o, static_cast<int>(std::ceil(box->right())) - l, static_cast<int>(std::ceil(box->bottom())) - o);
        w.konfidenz = it->Confidence(tesseract::RIL_WORD);
        woerter << w;
    } while (it->Next(tesseract::RIL_WORD));
    return woerter;
}
