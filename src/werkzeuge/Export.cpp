#include "werkzeuge/Export.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <filesystem>
#include <string>
#include <system_error>

#include <xlsxwriter.h>

#include "platform/WinUmgebung.h"
#include "werkzeuge/CsvDatei.h"
#include "werkzeuge/DateiFehler.h"

namespace {
using Wert = AlarmdefsDurchlauf::Wert;

QString Abbilden(const QString& winPfad) {
    return QString::fromStdString(WinUmgebung::PfadAbbilden(winPfad.toStdString()));
}

[[noreturn]] void NichtSchreibbar(const QString& sDatei, const QString& grund = {}) {
    throw DateiFehler(QStringLiteral("Die Datei %1 lässt sich nicht schreiben%2.")
                          .arg(sDatei, grund.isEmpty() ? QString() : QStringLiteral(" (") + grund + QLatin1Char(')')));
}
}  // namespace

std::optional<Export::Format> Export::FormatNach(const QString& sDatei) {
    if (sDatei.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return Format::Csv;
    if (sDatei.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return Format::Xlsx;
    return std::nullopt;
}

const QStringList& Export::Spalten() {
    static const QStringList spalten = {QStringLiteral("Ident"), QStringLiteral("Form"), QStringLiteral("Symbol"),
                                        QStringLiteral("X"),     QStringLiteral("Y"),    QStringLiteral("Alarmtext")};
    return spalten;
}

qsizetype Export::Schreiben(const QString& sDatenbank, const QString& sDatei, const AlarmdefsDurchlauf::Auswahl& auswahl) {
    const auto format = FormatNach(sDatei);
    if (!format)
        throw DateiFehler(QStringLiteral("Die Datei %1 hat keine bekannte Endung; Tavero schreibt .csv und .xlsx.").arg(sDatei));
    return *format == Format::Csv ? CsvSchreiben(sDatenbank, sDatei, auswahl) : XlsxSchreiben(sDatenbank, sDatei, auswahl);
}

qsizetype Export::CsvSchreiben(const QString& sDatenbank, const QString& sDatei, const AlarmdefsDurchlauf::Auswahl& auswahl) {
    QSaveFile datei(Abbilden(sDatei));
    if (!datei.open(QIODevice::WriteOnly))
        NichtSchreibbar(sDatei, datei.errorString());
    constexpr qsizetype kPuffer = 1 << 20;
    QByteArray puffer = CsvDatei::Marke();
    puffer.reserve(kPuffer + 4096);
    CsvDatei::ZeileAnhaengen(puffer, Spalten());
    bool schreibFehler = false;
    qsizetype zeilen = 0;
    // a failed write is remembered and the pass read to its end: the old file stays
    AlarmdefsDurchlauf::Lesen(sDatenbank, Spalten(), auswahl, [&](const Wert* w) {
        for (int i = 0; i < 6; ++i) {
            if (i)
                puffer.append(CsvDatei::Trenner);
            if (w[i].art == Wert::Art::Text)
                CsvDatei::FeldAnhaengen(puffer, w[i].text, w[i].laenge);
            else if (w[i].art == Wert::Art::Kommazahl)
                // German settings read a decimal comma; "120.5" could become a date
                CsvDatei::FeldAnhaengen(puffer, w[i].Text().replace(QLatin1Char('.'), QLatin1Char(',')));
            else
                w[i].Anhaengen(puffer);
        }
        CsvDatei::ZeilenEnde(puffer);
        ++zeilen;
        if (puffer.size() >= kPuffer) {
            schreibFehler = schreibFehler || datei.write(puffer) != puffer.size();
            puffer.resize(0);
        }
    });
    if (schreibFehler || datei.write(puffer) != puffer.size() || !datei.commit())
        NichtSchreibbar(sDatei, datei.errorString());
    return zeilen;
}

qsizetype Export::XlsxSchreiben(const QString& sDatenbank, const QString& sDatei, const AlarmdefsDurchlauf::Auswahl& auswahl) {
    const QString ziel = Abbilden(sDatei);
    const QFileInfo info(ziel);
    if (!info.absoluteDir().exists())
        NichtSchreibbar(sDatei, QStringLiteral("der Ordner fehlt"));
    // The library writes its file when closed; it is written beside the target
    // and renamed over it, so a failed export leaves the old file whole. The
    // name is new each time and made by us (exclusively), so two exports to one
    // target and a link planted under a known name change nothing else.
    QTemporaryFile vorlage(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX.neu"));
    vorlage.setAutoRemove(false);
    if (!vorlage.open())
        NichtSchreibbar(sDatei, vorlage.errorString());
    const QString neu = vorlage.fileName();
    vorlage.close();
    const QByteArray neuName = QFile::encodeName(neu);
    lxw_workbook_options optionen{};
    optionen.constant_memory = LXW_TRUE;  // rows go to disk as they come: a million rows stay small
    lxw_workbook* buch = workbook_new_opt(neuName.constData(), &optionen);
    if (!buch) {
        QFile::remove(neu);
        NichtSchreibbar(sDatei);
    }
    struct Buch {
        lxw_workbook* buch;
        QString datei;
        bool offen = true;
        lxw_error Schliessen() {
            offen = false;
            return workbook_close(buch);
        }
        ~Buch() {
            if (offen) {
                workbook_close(buch);
                QFile::remove(datei);
            }
        }
    } halter{buch, neu};
    lxw_worksheet* blatt = workbook_add_worksheet(buch, "Alarme");
    lxw_format* fett = workbook_add_format(buch);
    format_set_bold(fett);
    const double breiten[6] = {10, 18, 26, 8, 8, 50};
    for (lxw_col_t c = 0; c < 6; ++c)
        worksheet_set_column(blatt, c, c, breiten[c], nullptr);
    worksheet_freeze_panes(blatt, 1, 0);
    for (lxw_col_t c = 0; c < 6; ++c)
        worksheet_write_string(blatt, 0, c, Spalten().at(c).toUtf8().constData(), fett);

    lxw_row_t zeile = 0;
    std::string text;
    lxw_error fehler = LXW_NO_ERROR;
    AlarmdefsDurchlauf::Lesen(sDatenbank, Spalten(), auswahl, [&](const Wert* w) {
        ++zeile;
        if (fehler != LXW_NO_ERROR)
            return;
        if (zeile >= LXW_ROW_MAX) {
            fehler = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
            return;
        }
        for (lxw_col_t c = 0; c < 6 && fehler == LXW_NO_ERROR; ++c) {
            const Wert& v = w[c];
            switch (v.art) {
            case Wert::Art::Null:
                break;  // an empty cell
            case Wert::Art::Zahl:
                fehler = worksheet_write_number(blatt, zeile, c, static_cast<double>(v.zahl), nullptr);
                break;
            case Wert::Art::Kommazahl:
                fehler = worksheet_write_number(blatt, zeile, c, v.kommazahl, nullptr);
                break;
            case Wert::Art::Text:
                text.assign(v.text, static_cast<std::size_t>(v.laenge));
                fehler = worksheet_write_string(blatt, zeile, c, text.c_str(), nullptr);
                break;
            }
        }
    });
    if (fehler == LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE)
        NichtSchreibbar(sDatei, QStringLiteral("mehr Alarme, als ein Excel-Blatt Zeilen hat"));
    if (fehler != LXW_NO_ERROR)
        NichtSchreibbar(sDatei, QString::fromUtf8(lxw_strerror(fehler)));
    const lxw_error geschlossen = halter.Schliessen();
    if (geschlossen != LXW_NO_ERROR) {
        QFile::remove(neu);
        NichtSchreibbar(sDatei, QString::fromUtf8(lxw_strerror(geschlossen)));
    }
    // the temporary file is the owner's alone; the export gets the rights the file had, or the usual ones
    QFile::setPermissions(neu, info.exists() ? QFile::permissions(ziel)
                                             : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                                                   QFile::ReadGroup | QFile::ReadOther);
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(neuName.toStdString()), std::filesystem::path(QFile::encodeName(ziel).toStdString()), ec);
    if (ec) {
        QFile::remove(neu);
        NichtSchreibbar(sDatei, QString::fromLocal8Bit(ec.message().c_str()));
    }
    return static_cast<qsizetype>(zeile);
}
