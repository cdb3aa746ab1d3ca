#include "alarms/AlarmRecordLeser.h"

#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace {
// Positions, help indexes and flags of a picture's alarms lie below this.
constexpr int kGeteilteZahlen = 4096;
constexpr int kStellen = 5;  // four digits and the final zero

// The texts of 0 .. kGeteilteZahlen - 1, made once and kept for the program's
// whole life (never freed, so no copy can outlive it). Strings on this table
// are neither allocated nor reference-counted when copied.
const char16_t* ZahlenTafel() {
    static const char16_t* const tafel = [] {
        auto* t = new char16_t[static_cast<std::size_t>(kGeteilteZahlen * kStellen)]();
        for (int n = 0; n < kGeteilteZahlen; ++n) {
            const QString s = QString::number(n);
            std::copy(s.utf16(), s.utf16() + s.size(), t + n * kStellen);
        }
        return t;
    }();
    return tafel;
}
}  // namespace

AlarmRecordLeser::AlarmRecordLeser(int spalten) : m_spalten(spalten), m_zahlen(ZahlenTafel()) {}

QString AlarmRecordLeser::Zahl(qlonglong n) const {
    if (n < 0 || n >= kGeteilteZahlen)
        return QString::number(n);
    const qsizetype stellen = n < 10 ? 1 : n < 100 ? 2 : n < 1000 ? 3 : 4;
    return QString::fromRawData(reinterpret_cast<const QChar*>(m_zahlen + n * kStellen), stellen);
}

AlarmRecord AlarmRecordLeser::Lesen(const QSqlQuery& q) {
    AlarmRecord r(AlarmFeld::Anzahl);
    QString* feld = r.data();
    const int spalten = qMin(m_spalten, AlarmFeld::Spalten);
    for (int i = 0; i < spalten; ++i) {
        const QVariant v = q.value(i);
        if (v.isNull())
            continue;
        switch (v.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
            feld[i] = Zahl(v.toLongLong());
            break;
        default: {
            // a text equal to the one above it (the picture name of every row) is shared
            QString& oben = m_letzte[static_cast<std::size_t>(i)];
            QString text = v.toString();
            if (text != oben)
                oben = std::move(text);
            feld[i] = oben;
            break;
        }
        }
    }
    QString& symbol = feld[AlarmFeld::Symbol];
    if (symbol.contains(QLatin1Char('\\'))) {
        auto it = m_dateiNamen.constFind(symbol);
        if (it == m_dateiNamen.constEnd())
            it = m_dateiNamen.insert(symbol, AlarmRecordBau::SymbolDateiName(symbol));
        symbol = it.value();
    }
    return r;
}
