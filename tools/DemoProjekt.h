#pragma once
// Writes a complete, realistic demo HMI project: a Wine-style prefix with the
// project registrations, Korvant.ini, the project folder with an SQLite alarm
// database Demo.kvs and Demo.kvi, drawn plant pictures, arrow symbols, and
// Tavero/Tavero.ini in the program folder.
#include <QString>
#include <QStringList>

struct DemoOptionen {
    QString out;               // target folder; receives prefix/
    int alarms = 2000;         // rows of Alarmdefs
    int pictures = 6;          // number of alarm pictures
    unsigned seed = 1;
    QString programmOrdner;    // folder that receives Tavero/Tavero.ini; empty: the program folder
    bool bilderZeichnen = true;  // false: tiny pictures (fast, for tests and benchmarks)
};

class DemoProjekt {
public:
    // Returns false with a German reason in *fehler.
    static bool Erzeugen(const DemoOptionen& opt, QString* fehler = nullptr);

    // Where things lie inside a generated project (POSIX paths).
    static QString Prefix(const QString& out);             // out/prefix
    static QString ProjektOrdner(const QString& out);      // prefix/drive_c/Projekte/Demo
    static QString Datenbank(const QString& out);          // .../Demo.kvs
    // Names of the generated pictures (with ".bmp") and symbols, in configuration order.
    static QStringList BildNamen(int pictures);
    static QStringList SymbolNamen();
};
