#pragma once
// Moving a project's alarm table between an SQLite file and a server database,
// in either direction: the whole table Alarmdefs in one transaction, so the
// target holds all rows or none. The target's table is made when it has none
// (with a key on Ident when the numbers are unique); a target that holds rows
// already is replaced only when asked to.
#include <QString>

class Kopie {
public:
    struct Ergebnis {
        bool kopiert = false;
        qsizetype zeilen = 0;
        QString text;    // German: what was done, or why nothing was
        QString detail;  // the engine's words
    };
    // quelle and ziel: a file path, a link file or a server's address. A target
    // file that does not exist becomes a new SQLite database.
    static Ergebnis Kopieren(const QString& quelle, const QString& ziel, bool ersetzen);
    // The statement that makes the table on that engine.
    static QString TabelleAnlegenSql(bool server);
};
