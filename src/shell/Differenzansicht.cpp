#include "shell/Differenzansicht.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <algorithm>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

DifferenzModell::DifferenzModell(QObject* parent) : QAbstractItemModel(parent) {}

void DifferenzModell::Setzen(const QList<Differenz>& zeilen) {
    beginResetModel();
    m_zeilen = zeilen;
    m_gewaehlt.assign(static_cast<std::size_t>(zeilen.size()), 0);
    m_dreiWege = false;
    for (qsizetype i = 0; i < zeilen.size(); ++i) {
        m_gewaehlt[static_cast<std::size_t>(i)] = zeilen.at(i).waehlbar;
        for (const Differenz::Wechsel& w : zeilen.at(i).wechsel)
            m_dreiWege = m_dreiWege || !w.vorher.isNull();
    }
    Aufbauen();
    endResetModel();
}

void DifferenzModell::FilterSetzen(const std::function<bool(const Differenz&)>& filter) {
    beginResetModel();
    m_filter = filter;
    Aufbauen();
    endResetModel();
}

void DifferenzModell::Aufbauen() {
    // Headings in the order the groups first appear; the lines keep their order within a group.
    m_reihen.clear();
    m_rowVon.assign(static_cast<std::size_t>(m_zeilen.size()), -1);
    QStringList gruppen;
    QHash<QString, std::vector<int>> jeGruppe;
    for (qsizetype i = 0; i < m_zeilen.size(); ++i) {
        const Differenz& d = m_zeilen.at(i);
        if (m_filter && !m_filter(d))
            continue;
        if (!jeGruppe.contains(d.gruppe))
            gruppen << d.gruppe;
        jeGruppe[d.gruppe].push_back(static_cast<int>(i));
    }
    for (const QString& g : gruppen) {
        const std::vector<int>& z = jeGruppe[g];
        if (!g.isEmpty() || gruppen.size() > 1)
            m_reihen.push_back({-1, QStringLiteral("%1 (%2)").arg(g.isEmpty() ? QStringLiteral("Änderungen") : g).arg(z.size())});
        for (int i : z) {
            m_rowVon[static_cast<std::size_t>(i)] = static_cast<int>(m_reihen.size());
            m_reihen.push_back({i, {}});
        }
    }
}

void DifferenzModell::AlleWaehlen(bool gewaehlt) {
    for (const Reihe& r : m_reihen)
        if (r.zeile >= 0 && m_zeilen.at(r.zeile).waehlbar)
            m_gewaehlt[static_cast<std::size_t>(r.zeile)] = gewaehlt;
    if (!m_reihen.empty())
        emit dataChanged(index(0, 0), index(static_cast<int>(m_reihen.size()) - 1, 0), {Qt::CheckStateRole});
}

int DifferenzModell::ZeileAn(int row) const {
    return row >= 0 && row < static_cast<int>(m_reihen.size()) ? m_reihen[static_cast<std::size_t>(row)].zeile : -1;
}

int DifferenzModell::RowVon(int zeile) const {
    return zeile >= 0 && zeile < static_cast<int>(m_rowVon.size()) ? m_rowVon[static_cast<std::size_t>(zeile)] : -1;
}

void DifferenzModell::setGewaehlt(int zeile, bool gewaehlt) {
    if (zeile < 0 || zeile >= m_zeilen.size() || !m_zeilen.at(zeile).waehlbar)
        return;
    m_gewaehlt[static_cast<std::size_t>(zeile)] = gewaehlt;
    const int row = RowVon(zeile);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

QList<int> DifferenzModell::GewaehlteSichtbare() const {
    QList<int> l;
    for (const Reihe& r : m_reihen)
        if (r.zeile >= 0 && m_gewaehlt[static_cast<std::size_t>(r.zeile)])
            l << r.zeile;
    return l;
}

int DifferenzModell::SichtbareZeilen() const {
    int n = 0;
    for (const Reihe& r : m_reihen)
        n += r.zeile >= 0;
    return n;
}

QModelIndex DifferenzModell::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= Anzahl)
        return {};
    return createIndex(row, column);
}

int DifferenzModell::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_reihen.size());
}

int DifferenzModell::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Anzahl; }

