#include "editor/Pfeilliste.h"

#include "editor/PfeilText.h"

#include <QSet>

Pfeilliste::Pfeilliste(PfeilBild vorlage) { Elemente.push_back(std::move(vorlage)); }

std::vector<PfeilBild> Pfeilliste::Leeren() {
    std::vector<PfeilBild> alt;
    alt.swap(Elemente);
    Elemente.push_back(alt.front());
    Ziehen = Geschubst = Gerahmt = Eigener = 0;
    // A write still open keeps its place in the list, but its arrow is gone.
    Eigene.fill(0);
    return alt;
}

int Pfeilliste::Laden(const AlarmRecord& record, const SymbolQuelle& symbole) {
    if (Anzahl() > MaxElemente)
        return 0;
    PfeilBild a = Elemente.front();
    bool geladen = false;
    a.Picture = symbole(record.value(AlarmFeld::Symbol), &geladen);
    a.Platzhalter = !geladen;
    a.Width = a.Picture.width();
    a.Height = a.Picture.height();
    a.Left = PfeilText::Position(record.value(AlarmFeld::X));
    a.Top = PfeilText::Position(record.value(AlarmFeld::Y));
    a.Ident = record.value(AlarmFeld::Ident);
    a.Alarmtext = record.value(AlarmFeld::Alarmtext);
    a.Satz = record;
    a.Visible = true;
    Elemente.push_back(std::move(a));
    return Anzahl() - 1;
}

int Pfeilliste::Vormerken(const AlarmRecord& record) {
    if (Anzahl() > MaxElemente)
        return 0;
    PfeilBild a = Elemente.front();
    a.Visible = false;
    a.Ident = record.value(AlarmFeld::Ident);
    a.Satz = record;
    Elemente.push_back(std::move(a));
    return Anzahl() - 1;
}

bool Pfeilliste::Aufbauen(int index, const SymbolQuelle& symbole) {
    if (!IstPfeil(index) || at(index).Visible || !Zuruecksetzen(index, symbole))
        return false;
    Element(index).Visible = true;
    return true;
}

void Pfeilliste::Beschriften(int index, const AlarmRecord& record) {
    if (!IstPfeil(index))
        return;
    PfeilBild& a = Element(index);
    const QString symbol = record.value(AlarmFeld::Symbol);
    a.Tag = PfeilText::Tag(a.Ident, symbol);
    a.ToolTipText = PfeilText::ToolTip(a.Ident, a.Alarmtext, symbol, a.Left, a.Top);
}

void Pfeilliste::ToolTipNeu(int index) {
    if (index < 0 || index >= Anzahl())
        return;
    PfeilBild& a = Element(index);
    const auto teile = PfeilText::TagTeile(a.Tag);
    const QString ident = teile ? teile->first : a.Ident;
    const QString symbol = teile ? teile->second : QString();
    a.ToolTipText = PfeilText::ToolTip(ident, a.Alarmtext, symbol, a.Left, a.Top);
}

bool Pfeilliste::Zuruecksetzen(int index, const SymbolQuelle& symbole) {
    if (!IstPfeil(index))
        return false;
    PfeilBild& a = Element(index);
    if (a.Satz.isEmpty())
        return false;
    const QString symbol = a.Satz.value(AlarmFeld::Symbol);
    bool geladen = false;
    a.Picture = symbole(symbol, &geladen);
    a.Platzhalter = !geladen;
    a.Width = a.Picture.width();
    a.Height = a.Picture.height();
    a.Left = PfeilText::Position(a.Satz.value(AlarmFeld::X));
    a.Top = PfeilText::Position(a.Satz.value(AlarmFeld::Y));
    a.Ident = a.Satz.value(AlarmFeld::Ident);
    a.Alarmtext = a.Satz.value(AlarmFeld::Alarmtext);
    a.Tag = PfeilText::Tag(a.Ident, symbol);
    a.ToolTipText = PfeilText::ToolTip(a.Ident, a.Alarmtext, symbol, a.Left, a.Top);
    return true;
}

int Pfeilliste::Finden(const AlarmRecord& record) const {
    for (int i = 1; i < Anzahl(); ++i)
        if (at(i).Satz == record)
            return i;
    return 0;
}

void Pfeilliste::NachEntfernen(int index) {
    for (int* i : {&Ziehen, &Geschubst, &Gerahmt, &Eigener})
        if (*i > index)
            --*i;
        else if (*i == index)
            *i = 0;
    for (int& i : Eigene)
        if (i > index)
            --i;
        else if (i == index)
            i = 0;
}

QList<Pfeilliste::Folge> Pfeilliste::Abgleichen(const QList<Zeilenstand>& staende,
                                                 const QHash<QString, QList<int>>& nachNummer) {
    QList<Folge> folgen;
    // One pass over the arrows, however many rows were written.
    for (int i = Anzahl() - 1; i >= 1; --i) {
        PfeilBild& a = Element(i);
        if (a.Satz.isEmpty())
            continue;
        if (i == Eigener || Eigene.contains(i)) {
            Zeilenstand::Anwenden(staende, nachNummer, a.Satz, true);
            continue;
        }
        if (i == Ziehen || i == Geschubst)
            continue;
        const QString form = a.Satz.value(AlarmFeld::Form);
        if (!Zeilenstand::Anwenden(staende, nachNummer, a.Satz))
            continue;
        folgen.append({i, a.Satz.value(AlarmFeld::Form) != form});
    }
    return folgen;
}

namespace {
// The number key of an alarm number without a new string where it is a whole
// number (nearly always): the same rows match as by AlarmRecordBau::NummernSchluessel.
struct Nummernmenge {
    QSet<qlonglong> zahlen;
    QSet<QString> texte;
    static bool Zahl(const QString& ident, qlonglong* n) {
        bool ok = false;
        *n = ident.trimmed().toLongLong(&ok);
        return ok;
    }
    void Aufnehmen(const QString& ident) {
        qlonglong n = 0;
        if (Zahl(ident, &n))
            zahlen.insert(n);
        else
            texte.insert(AlarmRecordBau::NummernSchluessel(ident));
    }
    bool Enthaelt(const QString& ident) const {
        qlonglong n = 0;
        if (Zahl(ident, &n))
            return zahlen.contains(n);
        return !texte.isEmpty() && texte.contains(AlarmRecordBau::NummernSchluessel(ident));
    }
};
}  // namespace

QList<Zeilenstand> Pfeilliste::Betroffene(const QList<Zeilenstand>& staende, const AlarmRecord* auch) const {
    Nummernmenge hier;
    hier.zahlen.reserve(Anzahl());
    for (int i = 1; i < Anzahl(); ++i)
        if (!at(i).Satz.isEmpty())
            hier.Aufnehmen(at(i).Satz.value(AlarmFeld::Ident));
    if (auch)
        hier.Aufnehmen(auch->value(AlarmFeld::Ident));
    QList<Zeilenstand> betroffen;
    if (hier.zahlen.isEmpty() && hier.texte.isEmpty())
        return betroffen;
    for (const Zeilenstand& s : staende)
        if (hier.Enthaelt(s.ident))
            betroffen << s;
    return betroffen;
}
