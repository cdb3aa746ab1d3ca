#include "alarms/AlarmRecordLeser.h"

#include <QLocale>
#include <QSqlQuery>
#include <cstring>

#include <sqlite3.h>
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

QString AlarmRecordLeser::FeldText(int spalte, const QVariant& wert) const {
    if (!wert.isNull() && (wert.typeId() == QMetaType::LongLong || wert.typeId() == QMetaType::Int))
        return Zahl(wert.toLongLong());
    return AlarmRecordBau::FeldText(spalte, wert);
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
    SymbolKuerzen(feld[AlarmFeld::Symbol]);
    return r;
}

void AlarmRecordLeser::SymbolKuerzen(QString& symbol) {
    if (!symbol.contains(QLatin1Char('\\')))
        return;
    auto it = m_dateiNamen.constFind(symbol);
    if (it == m_dateiNamen.constEnd())
        it = m_dateiNamen.insert(symbol, AlarmRecordBau::SymbolDateiName(symbol));
    symbol = it.value();
}

AlarmRecord AlarmRecordLeser::Lesen(sqlite3_stmt* st) {
    AlarmRecord r(AlarmFeld::Anzahl);
    QString* feld = r.data();
    const int spalten = qMin(m_spalten, AlarmFeld::Spalten);
    for (int i = 0; i < spalten; ++i) {
        switch (sqlite3_column_type(st, i)) {
        case SQLITE_NULL:
            break;
        case SQLITE_INTEGER:
            feld[i] = Zahl(sqlite3_column_int64(st, i));
            break;
        case SQLITE_FLOAT:
            // the text Qt's driver gives a floating value
            feld[i] = QString::number(sqlite3_column_double(st, i), 'g', QLocale::FloatingPointShortest);
            break;
        default: {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            const int n = sqlite3_column_bytes(st, i);
            const auto s = static_cast<std::size_t>(i);
            // A column whose text changes row after row is converted without comparing.
            if (m_gleich[s] == 0 && m_wechsel[s] > 8) {
                feld[i] = QString::fromUtf8(text, n);
                break;
            }
            std::string& roh = m_letzteRoh[s];
            if (roh.size() == static_cast<std::size_t>(n) && std::memcmp(roh.data(), text, roh.size()) == 0) {
                ++m_gleich[s];
            } else {
                ++m_wechsel[s];
                roh.assign(text, static_cast<std::size_t>(n));
                m_letzte[s] = QString::fromUtf8(text, n);
            }
            feld[i] = m_letzte[s];
            break;
        }
        }
    }
    SymbolKuerzen(feld[AlarmFeld::Symbol]);
    return r;
}
