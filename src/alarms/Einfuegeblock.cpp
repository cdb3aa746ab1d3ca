#include "alarms/Einfuegeblock.h"

#include <algorithm>

namespace Einfuegeblock {

Block Lesen(const QString& text) {
    Block block;
    QStringList zeile;
    QString zelle;
    bool inAnfuehrung = false;
    bool zelleBegonnen = false;
    auto zelleEnde = [&] {
        zeile << zelle;
        zelle.clear();
        zelleBegonnen = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inAnfuehrung) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                zelle += u'"';
                ++i;
            } else if (c == u'"') {
                inAnfuehrung = false;
            } else {
                zelle += c;
            }
        } else if (c == u'"' && !zelleBegonnen && zelle.isEmpty()) {
            inAnfuehrung = zelleBegonnen = true;
        } else if (c == u'\t') {
            zelleEnde();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            zelleEnde();
            block << zeile;
            zeile.clear();
        } else {
            zelle += c;
            zelleBegonnen = true;
        }
    }
    // The last row without a line break after it.
    if (!zelle.isEmpty() || zelleBegonnen || !zeile.isEmpty()) {
        zelleEnde();
        block << zeile;
    }
    qsizetype breite = 0;
    for (const QStringList& z : std::as_const(block))
        breite = std::max(breite, z.size());
    for (QStringList& z : block)
        while (z.size() < breite)
            z << QString();
    return block;
}

Ziel Flaeche(int hoehe, int breite, int auswahlZeilen, int auswahlSpalten) {
    if (hoehe <= 0 || breite <= 0)
        return {0, 0};
    if (auswahlZeilen >= hoehe && auswahlSpalten >= breite && auswahlZeilen % hoehe == 0 && auswahlSpalten % breite == 0)
        return {auswahlZeilen, auswahlSpalten};
    return {hoehe, breite};
}

}  // namespace Einfuegeblock
