#include "alarms/AlarmRecord.h"

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

QString NummernSchluessel(const QString& ident) {
    bool ok = false;
    const QString t = ident.trimmed();
    const qlonglong n = t.toLongLong(&ok);
    return ok ? QString::number(n) : t;
}

AlarmRecord AusWerten(const QList<QVariant>& werte) {
    AlarmRecord r(AlarmFeld::Anzahl);
    for (int i = 0; i < AlarmFeld::Spalten && i < werte.size(); ++i)
        r[i] = FeldText(i, werte.at(i));
    return r;
}

}  // namespace AlarmRecordBau
