#pragma once
// The arrow assignments leave Tavero for the spreadsheet: Ident; Form; Symbol;
// X; Y; Alarmtext of all alarms or of one part of the selection tree, as CSV
// for Excel with German settings or as an Excel workbook. Values as stored:
// Symbol with its sub-folder, NULL as an empty cell.
#include <QString>
#include <QStringList>
#include <optional>

#include "alarms/AlarmdefsDurchlauf.h"

class Export {
public:
    enum class Format { Csv, Xlsx };
    // By the file's extension (.csv, .xlsx), without regard to case.
    static std::optional<Format> FormatNach(const QString& sDatei);
    static const QStringList& Spalten();

    // Writes the file (replacing it whole, never half) and returns the number of
    // alarms in it. Throws AlarmdefsFehler when the table cannot be read and
    // DateiFehler when the file cannot be written or has no known extension.
    static qsizetype Schreiben(const QString& sDatenbank, const QString& sDatei,
                               const AlarmdefsDurchlauf::Auswahl& auswahl = {});
    static qsizetype CsvSchreiben(const QString& sDatenbank, const QString& sDatei,
                                  const AlarmdefsDurchlauf::Auswahl& auswahl = {});
    static qsizetype XlsxSchreiben(const QString& sDatenbank, const QString& sDatei,
                                   const AlarmdefsDurchlauf::Auswahl& auswahl = {});
};
