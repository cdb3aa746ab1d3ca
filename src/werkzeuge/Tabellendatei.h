#pragma once
// The files an import reads besides CSV: what the export writes and what
// spreadsheets save. XLSX (the first worksheet, unpacked with zlib and read
// with Qt's XML stream reader), tab-separated text, and UTF-16 text with or
// without byte-order mark ("Unicode-Text" of a spreadsheet, tab-separated).
// Everything else goes to the CSV reader; a binary file that is none of these
// is refused with the list of formats read.
#include <QByteArray>
#include <QString>

#include "werkzeuge/CsvDatei.h"

class Tabellendatei {
public:
    enum class Format { Csv, Tabulator, Utf16, Xlsx, Unbekannt };

    // The file at sDatei (Windows or POSIX form); throws DateiFehler.
    static CsvDatei::Inhalt DateiLesen(const QString& sDatei);
    // The same from the file's bytes (sName for messages).
    static CsvDatei::Inhalt Lesen(const QByteArray& daten, const QString& sName);
    static Format FormatErkennen(const QByteArray& daten);
    // German, for the refusal: which formats are read.
    static QString GeleseneFormate();

    // Only the first worksheet; cells as the sheet shows their values (shared
    // and inline texts, numbers as written). Throws DateiFehler.
    static CsvDatei::Inhalt XlsxLesen(const QByteArray& daten, const QString& sName);
    // Fields separated by tabs; quoted fields as spreadsheets write them.
    static CsvDatei::Inhalt TextLesen(const QString& text, QChar trenner);
};
