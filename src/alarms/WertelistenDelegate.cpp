#include "alarms/WertelistenDelegate.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsModell.h"

WertelistenDelegate::WertelistenDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

int WertelistenDelegate::Platz(int spalte) {
    if (spalte == AlarmFeld::Form)
        return 0;
    if (spalte == AlarmFeld::Symbol)
        return 1;
    return -1;
}

void WertelistenDelegate::setWerteliste(int spalte, const QStringList& werte) {
    if (const int p = Platz(spalte); p >= 0)
        m_listen[p] = werte;
}

QStringList WertelistenDelegate::Werteliste(int spalte) const {
    const int p = Platz(spalte);
    return p >= 0 ? m_listen[p] : QStringList();
}

QWidget* WertelistenDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
    const int breite = AlarmdefsModell::SpaltenBreite(index.column());
    if (Platz(index.column()) >= 0) {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(Werteliste(index.column()));
        box->lineEdit()->setMaxLength(breite);
        box->setFrame(false);
        // The list shows whole file names, however narrow the cell is.
        box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 2 * box->view()->frameWidth() + 24);
        return box;
    }
    auto* zeile = new QLineEdit(parent);
    zeile->setMaxLength(breite);
    zeile->setFrame(false);
    return zeile;
}

void WertelistenDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString wert = index.data(Qt::EditRole).toString();
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        box->setEditText(wert);
        return;
    }
    if (auto* zeile = qobject_cast<QLineEdit*>(editor))
        zeile->setText(wert);
}

void WertelistenDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        const QString text = box->currentText();
        // chosen from the list or typed: the row's picture or symbol changed either way
        if (model->setData(index, text, Qt::EditRole))
            emit const_cast<WertelistenDelegate*>(this)->WertGewaehlt(index.column(), index.row());
        return;
    }
    if (auto* zeile = qobject_cast<QLineEdit*>(editor))
        model->setData(index, zeile->text(), Qt::EditRole);
}
