#pragma once
// A block of cells copied from a spreadsheet (LibreOffice Calc, Excel, a text
// editor): rows separated by line breaks, cells by tabs, a cell holding a tab,
// a line break or a quote stands in double quotes with its quotes doubled.
#include <QList>
#include <QString>
#include <QStringList>

namespace Einfuegeblock {
using Block = QList<QStringList>;

// The rows of the block; the line break after the last row is no row of its
// own. Rows shorter than the longest are filled with empty cells.
Block Lesen(const QString& text);

// Where a block of hoehe × breite cells goes when pasted onto a selection of
// zeilen × spalten cells: a selection that is a whole multiple of the block
// (one cell filled down into many, one row into several) is filled with it
// repeated; any other selection takes the block once, from its top left cell.
struct Ziel {
    int zeilen;
    int spalten;
};
Ziel Flaeche(int hoehe, int breite, int auswahlZeilen, int auswahlSpalten);
}  // namespace Einfuegeblock
