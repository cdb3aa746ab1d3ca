// tavero-kopie QUELLE ZIEL [--ersetzen]: the table Alarmdefs between an SQLite
// file and a PostgreSQL database, in either direction.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "werkzeuge/Kopie.h"

namespace {
const char* const HILFE =
    "Aufruf: tavero-kopie QUELLE ZIEL [--ersetzen]\n"
    "Kopiert die Tabelle Alarmdefs von QUELLE nach ZIEL in einer Transaktion.\n"
    "QUELLE und ZIEL: eine Alarmdatenbank (.kvs), eine Verweisdatei oder eine Serveradresse\n"
    "postgresql://benutzer@rechner:port/datenbank (das Passwort kommt aus PGPASSWORD oder ~/.pgpass).\n"
    "Eine ZIEL-Datei, die es nicht gibt, wird als SQLite-Datenbank angelegt. Ein ZIEL mit Zeilen\n"
    "wird nur mit --ersetzen überschrieben.\n";

void Ausgeben(FILE* ziel, const QString& text) {
    std::fputs(text.toUtf8().constData(), ziel);
    std::fputc('\n', ziel);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(HILFE, stdout);
        return 0;
    }
    const bool ersetzen = args.removeAll(QStringLiteral("--ersetzen")) > 0;
    if (args.size() != 2) {
        std::fputs(HILFE, stderr);
        return 2;
    }
    const Kopie::Ergebnis e = Kopie::Kopieren(args.at(0), args.at(1), ersetzen);
    Ausgeben(e.kopiert ? stdout : stderr, e.text);
    if (!e.detail.isEmpty())
        Ausgeben(stderr, e.detail);
    return e.kopiert ? 0 : 1;
}
