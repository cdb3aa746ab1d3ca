#include "alarms/Zeilenstand.h"

#include <QHash>

QHash<QString, QList<int>> Zeilenstand::NachNummer(const QList<Zeilenstand>& staende) {
    QHash<QString, QList<int>> nach;
    for (int i = 0; i < staende.size(); ++i)
        nach[AlarmRecordBau::NummernSchluessel(staende.at(i).ident)] << i;
    return nach;
}

bool Zeilenstand::Anwenden(const QList<Zeilenstand>& staende, const QHash<QString, QList<int>>& nachNummer,
                           AlarmRecord& satz, bool eigene) {
    const auto it = nachNummer.constFind(AlarmRecordBau::NummernSchluessel(satz.value(AlarmFeld::Ident)));
    if (it == nachNummer.constEnd())
        return false;
    bool getroffen = false;
    for (int i : *it) {
        const Zeilenstand& s = staende.at(i);
        if (!eigene && !s.alt.isEmpty() && s.alt != satz)
            continue;
        satz = s.zeile;
        getroffen = true;
    }
    return getroffen;
}
