#include "werkzeuge/Projektrahmen.h"

QStringList Projektrahmen::BildNamen() const {
    QStringList namen;
    namen.reserve(bilderListe.size());
    // the menu drops the last four characters; a shorter entry stays whole
    for (const QString& e : bilderListe)
        namen << (e.size() <= 4 ? e : e.left(e.size() - 4));
    return namen;
}
