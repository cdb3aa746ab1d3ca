#pragma once
// The list every bulk write shows before it writes: one line per alarm with
// the old and the new value of each column side by side (three-way also the
// earlier one), grouped under headings with counts, a check box per line and
// "Alle" / "Keine". Enter or a double click picks the line's alarm; the next
// and previous difference are one key away.
#include <QAbstractItemModel>
#include <QList>
#include <QWidget>
#include <functional>
#include <vector>

#include "werkzeuge/Differenz.h"

class QPushButton;
class QTreeView;

class DifferenzModell : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Spalte { Alarm, Spalten, Alt, Neu, Vorher, Hinweis, Anzahl };

    explicit DifferenzModell(QObject* parent = nullptr);
    void Setzen(const QList<Differenz>& zeilen);
    void TitelSetzen(const QString& alt, const QString& neu) { m_titelAlt = alt; m_titelNeu = neu; }
    // Only the lines the filter lets through are listed (nullptr: all).
    void FilterSetzen(const std::function<bool(const Differenz&)>& filter);
    void AlleWaehlen(bool gewaehlt);

    const QList<Differenz>& Zeilen() const { return m_zeilen; }
    // The line a row shows, -1 for a heading.
    int ZeileAn(int row) const;
    int RowVon(int zeile) const;  // -1 when not listed
    bool Gewaehlt(int zeile) const { return m_gewaehlt.at(static_cast<std::size_t>(zeile)); }
    void setGewaehlt(int zeile, bool gewaehlt);
    // The chosen lines that are listed, as their places in Zeilen().
    QList<int> GewaehlteSichtbare() const;
    int SichtbareZeilen() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    void Aufbauen();
    struct Reihe {
        int zeile = -1;   // -1: heading
        QString titel;
    };
    QList<Differenz> m_zeilen;
    std::vector<char> m_gewaehlt;
    std::vector<Reihe> m_reihen;
    std::vector<int> m_rowVon;
    std::function<bool(const Differenz&)> m_filter;
    QString m_titelAlt = QStringLiteral("Jetzt"), m_titelNeu = QStringLiteral("Neu");
    bool m_dreiWege = false;
};

class Differenzansicht : public QWidget {
    Q_OBJECT
public:
    explicit Differenzansicht(QWidget* parent = nullptr);

    DifferenzModell* Modell() { return m_modell; }
    QTreeView* Liste() { return m_liste; }
    void Setzen(const QList<Differenz>& zeilen) { m_modell->Setzen(zeilen); }
    // Moves to the next (richtung 1) or previous (-1) line; false at the end.
    bool Weiter(int richtung);
    // The line of the current row, -1 when none or a heading.
    int AktuelleZeile() const;

    QPushButton* cmdAlle = nullptr;
    QPushButton* cmdKeine = nullptr;

signals:
    // Enter or a double click on a line: that alarm should be picked.
    void AlarmGewaehlt(const QString& ident);

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    DifferenzModell* m_modell = nullptr;
    QTreeView* m_liste = nullptr;
};
