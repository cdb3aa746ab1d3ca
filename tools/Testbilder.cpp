#include "Testbilder.h"

#include <QDir>
#include <QFile>
#include <QLineF>
#include <QProcess>
#include <algorithm>

#include "werkzeuge/Vorschlag.h"

namespace {
constexpr int VarName = 3;

QString Kennzeichen(const QString& varName) { return varName.section(QLatin1Char('_'), 0, 0); }

bool Nahe(const Vorschlag& v, const QRect& box, double toleranz) {
    return QLineF(QPointF(v.x, v.y), QPointF(box.x() + box.width(), box.y() + box.height())).length() <= toleranz;
}

// Runs f(bild, schilder of the alarm's tag) for each proposal.
template <typename F>
void JeVorschlag(const QList<Testbilder::Bild>& bilder, const QList<Vorschlag>& vorschlaege, F f) {
    QHash<QString, const Testbilder::Bild*> nachName;
    for (const Testbilder::Bild& b : bilder)
        nachName.insert(b.name, &b);
    for (const Vorschlag& v : vorschlaege) {
        const Testbilder::Bild* b = nachName.value(v.form);
        if (!b)
            continue;
        QList<Testbilder::Schild> schilder;
        for (const Testbilder::Schild& s : b->schilder)
            if (s.varName == v.gelesen.value(VarName))
                schilder << s;
        f(*b, v, schilder);
    }
}
}  // namespace

bool Testbilder::Erzeugen(const QString& ordner, const QStringList& argumente, QString* fehler) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(TAVERO_TESTBILDER), QStringLiteral("--out"), ordner} + argumente);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (fehler)
            *fehler = QStringLiteral("tavero-testbilder: ") + QString::fromUtf8(p.readAll()) + p.errorString();
        return false;
    }
    return true;
}

QList<Testbilder::Bild> Testbilder::Lesen(const QString& ordner) {
    QList<Bild> bilder;
    const QDir d(ordner);
    for (const QString& name : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        Bild b;
        b.name = name;
        b.datei = d.filePath(name + QLatin1Char('/') + name + QStringLiteral(".bmp"));
        QFile f(d.filePath(name + QLatin1Char('/') + name + QStringLiteral(".wahr")));
        if (!QFile::exists(b.datei) || !f.open(QIODevice::ReadOnly))
            continue;
        for (const QString& zeile : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (zeile.startsWith(QLatin1String("# art=")))
                b.art = zeile.mid(6).section(QLatin1Char(' '), 0, 0);
            const QStringList t = zeile.split(QLatin1Char('\t'));
            if (t.value(0) == QLatin1String("schild") && t.size() >= 9)
                b.schilder << Schild{t[1], t[2], t[3], t[8], QRect(t[4].toInt(), t[5].toInt(), t[6].toInt(), t[7].toInt())};
            else if (t.value(0) == QLatin1String("fehlt"))
                b.fehlend << t.value(2);
        }
        bilder << b;
    }
    return bilder;
}

AlarmListeTyp Testbilder::Alarme(const QList<Bild>& bilder) {
    AlarmListeTyp alarme;
    auto neu = [&alarme](const QString& varName, const QString& form) {
        AlarmRecord r(AlarmFeld::Anzahl);
        r[AlarmFeld::Ident] = QString::number(alarme.size() + 1);
        r[VarName] = varName;
        r[AlarmFeld::Form] = form;
        r[AlarmFeld::Alarmtext] = QStringLiteral("Störung ") + Kennzeichen(varName);
        alarme << r;
    };
    for (const Bild& b : bilder) {
        QStringList gesehen;
        for (const Schild& s : b.schilder)
            if (!gesehen.contains(s.varName)) {
                gesehen << s.varName;
                neu(s.varName, b.name);
            }
        for (const QString& v : b.fehlend)
            neu(v, b.name);
    }
    return alarme;
}

