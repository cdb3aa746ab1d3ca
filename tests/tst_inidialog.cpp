// The configuration-file dialog: texts, Browse, OK with good and bad paths, End.
#include <QtTest>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "alarms/AlarmAuswahl.h"
#include "alarms/frmAlarmAuswahl.h"
#include "helpers/SkriptDialoge.h"
#include "platform/WinUmgebung.h"
#include "shell/frmIniDialog.h"

class TstIniDialog : public QObject {
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    QString standard() const { return m_dir->path() + QStringLiteral("\\Tavero\\Tavero.ini"); }

private slots:
    void init() {
        m_dir = new QTemporaryDir;
        qputenv("WINEPREFIX", QFile::encodeName(m_dir->filePath(QStringLiteral("prefix"))));
        WinUmgebung::ProgrammOrdnerSetzen(m_dir->path().toStdString());
    }
    void cleanup() {
        WinUmgebung::ProgrammOrdnerSetzen(std::string());
        delete m_dir;
    }

    void startsWithItsFixedTexts() {
        AlarmAuswahl a;
        frmIniDialog d(&a);
        QCOMPARE(d.windowTitle(), QStringLiteral("Keine gültige Ini-Datei gefunden!"));
        QCOMPARE(d.txtInfo->toPlainText(),
                 QStringLiteral("Die Ini-Datei konnte nicht Gefunden werden !  \r\n"
                                "Bitte geben Sie einen Pfad und einen Dateinamen an.\r\n")
                     .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QCOMPARE(d.txtPfad->text(), standard());
        QCOMPARE(d.txtPfad->toolTip(), QStringLiteral("Bitte vollständigen Pfad mit Dateinamen eingeben."));
        QCOMPARE(d.txtStatus->text(), QStringLiteral("Das ist die Standard Einstellung für die INI-Datei."));
        QCOMPARE(d.BrowseButton->text(), QStringLiteral("&Browse"));
        QCOMPARE(d.BrowseButton->toolTip(), QStringLiteral("Öffnet Dialog zum suchen der Datei."));
        QCOMPARE(d.OKButton->text(), QStringLiteral("&OK"));
        QCOMPARE(d.OKButton->toolTip(), QStringLiteral("Bestätigung der Datei, weiter zum Programm."));
        QCOMPARE(d.CancelButton->text(), QStringLiteral("&Ende"));
        QCOMPARE(d.CancelButton->toolTip(), QStringLiteral("Beendet das Programm."));
    }

    void browseTakesTheChosenPathEvenWhenCancelled_data() {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<QString>("pfad");
        QTest::newRow("gewählt") << QStringLiteral("/tmp/x/Anders.ini") << QStringLiteral("/tmp/x/Anders.ini");
        // cancelled, the file dialog keeps its preset file name
        QTest::newRow("abgebrochen") << QString() << QStringLiteral("Tavero.ini");
    }
    void browseTakesTheChosenPathEvenWhenCancelled() {
        QFETCH(QString, antwort);
        QFETCH(QString, pfad);
        SkriptDialoge s;
        s.dateiAntworten << antwort;
        AlarmAuswahl a;
        frmIniDialog d(&a);
        QTest::mouseClick(d.BrowseButton, Qt::LeftButton);
        QCOMPARE(s.dateiDialogTitel, QStringList{QStringLiteral("Bitte Ini-Datei Auswählen")});
        QCOMPARE(d.windowTitle(), QStringLiteral("Ini-Datei neu"));
        QCOMPARE(d.txtInfo->toPlainText(), QStringLiteral("Sir haben eine neue INI-Datei gewählt."));
        QCOMPARE(d.txtPfad->text(), pfad);
        QCOMPARE(d.txtStatus->text(), QStringLiteral("Das ist die neue Einstellung für die INI-Datei."));
    }

    void okAcceptsAnExistingFileOrFolder() {
        SkriptDialoge s;
        QFile f(m_dir->filePath(QStringLiteral("eigen.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        for (const QString& pfad : {f.fileName(), m_dir->path()}) {
            AlarmAuswahl a;
            frmIniDialog d(&a);
            d.txtPfad->setText(pfad);
            QTest::mouseClick(d.OKButton, Qt::LeftButton);
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QVERIFY(!d.NeuZeigen);
            QCOMPARE(a.IniPath(), pfad);
        }
    }

    void okWithAMissingPathShowsAFreshDialog() {
        SkriptDialoge s;
        const QString gut = m_dir->filePath(QStringLiteral("gut.ini"));
        QFile f(gut);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString falsch = m_dir->filePath(QStringLiteral("gibtsnicht.ini"));
        QString zweiterPfad, zweiterStatus, zweiterTitel;
        QString iniNachErstemOk;
        AlarmAuswahl a;
        s.modalAntworten << [&](QDialog* dlg) {
            auto* d = static_cast<frmIniDialog*>(dlg);
            QTest::mouseClick(d->BrowseButton, Qt::LeftButton);  // the fresh one must not keep these texts
            d->txtPfad->setText(falsch);
            QTest::mouseClick(d->OKButton, Qt::LeftButton);
            iniNachErstemOk = a.IniPath();
            return d->result();
        };
        s.modalAntworten << [&](QDialog* dlg) {
            auto* d = static_cast<frmIniDialog*>(dlg);
            zweiterPfad = d->txtPfad->text();
            zweiterStatus = d->txtStatus->text();
            zweiterTitel = d->windowTitle();
            d->txtPfad->setText(gut);
            QTest::mouseClick(d->OKButton, Qt::LeftButton);
            return d->result();
        };
        frmIniDialog::Zeigen(&a, nullptr);
        QCOMPARE(s.modalAufrufe, 2);
        QCOMPARE(iniNachErstemOk, falsch);  // kept until the next OK
        QCOMPARE(zweiterPfad, standard());
        QCOMPARE(zweiterStatus, QStringLiteral("Das ist die Standard Einstellung für die INI-Datei."));
        QCOMPARE(zweiterTitel, QStringLiteral("Keine gültige Ini-Datei gefunden!"));
        QCOMPARE(a.IniPath(), gut);
        QVERIFY(s.meldungen.isEmpty());
    }

    void endEndsTheProcess() {
        SkriptDialoge s;
        AlarmAuswahl a;
        s.modalAntworten << [](QDialog* dlg) {
            QTest::mouseClick(static_cast<frmIniDialog*>(dlg)->CancelButton, Qt::LeftButton);
            return int(QDialog::Rejected);
        };
        frmIniDialog::Zeigen(&a, nullptr);
        QCOMPARE(s.beendet, 1);
        QCOMPARE(s.modalAufrufe, 1);
    }
};

QTEST_MAIN(TstIniDialog)
#include "tst_inidialog.moc"
