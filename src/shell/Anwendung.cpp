#include "shell/Anwendung.h"

#include <QApplication>

namespace Anwendung {
void Einrichten() {
    QApplication::setApplicationName(QStringLiteral("Tavero"));
    QApplication::setApplicationVersion(QString::fromLatin1(Version));
}
}  // namespace Anwendung
