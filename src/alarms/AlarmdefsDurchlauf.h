#pragma once
// One pass over the rows of Alarmdefs for the tools that look at the whole
// table (check report, export, import): only the columns asked for, each value
// as the engine holds it, no record and no variant per row. On SQLite straight
// through the library, since a million rows are read; elsewhere through Qt's driver.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class AlarmdefsDurchlauf {
public:
    // One value of the current row. A text points into the engine's buffer and
    // is valid until the next row.
    struct Wert {
        enum class Art { Null, Zahl, Kommazahl, Text };
        Art art = Art::Null;
        qlonglong zahl = 0;
        double kommazahl = 0;
        const char* text = nullptr;  // UTF-8, not zero-terminated
        int laenge = 0;

        bool IstNull() const { return art == Art::Null; }
        // The text a record shows for it (NULL empty, numbers as Qt writes them).
        QString Text() const;
        // The same in UTF-8, appended.
        void Anhaengen(QByteArray& ziel) const;
        // A whole number, also from a text or a floating value that holds one.
        std::optional<qlonglong> GanzeZahl() const;
    };

    // The parts of the table the selection tree offers.
    enum class Teil {
        Alle,
        Bild,          // the alarms of one picture (Form = name)
        OhneBild,      // Form NULL
        OhnePosition   // a picture but X or Y NULL
    };
    struct Auswahl {
        Teil teil = Teil::Alle;
        QString form;  // for Teil::Bild
    };

    // Calls jeZeile with the values of spalten (names among the 18 columns, in
    // the order given) for every row of the part, in the table's order.
    // Throws AlarmdefsFehler naming the file.
    static void Lesen(const QString& sDatenbank, const QStringList& spalten, const Auswahl& auswahl,
                      const std::function<void(const Wert* werte)>& jeZeile);
};
