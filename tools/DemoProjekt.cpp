// Placeholder until the demo generator lands.
#include "DemoProjekt.h"

bool DemoProjekt::Erzeugen(const DemoOptionen&, QString* fehler) {
    if (fehler) *fehler = QStringLiteral("Demo-Generator noch nicht gebaut");
    return false;
}
QString DemoProjekt::Prefix(const QString& out) { return out + QStringLiteral("/prefix"); }
QString DemoProjekt::ProjektOrdner(const QString& out) { return Prefix(out) + QStringLiteral("/drive_c/Projekte/Demo"); }
QString DemoProjekt::Datenbank(const QString& out) { return ProjektOrdner(out) + QStringLiteral("/Demo.kvs"); }
QStringList DemoProjekt::BildNamen(int) { return {}; }
QStringList DemoProjekt::SymbolNamen() { return {}; }
