#include "werkzeuge/Texterkennung.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <cmath>
#include <mutex>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#ifdef TAVERO_OMP
#include <omp.h>
#endif

namespace {

// Labels of 11 to 13 pixels cap height are read reliably only twice as large;
// a larger factor reads worse and costs more.
constexpr double Vergroesserung = 2.0;
// Above this many pixels a picture is enlarged less, so that memory stays bounded.
constexpr double MaxPixel = 40e6;
// Tags are letters and digits with a few joining signs; the blank keeps words apart.
const char* const Zeichen = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_. ";

#ifdef _WIN32
const char* const Nirgends = "NUL";
#else
const char* const Nirgends = "/dev/null";
#endif

bool Abbrechen(void* abbruch, int) { return abbruch && static_cast<const std::atomic_bool*>(abbruch)->load(); }

}  // namespace

Texterkennung::Texterkennung() : m_api(std::make_unique<tesseract::TessBaseAPI>()) {
    // The engine's notes ("Empty page!!") are of no use to the user. The setting
    // is one for the whole process, so it is made once, before any engine reads it.
    static std::once_flag einmal;
    std::call_once(einmal, [this] { m_api->SetVariable("debug_file", Nirgends); });
    if (m_api->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
        m_fehler = QStringLiteral("Die Texterkennung lässt sich nicht starten: die englischen Sprachdaten von "
                                  "Tesseract fehlen (Paket tesseract-ocr-eng).");
        return;
    }
    m_api->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
    m_api->SetVariable("tessedit_char_whitelist", Zeichen);
    // No second pass over each line looking for light text on dark ground: it doubles the time.
    m_api->SetVariable("tessedit_do_invert", "0");
    m_api->SetVariable("user_defined_dpi", "96");
}

Texterkennung::~Texterkennung() {
    if (m_api)
        m_api->End();
}

QString Texterkennung::Leseart() {
    return QStringLiteral("tesseract %1 eng psm11 x%2 %3")
        .arg(QString::fromLatin1(tesseract::TessBaseAPI::Version()))
        .arg(Vergroesserung)
        .arg(QString::fromLatin1(Zeichen).size());
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
    if (!QFileInfo(datei).isFile()) {
        t.fehler = QStringLiteral("Das Bild %1 fehlt.").arg(datei);
        return t;
    }
    QImageReader leser(datei);
    QImage bild = leser.read();
    if (bild.isNull()) {
        t.fehler = QStringLiteral("Das Bild %1 lässt sich nicht lesen: %2").arg(datei, leser.errorString());
        return t;
    }
    const double pixel = static_cast<double>(bild.width()) * bild.height();
    const double faktor = std::max(1.0, std::min(Vergroesserung, std::sqrt(MaxPixel / pixel)));
    QImage grau = bild.convertToFormat(QImage::Format_Grayscale8);
    bild = QImage();
    if (faktor > 1.0)
        grau = grau.scaled(qRound(grau.width() * faktor), qRound(grau.height() * faktor), Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);
#ifdef TAVERO_OMP
    // Each picture is one thread's work; the engine's own threads would only compete with the other pictures.
    omp_set_max_active_levels(0);
#endif
    m_api->SetImage(grau.constBits(), grau.width(), grau.height(), 1, static_cast<int>(grau.bytesPerLine()));
    grau = QImage();
    tesseract::ETEXT_DESC waechter;
    waechter.cancel = &Abbrechen;
    waechter.cancel_this = const_cast<std::atomic_bool*>(abbruch);
    const int erkannt = m_api->Recognize(&waechter);
    if (abbruch && abbruch->load()) {
        m_api->Clear();
        if (abgebrochen)
            *abgebrochen = true;
        return t;
    }
    if (erkannt != 0) {
        m_api->Clear();
        t.fehler = QStringLiteral("Die Texterkennung konnte das Bild %1 nicht lesen.").arg(datei);
        return t;
    }
    std::unique_ptr<tesseract::ResultIterator> it(m_api->GetIterator());
    if (it) {
        do {
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
            int links = 0, oben = 0, rechts = 0, unten = 0;
            if (!text || !it->BoundingBox(tesseract::RIL_WORD, &links, &oben, &rechts, &unten))
                continue;
            Bildwort w;
            w.text = QString::fromUtf8(text.get()).trimmed();
            if (w.text.isEmpty())
                continue;
            const int l = static_cast<int>(std::floor(links / faktor)), o = static_cast<int>(std::floor(oben / faktor));
            w.box = QRect(l, o, static_cast<int>(std::ceil(rechts / faktor)) - l,
                          static_cast<int>(std::ceil(unten / faktor)) - o);
            w.konfidenz = it->Confidence(tesseract::RIL_WORD);
            t.woerter << w;
        } while (it->Next(tesseract::RIL_WORD));
    }
    m_api->Clear();
    return t;
}
