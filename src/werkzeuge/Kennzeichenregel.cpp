#include "werkzeuge/Kennzeichenregel.h"

Kennzeichenregel::Kennzeichenregel(const QString& muster) : m_muster(muster) {
    if (muster.isEmpty())
        return;
    m_ausdruck.setPattern(muster);
    if (!m_ausdruck.isValid())
        m_fehler = QStringLiteral("Das Muster \"%1\" ist kein gültiger regulärer Ausdruck (Stelle %2: %3).")
                       .arg(muster)
                       .arg(m_ausdruck.patternErrorOffset() + 1)
                       .arg(m_ausdruck.errorString());
}

QString Kennzeichenregel::Kennzeichen(const QString& varName) const {
    const QString name = varName.trimmed();
    if (!Gueltig())
        return {};
    if (m_muster.isEmpty()) {
        qsizetype ende = name.size();
        for (const QChar c : {QLatin1Char('_'), QLatin1Char('.')}) {
            const qsizetype n = name.indexOf(c);
            if (n >= 0 && n < ende)
                ende = n;
        }
        return name.left(ende).trimmed();
    }
    const QRegularExpressionMatch m = m_ausdruck.match(name);
    if (!m.hasMatch())
        return {};
    if (m_ausdruck.captureCount() >= 1 && m.capturedStart(1) >= 0)
        return m.captured(1).trimmed();
    return m.captured(0).trimmed();
}
