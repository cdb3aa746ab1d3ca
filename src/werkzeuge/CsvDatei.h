#pragma once
// Character-separated files as RFC 4180 describes them and as Excel with German
// settings writes and reads them. Reading never interprets a field: each stays
// the text it was, and it is the caller's to check.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class CsvDatei {
public:
    enum class Kodierung { Utf8MitMarke, Utf8, Windows1252 };

    struct Satz {
        int zeile = 0;        // the row a spreadsheet shows it in: the first line is 1, blank lines count
        QStringList felder;
        // Fields whose text is not sure: it would read otherwise in the other
        // encoding the file could be in, or it holds bytes that are no text in
        // its own (U+FFFD stands for them).
        QList<qsizetype> unsicher;
        bool Unsicher(qsizetype feld) const { return unsicher.contains(feld); }
    };
    struct Inhalt {
        QList<Satz> saetze;   // blank lines and lines of empty fields left out
        QChar trenner;
        Kodierung kodierung = Kodierung::Utf8;
    };

    // UTF-8 with or without byte-order mark, else Windows-1252 (any text that is
    // not valid UTF-8), decided once for the whole file; a field that is valid
    // UTF-8 with letters beyond ASCII in a Windows-1252 file, or that holds bytes
    // that are no UTF-8 in a UTF-8 file, is marked unsicher; semicolon or comma
    // as the first line uses them; quoted
    // fields with separators, doubled quotes and line breaks; CRLF, LF or CR.
    // Throws DateiFehler when a quote opened is never closed.
    static Inhalt Lesen(const QByteArray& daten, const QString& sName);
    // The file at sDatei (Windows or POSIX form); throws DateiFehler.
    static Inhalt DateiLesen(const QString& sDatei);
    // A file's bytes (Windows or POSIX path); DateiFehler when it cannot be read.
    static QByteArray DateiInhalt(const QString& sDatei);

    // Writing for Excel: UTF-8 after a byte-order mark, ';' between fields, CRLF
    // after each line, a field quoted when it holds ';', '"', CR or LF. A text
    // a spreadsheet would take as a formula (=, +, -, @ first) or turn into a
    // number, date or truth value (1-2, 007, 1e5, WAHR) is written as the
    // formula of a text constant, ="1-2", so it shows as the text it is.
    static QByteArray Marke();
    static constexpr char Trenner = ';';
    static void FeldAnhaengen(QByteArray& ziel, const char* utf8, qsizetype laenge);
    static void FeldAnhaengen(QByteArray& ziel, const QString& feld);
    static void ZeileAnhaengen(QByteArray& ziel, const QStringList& felder);
    static void ZeilenEnde(QByteArray& ziel) { ziel.append("\r\n", 2); }
    // One field as it is written, quotes included where needed.
    static QString Feld(const QString& text);

    // Whether a spreadsheet would not show the text as it is.
    static bool Schuetzen(const QString& text);
    // ="…" (with &"…" after every 255 characters, a spreadsheet's limit of a
    // text constant), inner quotes doubled.
    static QString Geschuetzt(const QString& text);
    // A field read back: ="…" as Geschuetzt writes it gives its text, any other
    // field stays as it is.
    static QString Klartext(const QString& feld);

private:
    // The field as it stands, quoted where needed.
    static void FeldRoh(QByteArray& ziel, const char* utf8, qsizetype laenge);
};
