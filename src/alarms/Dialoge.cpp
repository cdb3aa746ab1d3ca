#include "alarms/Dialoge.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QMessageBox>
#include <cstdlib>
#include <memory>

namespace {
class QtDialoge final : public Dialoge {
public:
    void Meldung(QWidget* owner, const QString& text, const QString& titel) override {
        const QString t = titel.isEmpty() ? QApplication::applicationDisplayName() : titel;
        QMessageBox::information(owner, t, text, QMessageBox::Ok);
    }
    void FehlerMeldung(QWidget* owner, const QString& text, const QString& detail) override {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text, QMessageBox::Ok, owner);
        box.setDetailedText(detail);
        box.exec();
    }
    void HinweisMitDetails(QWidget* owner, const QString& text, const QString& detail) override {
        std::unique_ptr<QMessageBox> box(HinweisBauen(owner, text, detail));
        box->exec();
    }
    int Modal(QDialog* dlg) override { return dlg->exec(); }
    QString DateiOeffnen(QWidget* owner, const QString& titel, const QString& filter,
                         const QString& standardEndung, const QString& vorgabeName,
                         const QString& startOrdner) override {
        QFileDialog fd(owner, titel, startOrdner, filter);
        fd.setAcceptMode(QFileDialog::AcceptOpen);
        fd.setFileMode(QFileDialog::AnyFile);
        fd.setDefaultSuffix(standardEndung);
        fd.selectFile(vorgabeName);
        if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty())
            return {};
        return fd.selectedFiles().constFirst();
    }
    QString DateiSpeichern(QWidget* owner, const QString& titel, const QString& filter,
                           const QString& vorgabe) override {
        return QFileDialog::getSaveFileName(owner, titel, vorgabe, filter);
    }
    int Wahl(QWidget* owner, const QString& titel, const QString& text, const QStringList& knoepfe,
             const QString& detail) override {
        QMessageBox box(QMessageBox::Question, titel.isEmpty() ? QApplication::applicationDisplayName() : titel, text,
                        QMessageBox::NoButton, owner);
        QList<QAbstractButton*> liste;
        for (const QString& k : knoepfe)
            liste << box.addButton(k, liste.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        if (!liste.isEmpty())
            box.setDefaultButton(static_cast<QPushButton*>(liste.first()));
        box.setDetailedText(detail);
        box.exec();
        return static_cast<int>(liste.indexOf(box.clickedButton()));
    }
    std::optional<QString> Eingabe(QWidget* owner, const QString& titel, const QString& text,
                                   const QString& vorgabe) override {
        bool ok = false;
        const QString wert = QInputDialog::getText(owner, titel, text, QLineEdit::Normal, vorgabe, &ok);
        if (!ok)
            return std::nullopt;
        return wert;
    }
    QAction* MenuZeigen(QMenu* menu, const QPoint& globalPos) override { return menu->exec(globalPos); }
    void ProzessBeenden() override { std::_Exit(0); }
};

QtDialoge& standard() {
    static QtDialoge d;
    return d;
}
Dialoge* g_aktuell = nullptr;
}  // namespace

QMessageBox* Dialoge::HinweisBauen(QWidget* owner, const QString& text, const QString& detail) {
    auto* box = new QMessageBox(QMessageBox::Information, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                                owner);
    box->setDetailedText(detail);
    return box;
}

Dialoge& Dialoge::aktuell() { return g_aktuell ? *g_aktuell : standard(); }
void Dialoge::setzen(Dialoge* d) { g_aktuell = d; }
