#include "editor/PfeilText.h"

#include <QStringList>
#include <cmath>

namespace PfeilText {

QString Zahl(int wert) { return QString::number(wert); }

int Position(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const double d = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 1e9)
        return 0;
    return static_cast<int>(std::lround(d));
}

QString Tag(const QString& ident, const QString& symbol) { return ident + QLatin1Char('#') + symbol; }

std::optional<std::pair<QString, QString>> TagTeile(const QString& tag) {
    const qsizetype raute = tag.indexOf(QLatin1Char('#'));
    if (raute < 0)
        return std::nullopt;
    return std::make_pair(tag.left(raute), tag.mid(raute + 1));
}

QString ToolTip(const QString& ident, const QString& alarmtext, const QString& symbol, int left, int top) {
    return QStringLiteral("ID ") + ident + QStringLiteral(" | ") + QStringLiteral("AlarmText ") + alarmtext +
           QStringLiteral(" | ") + symbol + QStringLiteral(" | ") + QStringLiteral("X_") + Zahl(left) +
           QStringLiteral(" | ") + QStringLiteral("Y_") + Zahl(top);
}

QString Geschrieben(const QStringList& teile) {
    return QStringLiteral("Folgende Werte in die DB geschrieben  ") + teile.join(QStringLiteral(" ; "));
}

QString Anzahl(int n) { return QString::number(n) + QStringLiteral(" Pfeile"); }

QString OhneEndung(const QString& datei) { return datei.size() <= 4 ? datei : datei.left(datei.size() - 4); }

QString Titel(const QString& bild) { return QStringLiteral("Pfeileditor  ") + bild; }

}  // namespace PfeilText
