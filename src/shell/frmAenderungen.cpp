#include "shell/frmAenderungen.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Differenzansicht.h"

frmAenderungen::frmAenderungen(const QString& titel, const QString& text, const QList<Differenz>& zeilen, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmAenderungen"));
    setWindowTitle(titel);
    auto* lbl = new QLabel(text, this);
    lbl->setWordWrap(true);
    lvwAenderungen = new Differenzansicht(this);
    lvwAenderungen->Setzen(zeilen);
    auto* knoepfe = new QDialogButtonBox(this);
    cmdSchreiben = knoepfe->addButton(QStringLiteral("&Schreiben"), QDialogButtonBox::AcceptRole);
    knoepfe->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    auto* ly = new QVBoxLayout(this);
    ly->addWidget(lbl);
    ly->addWidget(lvwAenderungen, 1);
    ly->addWidget(knoepfe);
    resize(760, 520);
    connect(knoepfe, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(knoepfe, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // nothing chosen, nothing to write
    const auto pruefen = [this] { cmdSchreiben->setEnabled(!Gewaehlt().isEmpty()); };
    connect(lvwAenderungen->Modell(), &QAbstractItemModel::dataChanged, this, pruefen);
    pruefen();
}

QList<int> frmAenderungen::Gewaehlt() const {
    QList<int> l;
    const DifferenzModell* m = lvwAenderungen->Modell();
    for (int i = 0; i < m->Zeilen().size(); ++i)
        if (m->Gewaehlt(i))
            l << m->Zeilen().at(i).quelle;
    return l;
}

QList<Schreibauftrag> frmAenderungen::Auswahl(const QList<Schreibauftrag>& alle, const QList<int>& gewaehlt) {
    QList<Schreibauftrag> a;
    for (int i : gewaehlt)
        if (i >= 0 && i < alle.size())
            a << alle.at(i);
    return a;
}
