#include "alarms/AlarmRecord.h"

#include <QSqlRecord>
#include <QVariant>

namespace AlarmRecordBau {

const QStringList& SpaltenNamen() {
    static const QStringList namen = {
        QStringLiteral("Ident"),    QStringLiteral("Type"),      QStringLiteral("Acknowledge"),
        QStringLiteral("VarName"),  QStringLiteral("BitNo"),     QStringLiteral("Min"),
        QStringLiteral("Max"),      QStringLiteral("Priority"),  QStringLiteral("Group"),
        QStringLiteral("Helpindex"), QStringLiteral("Alarmtext"), QStringLiteral("Form"),
        QStringLiteral("Symbol"),   QStringLiteral("X"),         QStringLiteral("Y"),
        QStringLiteral("Sensor1"),  QStringLiteral("Sensor2"),   QStringLiteral("Fault")};
    return namen;
}

QString SymbolDateiName(const QString& symbol) {
    const qsizetype pos = symbol.lastIndexOf(QLatin1Char('\\'));
    return pos < 0 ? symbol : symbol.mid(pos + 1);
}

QString FeldText(int spalte, const QVariant& wert) {
    if (wert.isNull())
        return {};
    const QString text = wert.toString();
    return spalte == AlarmFeld::Symbol ? SymbolDateiName(text) : text;
}

AlarmRecord AusSqlRecord(const QSqlRecord& rec) {
    AlarmRecord r;
    r.reserve(AlarmFeld::Anzahl);
    for (int i = 0; i < AlarmFeld::Spalten; ++i) {
        const QVariant v = i < rec.count() ? rec.value(i) : QVariant();
        r << (v.isNull() ? QString() : v.toString());
    }
    r << QString();
    r[AlarmFeld::Symbol] = SymbolDateiName(r[AlarmFeld::Symbol]);
    return r;
}

}  // namespace AlarmRecordBau