QVariant DifferenzModell::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const Reihe& r = m_reihen[static_cast<std::size_t>(index.row())];
    if (r.zeile < 0) {
        if (role == Qt::DisplayRole && index.column() == Alarm)
            return r.titel;
        if (role == Qt::FontRole) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    }
    const Differenz& d = m_zeilen.at(r.zeile);
    if (role == Qt::CheckStateRole && index.column() == Alarm && d.waehlbar)
        return m_gewaehlt[static_cast<std::size_t>(r.zeile)] ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::ForegroundRole && d.konflikt)
        return QColor(Qt::red);
    if (role == Qt::ToolTipRole)
        return d.Text();
    if (role != Qt::DisplayRole)
        return {};
    QStringList teile;
    switch (index.column()) {
    case Alarm:
        return d.ident;
    case Hinweis:
        return d.hinweis;
    case Spalten:
        for (const Differenz::Wechsel& w : d.wechsel)
            teile << w.spalte;
        break;
    default:
        for (const Differenz::Wechsel& w : d.wechsel) {
            const QString& wert = index.column() == Alt ? w.alt : index.column() == Neu ? w.neu : w.vorher;
            teile << (wert.isEmpty() ? QStringLiteral("leer") : wert);
        }
        if (index.column() == Vorher && std::none_of(d.wechsel.cbegin(), d.wechsel.cend(),
                                                     [](const Differenz::Wechsel& w) { return !w.vorher.isNull(); }))
            return {};
        break;
    }
    return teile.join(QStringLiteral(", "));
}

bool DifferenzModell::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid())
        return false;
    const int zeile = ZeileAn(index.row());
    if (zeile < 0 || !m_zeilen.at(zeile).waehlbar)
        return false;
    setGewaehlt(zeile, value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags DifferenzModell::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int zeile = ZeileAn(index.row());
    if (index.column() == Alarm && zeile >= 0 && m_zeilen.at(zeile).waehlbar)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant DifferenzModell::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Alarm: return QStringLiteral("Alarm");
    case Spalten: return QStringLiteral("Spalte");
    case Alt: return m_titelAlt;
    case Neu: return m_titelNeu;
    case Vorher: return m_dreiWege ? QStringLiteral("Vorher") : QString();
    case Hinweis: return QStringLiteral("Hinweis");
    }
    return {};
}

Differenzansicht::Differenzansicht(QWidget* parent) : QWidget(parent) {
    m_modell = new DifferenzModell(this);
    m_liste = new QTreeView(this);
    m_liste->setObjectName(QStringLiteral("lvwDifferenzen"));
    m_liste->setRootIsDecorated(false);
    m_liste->setUniformRowHeights(true);
    m_liste->setAllColumnsShowFocus(true);
    m_liste->setModel(m_modell);
    m_liste->header()->setStretchLastSection(true);
    m_liste->setToolTip(QStringLiteral("Leertaste: Zeile wählen; Eingabe oder Doppelklick: Alarm zeigen; "
                                       "F8 / Umschalt+F8: nächster / vorheriger Unterschied"));
    m_liste->installEventFilter(this);
    cmdAlle = new QPushButton(QStringLiteral("A&lle"), this);
    cmdKeine = new QPushButton(QStringLiteral("&Keine"), this);
    auto* knoepfe = new QHBoxLayout;
    knoepfe->addWidget(cmdAlle);
    knoepfe->addWidget(cmdKeine);
    knoepfe->addStretch();
    auto* ly = new QVBoxLayout(this);
    ly->setContentsMargins(0, 0, 0, 0);
    ly->addWidget(m_liste);
    ly->addLayout(knoepfe);
    connect(cmdAlle, &QPushButton::clicked, this, [this] { m_modell->AlleWaehlen(true); });
    connect(cmdKeine, &QPushButton::clicked, this, [this] { m_modell->AlleWaehlen(false); });
    connect(m_liste, &QTreeView::activated, this, [this](const QModelIndex& i) {
        const int zeile = m_modell->ZeileAn(i.row());
        if (zeile >= 0)
            emit AlarmGewaehlt(m_modell->Zeilen().at(zeile).ident);
    });
    connect(m_modell, &QAbstractItemModel::modelReset, this, [this] {
        for (int c = 0; c < DifferenzModell::Hinweis; ++c)
            m_liste->resizeColumnToContents(c);
    });
}

int Differenzansicht::AktuelleZeile() const { return m_modell->ZeileAn(m_liste->currentIndex().row()); }

bool Differenzansicht::Weiter(int richtung) {
    const int n = m_modell->rowCount();
    for (int row = m_liste->currentIndex().row() + richtung; row >= 0 && row < n; row += richtung)
        if (m_modell->ZeileAn(row) >= 0) {
            m_liste->setCurrentIndex(m_modell->index(row, 0));
            m_liste->scrollTo(m_modell->index(row, 0));
            return true;
        }
    return false;
}

bool Differenzansicht::eventFilter(QObject* o, QEvent* e) {
    if (o == m_liste && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_F8) {
            Weiter(k->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
    }
    return QWidget::eventFilter(o, e);
}
