#pragma once
// A Wine-style prefix in a temporary folder: drive_c/windows, dosdevices/c:
// (drive_c) and d: (the folder "d" beside the prefix). WINEPREFIX and the
// program folder point into the temporary folder until Aufraeumen.
#include <QString>

class QTemporaryDir;

namespace TestPrefix {
// Returns the prefix folder.
QString Anlegen(const QTemporaryDir& dir);
void Aufraeumen();
// The default projects folder as a path of this system when it lies inside
// dir, otherwise the empty text.
QString ProjektOrdnerIn(const QTemporaryDir& dir);
}  // namespace TestPrefix
