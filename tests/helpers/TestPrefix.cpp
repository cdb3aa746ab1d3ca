#include "helpers/TestPrefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/MPfad.h"
#include "platform/WinUmgebung.h"

namespace TestPrefix {
QString Anlegen(const QTemporaryDir& dir) {
    const QString prefix = dir.filePath(QStringLiteral("prefix"));
    QDir().mkpath(prefix + QStringLiteral("/drive_c/windows"));
    QDir().mkpath(prefix + QStringLiteral("/dosdevices"));
    QDir().mkpath(dir.filePath(QStringLiteral("d")));
    QFile::link(prefix + QStringLiteral("/drive_c"), prefix + QStringLiteral("/dosdevices/c:"));
    QFile::link(dir.filePath(QStringLiteral("d")), prefix + QStringLiteral("/dosdevices/d:"));
    qputenv("WINEPREFIX", QFile::encodeName(prefix));
    WinUmgebung::ProgrammOrdnerSetzen(dir.path().toStdString());
    return prefix;
}

void Aufraeumen() { WinUmgebung::ProgrammOrdnerSetzen(std::string()); }

QString ProjektOrdnerIn(const QTemporaryDir& dir) {
    const QString s = QString::fromStdString(WinUmgebung::PfadAbbilden(MPfad::ProjektOrdner("") + "\\"));
    const QString klar = QDir::cleanPath(QFileInfo(s).absoluteFilePath());
    return klar.startsWith(QDir::cleanPath(dir.path())) ? klar : QString();
}
}  // namespace TestPrefix
