#include "shell/Uebersetzung.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Uebersetzung {

bool QtDeutschLaden(QCoreApplication& app, const QString& sOrdner) {
    const QString ordner = sOrdner.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : sOrdner;
    // The translator lives as long as the application; it is its child.
    auto* t = new QTranslator(&app);
    // "qt_de" pulls in qtbase_de and the other modules' files it names.
    if (!t->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qt"), QStringLiteral("_"), ordner)) {
        delete t;
        return false;
    }
    return QCoreApplication::installTranslator(t);
}

}  // namespace Uebersetzung