QMap<QString, Testbilder::Zaehler> Testbilder::Bewerten(const QList<Bild>& bilder, const QList<Vorschlag>& vorschlaege,
                                                       double toleranz) {
    QMap<QString, Zaehler> z;
    JeVorschlag(bilder, vorschlaege, [&](const Bild& b, const Vorschlag& v, const QList<Schild>& schilder) {
        const bool gefunden = v.art == Vorschlag::Art::Gefunden;
        const QStringList schluessel{schilder.isEmpty() ? QStringLiteral("fehlt") : schilder.first().stil,
                                     QStringLiteral("art:") + b.art, QStringLiteral("alle")};
        for (const QString& k : schluessel) {
            Zaehler& c = z[k];
            if (schilder.size() == 1) {
                ++c.einmal;
                c.getroffen += gefunden && Nahe(v, schilder.first().box, toleranz);
            } else if (schilder.size() > 1) {
                ++c.zweimal;
                c.zweimalRichtig += !gefunden;
            } else {
                ++c.fehlend;
                c.fehlendVorgeschlagen += gefunden;
            }
            if (gefunden) {
                ++c.vorgeschlagen;
                c.richtig += schilder.size() == 1 && Nahe(v, schilder.first().box, toleranz);
            }
        }
    });
    return z;
}

QStringList Testbilder::Fehlgriffe(const QList<Bild>& bilder, const QList<Vorschlag>& vorschlaege, double toleranz,
                                   const QHash<QString, Bildtext>* texte) {
    QStringList zeilen;
    JeVorschlag(bilder, vorschlaege, [&](const Bild& b, const Vorschlag& v, const QList<Schild>& schilder) {
        const bool gefunden = v.art == Vorschlag::Art::Gefunden;
        const Schild* s = schilder.isEmpty() ? nullptr : &schilder.first();
        const bool gut = schilder.size() == 1 ? gefunden && Nahe(v, s->box, toleranz) : !gefunden;
        if (gut)
            return;
        QString wo = gefunden ? QStringLiteral("%1/%2").arg(v.x).arg(v.y)
                              : v.art == Vorschlag::Art::Mehrdeutig ? QStringLiteral("mehrdeutig") : QStringLiteral("-");
        zeilen << QStringLiteral("%1 %2 %3 %4 %5 soll %6/%7 ist %8").arg(b.name, s ? s->stil : QStringLiteral("fehlt"),
                                                                        v.kennzeichen, s ? s->schrift : QString(),
                                                                        QString::number(schilder.size()))
                      .arg(s ? s->box.x() + s->box.width() : 0)
                      .arg(s ? s->box.y() + s->box.height() : 0)
                      .arg(wo);
        // the words read around each copy of the label, a twin's copies one after the other
        if (texte)
            for (qsizetype i = 0; i < schilder.size(); ++i) {
                if (i > 0)
                    zeilen.last() += QStringLiteral(" | %1/%2").arg(schilder[i].box.x() + schilder[i].box.width())
                                         .arg(schilder[i].box.y() + schilder[i].box.height());
                for (const Bildwort& w : texte->value(b.name).woerter)
                    if (w.box.intersects(schilder[i].box.adjusted(-10, -10, 10, 10)))
                        zeilen.last() += QStringLiteral(" [%1 %2,%3,%4,%5 %6]")
                                             .arg(w.text).arg(w.box.x()).arg(w.box.y()).arg(w.box.width()).arg(w.box.height())
                                             .arg(qRound(w.konfidenz));
            }
        // a proposal at the wrong place: the words whose box ends there, which made it
        if (texte && gefunden)
            for (const Bildwort& w : texte->value(b.name).woerter) {
                const QPoint ende(w.box.x() + w.box.width(), w.box.y() + w.box.height());
                if (std::any_of(schilder.begin(), schilder.end(), [&w](const Schild& s) { return w.box.intersects(s.box.adjusted(-10, -10, 10, 10)); }) ||
                    (ende - v.ecke).manhattanLength() > 2)
                    continue;
                zeilen.last() += QStringLiteral(" @[%1 %2,%3,%4,%5 %6]")
                                     .arg(w.text).arg(w.box.x()).arg(w.box.y()).arg(w.box.width()).arg(w.box.height())
                                     .arg(qRound(w.konfidenz));
            }
    });
    return zeilen;
}
