#pragma once
// The arrows of the picture shown, as data: their elements (element 0 is the
// hidden template), the rows they stand for, and which of them the user holds,
// nudges, frames or is writing. Knows nothing of widgets, so the bookkeeping
// is tested without a window.
#include <QList>
#include <QPixmap>
#include <functional>
#include <vector>

#include "alarms/AlarmRecord.h"
#include "alarms/Zeilenstand.h"
#include "editor/PfeilBild.h"

class Pfeilliste {
public:
    // The image of a symbol file name (empty: the empty arrow); geladen tells
    // whether the file was there.
    using SymbolQuelle = std::function<QPixmap(const QString& symbol, bool* geladen)>;
    // The element index is a 16-bit number.
    static constexpr int MaxElemente = 32767;

    explicit Pfeilliste(PfeilBild vorlage);

    std::vector<PfeilBild> Elemente;

    int Anzahl() const { return static_cast<int>(Elemente.size()); }
    bool IstPfeil(int index) const { return index >= 1 && index < Anzahl(); }
    const PfeilBild& at(int index) const { return Elemente.at(static_cast<std::size_t>(index)); }
    PfeilBild& Element(int index) { return Elemente.at(static_cast<std::size_t>(index)); }

    // Indexes of arrows in the user's hand (0: none). They follow the arrows
    // when one before them is taken away.
    int Ziehen = 0;     // held with the left button
    int Geschubst = 0;  // moved by keys, not yet written
    int Gerahmt = 0;    // marked by the focus rectangle
    int Eigener = 0;    // being written by a command, which shows the outcome itself
    // Every arrow whose write is still open, oldest first (Eigener is the newest);
    // 0 for one whose arrow went away.
    QList<int> Eigene;

    // Only the template is left; nobody holds an arrow. Returns the elements
    // taken away, so a caller may free ten thousand of them elsewhere.
    std::vector<PfeilBild> Leeren();
    // A new arrow for a row, placed where the row says; 0 when the list is full.
    int Laden(const AlarmRecord& record, const SymbolQuelle& symbole);
    // An arrow for a row that is built later (a long list goes up in parts): it
    // carries its row at once but stays hidden, neither drawn nor hit, until
    // Aufbauen; rows written meanwhile reach it like any other. 0 when full.
    int Vormerken(const AlarmRecord& record);
    // Builds a noted arrow from its row, tag and tool tip included; false when
    // it stands already or has no row.
    bool Aufbauen(int index, const SymbolQuelle& symbole);
    // Tag and tool tip from the row's symbol, as a write of the arrow sends them.
    void Beschriften(int index, const AlarmRecord& record);
    // The tool tip names the row the arrow writes to: its tag's alarm and symbol.
    void ToolTipNeu(int index);
    // The arrow shows again what its row holds; false when it has no row.
    bool Zuruecksetzen(int index, const SymbolQuelle& symbole);
    // The arrow that stands for exactly this row; 0 when none.
    int Finden(const AlarmRecord& record) const;
    // Index bookkeeping after the element was erased.
    void NachEntfernen(int index);

    // What the arrows must do after rows were written, highest index first so
    // each index holds while the ones before are worked off.
    struct Folge {
        int index = 0;
        bool entfernen = false;  // its alarm lies on another picture now
    };
    // Takes the rows' new states into the arrows' records. An arrow in the
    // user's hand keeps the row as read: its write then finds the change and
    // shows it, instead of writing over it.
    QList<Folge> Abgleichen(const QList<Zeilenstand>& staende, const QHash<QString, QList<int>>& nachNummer);
    // Of the rows' new states, those whose alarm number an arrow here (or
    // auch, the picked alarm) carries, in their order: a take-over of a hundred
    // thousand rows touches a few of this picture, and only they are indexed.
    QList<Zeilenstand> Betroffene(const QList<Zeilenstand>& staende, const AlarmRecord* auch = nullptr) const;
};
