#include "alarms/Konfiguration.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include "alarms/Datenbankadresse.h"

#include "platform/MDatei.h"
#include "platform/MIni.h"
#include "platform/WinUmgebung.h"

namespace Konfiguration {

QString Wert(const QString& sBereich, const QString& sEintrag, const QString& sIniPath) {
    return QString::fromStdString(
        MIni::IniLeseWert(sBereich.toStdString(), sEintrag.toStdString(), std::string(), sIniPath.toStdString()));
}

QString NamensTeil(const QString& sWert) {
    const qsizetype n = sWert.lastIndexOf(QLatin1Char('\\'));
    return n < 0 ? sWert : sWert.mid(n + 1);
}

QStringList ListeLesen(const QString& sBereich, const QString& sEndung, const QString& sIniPath) {
    // The entries 1, 2, ... up to the first empty one, looked up in the section
    // read once, so that a list of thousands costs one pass over the file.
    QHash<QString, QString> werte;
    for (const auto& [schluessel, wert] : MIni::IniLeseAbschnitt(sBereich.toStdString(), sIniPath.toStdString()))
        werte.insert(QString::fromStdString(schluessel).toCaseFolded(), QString::fromStdString(wert));
    const QString endung = sEndung.toCaseFolded();
    QStringList liste;
    for (int n = 1; n <= MaxEintraege; ++n) {
        const QString w = werte.value(QString::number(n) + endung);
        if (w.isEmpty())
            break;
        liste << NamensTeil(w);
    }
    return liste;
}

QStringList SymbolListeLesen(const QString& sIniPath) {
    return ListeLesen(QStringLiteral("Arrow"), QStringLiteral("Symbol"), sIniPath);
}
QStringList BilderListeLesen(const QString& sIniPath) {
    return ListeLesen(QStringLiteral("Picture"), QStringLiteral("Pic"), sIniPath);
}

QString OhneEndung(const QString& sName) { return sName.size() <= 4 ? sName : sName.left(sName.size() - 4); }

QString DatenbankPfad(const QString& sPath, const QString& sName) {
    return sPath + QStringLiteral("\\") + sName.mid(1) + QStringLiteral(".kvs");
}

namespace {
QString g_systemOrdner = QStringLiteral("/etc/tavero");
}

QStringList IniOrte() {
    QStringList orte{QString::fromStdString(WinUmgebung::ProgrammOrdner()) + QStringLiteral("\\Tavero\\Tavero.ini")};
#ifndef _WIN32
    // An installed program lies in /usr/bin, where no settings belong.
    orte << QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/tavero/Tavero.ini")
         << g_systemOrdner + QStringLiteral("/Tavero.ini");
#endif
    return orte;
}

QString StandardIniPfad() {
    const QStringList orte = IniOrte();
    for (const QString& ort : orte)
        if (Vorhanden(ort))
            return ort;
    return orte.first();
}

void SystemOrdnerSetzen(const QString& sOrdner) { g_systemOrdner = sOrdner; }

QString DateiOrdner(const QString& sDatenbank) {
    if (!sDatenbank.isEmpty() && !Datenbankadresse(sDatenbank).IstServer()) {
        const QFileInfo datei(QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString())));
        if (datei.dir().exists())
            return datei.absolutePath();
    }
    return QDir::homePath();
}

bool Vorhanden(const QString& sPfad) { return !sPfad.isEmpty() && MDatei::DateiVorhanden(sPfad.toStdString()); }

}  // namespace Konfiguration
