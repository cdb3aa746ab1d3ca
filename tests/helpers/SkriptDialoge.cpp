#include "helpers/SkriptDialoge.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

SkriptDialoge::SkriptDialoge() { Dialoge::setzen(this); }
SkriptDialoge::~SkriptDialoge() { Dialoge::setzen(nullptr); }

void SkriptDialoge::Meldung(QWidget*, const QString& text, const QString& titel) {
    meldungen << text;
    meldungsTitel << titel;
}

int SkriptDialoge::Modal(QDialog* dlg) {
    ++modalAufrufe;
    if (modalAntworten.isEmpty()) {
        dlg->reject();
        return QDialog::Rejected;
    }
    auto antwort = modalAntworten.takeFirst();
    return antwort(dlg);
}

QString SkriptDialoge::DateiOeffnen(QWidget*, const QString& titel, const QString&, const QString&,
                                    const QString&, const QString& startOrdner) {
    dateiDialogTitel << titel;
    dateiDialogOrdner << startOrdner;
    return dateiAntworten.isEmpty() ? QString() : dateiAntworten.takeFirst();
}

QString SkriptDialoge::DateiSpeichern(QWidget*, const QString& titel, const QString&, const QString& vorgabe) {
    dateiDialogTitel << titel;
    dateiDialogOrdner << vorgabe;
    return dateiAntworten.isEmpty() ? QString() : dateiAntworten.takeFirst();
}

int SkriptDialoge::Wahl(QWidget*, const QString&, const QString& text, const QStringList&, const QString&) {
    wahlTexte << text;
    return wahlAntworten.isEmpty() ? -1 : wahlAntworten.takeFirst();
}

std::optional<QString> SkriptDialoge::Eingabe(QWidget*, const QString&, const QString&, const QString&) {
    if (eingabeAntworten.isEmpty())
        return std::nullopt;
    const QString a = eingabeAntworten.takeFirst();
    if (a.isNull())
        return std::nullopt;
    return a;
}

QAction* SkriptDialoge::MenuZeigen(QMenu* menu, const QPoint&) {
    QList<QAction*> sichtbar;
    letzteMenuTexte.clear();
    for (QAction* a : menu->actions()) {
        if (a->isVisible() && !a->isSeparator()) {
            sichtbar << a;
            letzteMenuTexte << a->text();
        }
    }
    const int i = menuAntworten.isEmpty() ? -1 : menuAntworten.takeFirst();
    if (i < 0 || i >= sichtbar.size())
        return nullptr;
    // As QMenu::exec: the chosen action is triggered, then returned.
    sichtbar.at(i)->trigger();
    return sichtbar.at(i);
}

void SkriptDialoge::ProzessBeenden() { ++beendet; }
