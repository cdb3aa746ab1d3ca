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
    };
    struct Inhalt {
        QList<Satz> saetze;   // blank lines and lines of empty fields left out
        QChar trenner;
        Kodierung kodierung = Kodierung::Utf8;
    };

    // UTF-8 with or without byte-order mark, else Windows-1252 (any text that is
    // not valid UTF-8); semicolon or comma as the first line uses them; quoted
    // fields with separators, doubled quotes and line breaks; CRLF, LF or CR.
    // Throws DateiFehler when a quote opened is never closed.
    static Inhalt Lesen(const QByteArray& daten, const QString& sName);
    // The file at sDatei (Windows or POSIX form); throws DateiFehler.
    static Inhalt DateiLesen(const QString& sDatei);

    // Writing for Excel: UTF-8 after a byte-order mark, ';' between fields, CRLF
    // after each line, a field quoted when it holds ';', '"', CR or LF.
    static QByteArray Marke();
    static constexpr char Trenner = ';';
    static void FeldAnhaengen(QByteArray& ziel, const char* utf8, qsizetype laenge);
    static void FeldAnhaengen(QByteArray& ziel, const QString& feld);
    static void ZeileAnhaengen(QByteArray& ziel, const QStringList& felder);
    static void ZeilenEnde(QByteArray& ziel) { ziel.append("\r\n", 2); }
};
