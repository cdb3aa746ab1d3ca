#pragma once
// Qt's own texts in German ("Abbrechen", "Suchen in:", "Details einblenden…"),
// whatever language the desktop speaks: every text of the program is German,
// and a dialog should not speak two languages.
#include <QString>

class QCoreApplication;

namespace Uebersetzung {
// Installs Qt's German translations on the application; false (and the
// program carries on in Qt's English) when Debian's qt6-translations-l10n is
// missing. sOrdner: where the .qm files lie; empty means Qt's own folder.
bool QtDeutschLaden(QCoreApplication& app, const QString& sOrdner = {});
}  // namespace Uebersetzung
