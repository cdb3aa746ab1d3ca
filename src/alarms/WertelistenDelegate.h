#pragma once
// Cell editors of the selection grid: the columns Form and Symbol offer their
// value lists in an editable combo box, every column takes at most its width
// in characters. A value written into Form or Symbol (chosen from the list or
// typed) is reported, so the window can take the row over as the picked alarm.
#include <QStringList>
#include <QStyledItemDelegate>

class WertelistenDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit WertelistenDelegate(QObject* parent = nullptr);

    // Value lists by column; a column without a list gets a line editor.
    void setWerteliste(int spalte, const QStringList& werte);
    QStringList Werteliste(int spalte) const;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

signals:
    // A value was written into the Form or Symbol cell of that row.
    void WertGewaehlt(int spalte, int zeile);

private:
    QStringList m_listen[2];
    static int Platz(int spalte);
};
